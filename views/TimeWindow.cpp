#include "views/TimeWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kavrin {

void TimeWindow::setSpan(uint64_t ns) {
    // A recording of no length has a window of none; its pixels still need a width.
    spanNs = ns;
    nsPerPixel = double(std::max<uint64_t>(ns, 1)) / double(drawingWidth);
    pixelsPerSecond = 1e9 / nsPerPixel;
}

void TimeWindow::setContentsWidth(int contentsWidth, int nameColumnWidth) {
    drawingWidth = std::max(contentsWidth - 1 - nameColumnWidth - 7, 1);
    setSpan(spanNs);
}

uint64_t TimeWindow::viewStart(uint64_t cursorNs, int cursorPosition) const {
    const int64_t start =
        int64_t(cursorNs) + scrollOffset - int64_t(spanNs / 10) * int64_t(cursorPosition);
    return start < 0 ? 0 : uint64_t(start);
}

int TimeWindow::cursorPositionAt(double pixels) const {
    const int tenth = int(std::lround(pixels * 10.0 / double(drawingWidth)));
    return std::clamp(tenth, 1, 9);
}

std::optional<uint64_t> spanForZoom(int64_t spanUs, std::optional<uint64_t> recordingNs) {
    if (spanUs >= 0)
        return uint64_t(spanUs) * 1000;
    if (!recordingNs)
        return std::nullopt;
    return std::min(*recordingNs, MaxFullRecordingNs);
}

ScrollBarState scrollBarState(uint64_t firstNs, uint64_t lastNs, int64_t cursorLineNs) {
    ScrollBarState state;
    const uint64_t length = lastNs > firstNs ? lastNs - firstNs : 0;
    while (length / state.divisor > uint64_t(std::numeric_limits<int32_t>::max()))
        state.divisor *= 10;
    state.maximum = int(length / state.divisor);
    const int64_t position = cursorLineNs - int64_t(firstNs);
    state.value =
        position < 0
            ? 0
            : int(std::min<uint64_t>(uint64_t(position) / state.divisor, uint64_t(state.maximum)));
    return state;
}

std::optional<uint64_t> scrollTarget(int64_t cursorLineNs, int64_t delta, uint64_t firstNs,
                                     uint64_t lastNs) {
    const int64_t target = std::clamp(cursorLineNs + delta, int64_t(firstNs), int64_t(lastNs));
    if (target == cursorLineNs)
        return std::nullopt;
    return uint64_t(target);
}

WheelRole wheelRole(bool vertical, bool ctrl, bool invertWheelControl) {
    if (!vertical)
        return WheelRole::Scroll;
    return (ctrl != invertWheelControl) ? WheelRole::Scroll : WheelRole::Zoom;
}

int64_t wheelScrollDelta(uint64_t spanNs, int delta) {
    const int64_t step = scrollStep(spanNs);
    if (delta > 120 || delta < -120)
        return -step * delta / 120;
    if (delta > 0)
        return -step;
    if (delta < 0)
        return step;
    return 0;
}

AxisTicks axisTicks(double pixelsPerSecond) {
    AxisTicks ticks;
    while (double(ticks.stepNs) * 1e-9 * pixelsPerSecond < 20.0 &&
           ticks.stepNs < 1'000'000'000'000'000ull)
        ticks.stepNs *= 10;
    ticks.spacing = double(ticks.stepNs) * 1e-9 * pixelsPerSecond;
    ticks.labelEvery = ticks.spacing > 70.0 ? 1 : 5;
    return ticks;
}

std::string tickLabel(int64_t tick, uint64_t stepNs) {
    const char* unit = "us";
    uint64_t unitNs = 1000;
    if (stepNs >= 1'000'000'000) {
        unit = "s";
        unitNs = 1'000'000'000;
    } else if (stepNs >= 1'000'000) {
        unit = "ms";
        unitNs = 1'000'000;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%+lld %s",
                  static_cast<long long>(tick * int64_t(stepNs / unitNs)), unit);
    return text;
}

} // namespace kavrin
