#include "views/TimeWindow.h"
#include "views/ZoomLevels.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

TEST(TimeWindowTest, WindowIsAnchoredOnTheCursorAndNeverStartsBeforeZero) {
    TimeWindow window;
    window.setContentsWidth(1600, 180);
    EXPECT_EQ(window.drawingWidth, 1412);
    window.setSpan(10'000'000);
    EXPECT_DOUBLE_EQ(window.nsPerPixel, 10'000'000.0 / 1412);
    EXPECT_DOUBLE_EQ(window.pixelsPerSecond, 1e9 / window.nsPerPixel);

    // Cursor at 20 %: the window starts two tenths of the span before the cursor line.
    EXPECT_EQ(window.viewStart(5'000'000, 2), 3'000'000u);
    window.scrollOffset = -500'000;
    EXPECT_EQ(window.viewStart(5'000'000, 2), 2'500'000u);
    EXPECT_EQ(window.viewStart(1'000'000, 9), 0u);

    EXPECT_DOUBLE_EQ(window.offsetOf(3'000'000, 2'500'000), 500'000 / window.nsPerPixel);
    EXPECT_EQ(window.cursorPositionAt(0), 1);
    EXPECT_EQ(window.cursorPositionAt(1412 * 0.44), 4);
    EXPECT_EQ(window.cursorPositionAt(1412 * 0.46), 5);
    EXPECT_EQ(window.cursorPositionAt(1412), 9);

    window.setContentsWidth(100, 180); // narrower than the label column
    EXPECT_EQ(window.drawingWidth, 1);
}

TEST(TimeWindowTest, FullRecordingSpanIsTheLengthCappedAt120Seconds) {
    EXPECT_EQ(spanForZoom(10, std::nullopt), 10'000u);
    EXPECT_EQ(spanForZoom(-1, 200'000'000'000ull), 120'000'000'000u);
    EXPECT_EQ(spanForZoom(-1, 15'000'000ull), 15'000'000u);
    EXPECT_FALSE(spanForZoom(-1, std::nullopt).has_value());
}

TEST(TimeWindowTest, ScrollBarDivisorKeepsTheRecordingInIntRange) {
    ScrollBarState state = scrollBarState(0, 2'000'000'000, 500);
    EXPECT_EQ(state.divisor, 1u);
    EXPECT_EQ(state.maximum, 2'000'000'000);
    EXPECT_EQ(state.value, 500);

    state = scrollBarState(1'000, 200'000'000'000ull + 1'000, 50'000'001'000);
    EXPECT_EQ(state.divisor, 100u);
    EXPECT_EQ(state.maximum, 2'000'000'000);
    EXPECT_EQ(state.value, 500'000'000);

    EXPECT_EQ(scrollBarState(1'000, 5'000, 10).value, 0); // before the first event
    EXPECT_EQ(scrollBarState(7, 7, 7).maximum, 0);
}

TEST(TimeWindowTest, ScrollingStopsAtTheFirstAndLastEvents) {
    EXPECT_EQ(scrollTarget(500, 200, 100, 1000), 700u);
    EXPECT_EQ(scrollTarget(500, -1000, 100, 1000), 100u);
    EXPECT_EQ(scrollTarget(500, 1000, 100, 1000), 1000u);
    EXPECT_FALSE(scrollTarget(1000, 5, 100, 1000).has_value()); // already at the end
    EXPECT_FALSE(scrollTarget(100, -5, 100, 1000).has_value());
    EXPECT_FALSE(scrollTarget(500, 0, 100, 1000).has_value());
}

TEST(TimeWindowTest, WheelZoomsOrScrollsAsTheModifiersAndPreferenceSay) {
    EXPECT_EQ(wheelRole(true, false, false), WheelRole::Zoom);
    EXPECT_EQ(wheelRole(true, true, false), WheelRole::Scroll);
    EXPECT_EQ(wheelRole(true, false, true), WheelRole::Scroll);
    EXPECT_EQ(wheelRole(true, true, true), WheelRole::Zoom);
    EXPECT_EQ(wheelRole(false, false, false), WheelRole::Scroll);
    EXPECT_EQ(wheelRole(false, true, true), WheelRole::Scroll);

    const uint64_t span = 10'000'000; // a fiftieth is 200 us
    EXPECT_EQ(wheelScrollDelta(span, 120), -200'000);
    EXPECT_EQ(wheelScrollDelta(span, 30), -200'000);
    EXPECT_EQ(wheelScrollDelta(span, -120), 200'000);
    EXPECT_EQ(wheelScrollDelta(span, -1), 200'000);
    EXPECT_EQ(wheelScrollDelta(span, 240), -400'000);
    EXPECT_EQ(wheelScrollDelta(span, -360), 600'000);
    EXPECT_EQ(wheelScrollDelta(span, 0), 0);
}

TEST(TimeWindowTest, AxisTicksArePowersOfTenAtLeastTwentyPixelsApart) {
    // 10 ms over 1412 pixels: 1 ms ticks 141 pixels apart, every one labelled.
    AxisTicks ticks = axisTicks(1412 / 0.01);
    EXPECT_EQ(ticks.stepNs, 1'000'000u);
    EXPECT_NEAR(ticks.spacing, 141.2, 1e-9);
    EXPECT_EQ(ticks.labelEvery, 1);
    // 10 us over 1412 pixels: 1 us ticks 141 pixels apart.
    EXPECT_EQ(axisTicks(1412 / 10e-6).stepNs, 1'000u);
    // 120 s over 1412 pixels: 10 s ticks 118 pixels apart; 2 s would be 23 but is no power.
    EXPECT_EQ(axisTicks(1412 / 120.0).stepNs, 10'000'000'000u);
    // 50 ms: 1 ms ticks 28 pixels apart, labelled every fifth.
    ticks = axisTicks(1412 / 0.05);
    EXPECT_EQ(ticks.stepNs, 1'000'000u);
    EXPECT_EQ(ticks.labelEvery, 5);

    EXPECT_EQ(tickLabel(2, 10'000'000), "+20 ms");
    EXPECT_EQ(tickLabel(-3, 1'000), "-3 us");
    EXPECT_EQ(tickLabel(5, 100'000), "+500 us");
    EXPECT_EQ(tickLabel(-1, 10'000'000'000ull), "-10 s");
}

TEST(ZoomLevelsTest, ZoomInAndOutSelectRowsAsTheRecordingLengthAllows) {
    EXPECT_STREQ(ZoomLevels[DefaultZoom].label, "View 10ms");
    EXPECT_EQ(ZoomLevels[19].spanUs, 30'000'000); // 20 s is absent
    // Zooming in from "Full Recording" on a 12 ms recording selects "View 10ms".
    EXPECT_EQ(zoomInRow(FullRecordingZoom, true, 12'000), 9);
    // On a recording shorter than 10 us nothing changes.
    EXPECT_EQ(zoomInRow(FullRecordingZoom, true, 8), FullRecordingZoom);
    EXPECT_EQ(zoomInRow(FullRecordingZoom, false, 0), FullRecordingZoom);
    EXPECT_EQ(zoomInRow(0, true, 12'000), 0);
    EXPECT_EQ(zoomInRow(5, true, 12'000), 4);

    // Zooming out from "View 10ms" on a 15 ms recording: 20000 > 1.2 x 15000.
    EXPECT_EQ(zoomOutRow(9, true, 15'000), FullRecordingZoom);
    EXPECT_EQ(zoomOutRow(9, true, 17'000), 10);
    EXPECT_EQ(zoomOutRow(9, false, 0), 10);
    EXPECT_EQ(zoomOutRow(20, true, 500'000'000), FullRecordingZoom);
    EXPECT_EQ(zoomOutRow(FullRecordingZoom, true, 15'000), FullRecordingZoom);
}

} // namespace
} // namespace kavrin
