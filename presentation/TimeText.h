#pragma once

#include "presentation/TimeBase.h"

#include <QString>

#include <cstdint>
#include <set>

namespace kavrin {

struct EventNode;

// Digits shown below the second.
enum Resolution : int {
    Resolution1us = 6,
    Resolution100ns = 7,
    Resolution10ns = 8,
    Resolution1ns = 9,
};
inline constexpr int DefaultResolution = Resolution100ns;

// How the event list shows event times.
struct TimeDisplayOptions {
    int resolution = DefaultResolution;
    bool systemTime = false;       // times since recording start instead of the first stored event
    std::set<uint64_t> references; // user-set reference timestamps
};

// A point in time, "mm:ss.mmm uuu nnn" with whole digit groups; empty while the time base is
// not valid, "???" for digits outside 1..9.
QString ClockText(const TimeBase& timeBase, uint64_t ns, int digits);
QString ClockTextFromTicks(const TimeBase& timeBase, uint64_t ticks, int digits);

// The span between two tick counts with an automatic unit; the number is right-aligned in three
// places, so the text may start with blanks.
QString DurationText(const TimeBase& timeBase, uint64_t ticksA, uint64_t ticksB, int digits);
// A span of `ticks` as the lists and details show it: DurationText without the blanks.
QString SpanText(const TimeBase& timeBase, uint64_t ticks, int digits);

// Thousands separated by blanks: "1 234 567".
QString GroupedNumber(uint32_t value);

// The event list's time column: the reference marker, the time since the nearest earlier
// reference, or the time since `windowStart`, the first stored event's timestamp (since
// recording start with system time).
QString EventTimeText(const EventNode& node, uint64_t windowStart, const TimeBase& timeBase,
                      const TimeDisplayOptions& options);

} // namespace kavrin
