#pragma once

#include "presentation/DescriptionTables.h"
#include "presentation/TimeBase.h"

#include <QString>

#include <cstdint>

namespace kavrin {

class ContextTracker;
struct EventNode;

// What the texts of an event read besides the event itself. Nothing here is changed by
// making a text.
struct EventTextSources {
    const DescriptionTables& descriptions;
    const ContextTracker& tracker;
    const TimeBase& timeBase;
    int resolution;
};

// The "Event" column: the event's name, the API name, or "#id".
QString EventName(const EventNode& node, const DescriptionTables& descriptions);
// The "Detail" column and the timeline's tool tips.
QString EventDetail(const EventNode& node, const EventTextSources& sources);
// Fills a parameter format from the event's payload; an exhausted payload reads as 0 (or an
// empty text), never past the block.
QString FormatParameters(const EventNode& node, const QString& format,
                         const EventTextSources& sources);

// The tracker's name of a context as text.
QString ContextNameText(const ContextTracker& tracker, uint32_t id);
// A resource's name, found directly or through the compact task id; else "0x%08x".
QString ResourceName(const ContextTracker& tracker, uint32_t id);
// Blocking reasons of the Halvix and FreeRTOS task states.
QString TaskStateText(uint32_t value);

} // namespace kavrin
