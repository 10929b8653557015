#pragma once

#include "files/StreamStop.h"

#include <QString>

#include <cstdint>

namespace kavrin {

// The headline of the summary after a pass that stored `loaded` events: "n Events loaded
// successfully.", or, when `stop` says the recording breaks off, where and why.
QString loadSummaryHeadline(uint32_t loaded, const StreamStopInfo& stop, const QString& readError);

// The message for a file in which no event can be decoded.
QString noRecordingText(const QString& path, const StreamStopInfo& stop);

} // namespace kavrin
