#pragma once

#include "presentation/Presentation.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kavrin {

class ContextTracker;
struct EventNode;

inline constexpr int EventColumnCount = 5;
inline constexpr int ContextColumnCount = 15;

// The event list's columns "# ", "Timestamp", "Context", "Event" and "Detail" of one event;
// `windowStart` is the first stored event's timestamp.
std::array<QString, EventColumnCount> EventRowTexts(const EventNode& node, uint64_t windowStart,
                                                    const ContextTracker& tracker,
                                                    const Presentation& presentation);

// The contexts list's 15 columns of context `id`.
std::array<QString, ContextColumnCount> ContextRowTexts(const ContextTracker& tracker, uint32_t id,
                                                        const Presentation& presentation);

struct SystemInfoLine {
    QString path; // "Group/Row", or "ZTX/Overflows/#n" for an overflow row
    QString value;
};
// Every value row of the system information in table order, overflow rows after "Overflows".
std::vector<SystemInfoLine> SystemInfoLines(const SystemInfoTable& table);

} // namespace kavrin
