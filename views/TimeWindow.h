#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kavrin {

inline constexpr uint64_t DefaultSpanNs = 10'000'000;
inline constexpr uint64_t MaxFullRecordingNs = 120'000'000'000;
// Pixels between the contents' left edge and the first lane pixel, beyond the label column.
inline constexpr int LaneLeftMargin = 4;

// The timeline's window arithmetic: which times the drawing width shows, in nanoseconds.
struct TimeWindow {
    uint64_t spanNs = DefaultSpanNs;
    int drawingWidth = 1;
    double nsPerPixel = double(DefaultSpanNs);
    double pixelsPerSecond = 1e9 / double(DefaultSpanNs);
    // Time under the cursor line minus the time of the selected event.
    int64_t scrollOffset = 0;

    void setSpan(uint64_t ns);
    // Drawing width = contents width - 1 - label column - 7 (at least one pixel).
    void setContentsWidth(int contentsWidth, int nameColumnWidth);

    // Left end of the window for the selected event's time and the cursor position (1..9).
    uint64_t viewStart(uint64_t cursorNs, int cursorPosition) const;
    // Pixels from the first lane pixel to time `t`.
    double offsetOf(uint64_t t, uint64_t start) const {
        return (double(t) - double(start)) / nsPerPixel;
    }
    // Cursor position (1..9) nearest to a click `pixels` right of the first lane pixel.
    int cursorPositionAt(double pixels) const;
};

// The span a zoom row asks for: -1 is the recording length capped at 120 s, nothing when
// there are no events to measure.
std::optional<uint64_t> spanForZoom(int64_t spanUs, std::optional<uint64_t> recordingNs);

// The scroll bar counts in steps of `divisor` ns, so that the recording fits its int range.
struct ScrollBarState {
    uint64_t divisor = 1;
    int maximum = 0;
    int value = 0;
};
ScrollBarState scrollBarState(uint64_t firstNs, uint64_t lastNs, int64_t cursorLineNs);

// Where a scroll by `delta` takes the cursor line: kept within the first and last event;
// nothing when the cursor line would not move.
std::optional<uint64_t> scrollTarget(int64_t cursorLineNs, int64_t delta, uint64_t firstNs,
                                     uint64_t lastNs);

enum class WheelRole { Zoom, Scroll };
WheelRole wheelRole(bool vertical, bool ctrl, bool invertWheelControl);
// Time delta of a scrolling wheel turn of `delta` (eighths of a degree; 120 per notch).
int64_t wheelScrollDelta(uint64_t spanNs, int delta);
// A scroll-arrow step: a fiftieth of the span.
inline int64_t scrollStep(uint64_t spanNs) {
    return int64_t(spanNs / 50);
}

// Axis ticks: the smallest power of ten seconds (from 1 us) at least 20 pixels apart.
struct AxisTicks {
    uint64_t stepNs = 1000;
    double spacing = 0; // pixels between ticks
    int labelEvery = 5; // every n-th tick is labelled
};
AxisTicks axisTicks(double pixelsPerSecond);
// "%+d s", "%+d ms" or "%+d us" for tick number `tick` from the cursor line.
std::string tickLabel(int64_t tick, uint64_t stepNs);

} // namespace kavrin
