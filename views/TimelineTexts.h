#pragma once

#include <QString>

#include <cstdint>

namespace kavrin {

class ContextTracker;
class TimelineIndex;
struct Presentation;

// A span given in nanoseconds as the lists show times ("10 ms", "50 ns").
QString NsSpanText(uint64_t ns, int resolution);

// A signed offset from the cursor line, as the axis counts: "-5 ms", "+120 us", "0 ns".
QString OffsetText(int64_t ns, int resolution);

// "Timeline   Width: %1" and "CPU Load   Number of bins: %1, Bin width: %2".
QString TimelinePaneTitle(uint64_t spanNs, int resolution);
QString CpuLoadPaneTitle(uint64_t spanNs, int bins, int resolution);

// Hover text of a lane label: identity, run count and, once timing is known, run times.
// `recordingTicks` is the recorded length the total run time is compared with.
QString ContextHoverText(const ContextTracker& tracker, uint32_t contextId,
                         const Presentation& presentation, uint64_t recordingTicks);

// Hover text of the lane area at index position `position` (the event whose span holds the
// pointer): the overflow notice, or the last event with the API calls still open in its
// context. `onEventLane` says whether the pointer is in the lane of the event's context.
QString EventHoverText(const TimelineIndex& index, size_t position, bool onEventLane,
                       const ContextTracker& tracker, const Presentation& presentation,
                       uint64_t firstNs);

// The time shown for `ns`: recording time from the first stored event, or the target's own
// time when the system time is displayed.
QString DisplayedTime(uint64_t ns, uint64_t firstNs, const Presentation& presentation);

} // namespace kavrin
