#include "views/LaneRenderer.h"
#include "ViewsHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;
using test::Irq;

// Renders the small recording at 10 ns per pixel from t = 0, one lane of 10 pixels each:
// lane 0 unified, 1 Idle, 2 interrupt, 3 Scheduler, 4 Alpha, 5 Beta.
class LaneRendererTest : public ::testing::Test {
protected:
    LaneRendererTest() : fixture(test::smallRecording()) {
        index.sync(fixture.engine().store, fixture.presentation.timeBase);
        scene.index = &index;
        scene.lanes = 6;
        scene.rowHeight = 10;
        scene.startNs = 0;
        scene.nsPerPixel = 10;
        scene.styles.resize(index.slotCount());
        const uint32_t lanes[] = {IdleContext, Irq, SchedulerContext, Alpha, Beta};
        for (int lane = 1; lane <= 5; ++lane) {
            const Slot slot = index.findSlot(lanes[lane - 1]);
            if (slot < index.slotCount())
                scene.styles[slot] = {lane, colourScheme(0, lanes[lane - 1]), NotATask};
        }
    }
    const ColourScheme& scheme(uint32_t context) {
        return scene.styles[index.findSlot(context)].scheme;
    }
    // Pixel in the middle row of a lane.
    uint32_t at(int x, int lane) { return canvas.pixel(x, lane * 10 + 4); }
    void render() { renderer.render(scene, canvas); }

    test::ViewsFixture fixture;
    TimelineIndex index;
    LaneScene scene;
    LaneRenderer renderer;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(200 * 60);
    PixelCanvas canvas{pixels.data(), 200, 60, 200};
};

TEST_F(LaneRendererTest, ActiveContextFillsItsLaneWithGradientAndBorder) {
    scene.readyBars = false;
    render();
    // Alpha runs from 100 to 300 ns: pixels 10 .. 29.
    EXPECT_EQ(at(15, 4), interpolate(scheme(Alpha).light, scheme(Alpha).middle, 4, 8));
    EXPECT_EQ(canvas.pixel(15, 40), scheme(Alpha).dark); // top border
    EXPECT_EQ(canvas.pixel(15, 48), scheme(Alpha).dark); // bottom border
    EXPECT_EQ(canvas.pixel(29, 44), scheme(Alpha).dark); // right border
    EXPECT_EQ(canvas.pixel(10, 44), SwitchLineColour);   // the switch from Idle at its left
    EXPECT_EQ(canvas.pixel(15, 49), LaneBackground);     // the gap between lanes
    EXPECT_EQ(at(5, 4), LaneBackground);                 // before it ran
    EXPECT_EQ(at(32, 2), interpolate(scheme(Irq).light, scheme(Irq).middle, 4, 8));
    EXPECT_EQ(at(32, 4), LaneBackground); // interrupted
    EXPECT_EQ(at(65, 1), interpolate(scheme(IdleContext).light, scheme(IdleContext).middle, 4, 8));
    // The unified lane shows whoever runs.
    EXPECT_EQ(at(15, 0), at(15, 4));
    EXPECT_EQ(at(32, 0), at(32, 2));
    // Nothing after the last event and nothing outside the image.
    EXPECT_EQ(at(150, 0), LaneBackground);
}

TEST_F(LaneRendererTest, ContextSwitchesDrawAVerticalLineBetweenTheTwoLanes) {
    scene.readyBars = false;
    render();
    // Alpha -> interrupt at 300 ns (x 30): the line joins lanes 2 to 4.
    EXPECT_EQ(canvas.pixel(30, 25), SwitchLineColour);
    EXPECT_EQ(canvas.pixel(30, 35), SwitchLineColour); // across the Scheduler lane
    EXPECT_NE(canvas.pixel(30, 15), SwitchLineColour); // not beyond the two lanes
    // Beta -> Scheduler at 1000 ns (x 100).
    EXPECT_EQ(canvas.pixel(100, 35), SwitchLineColour);
    EXPECT_EQ(canvas.pixel(100, 52), SwitchLineColour);
}

TEST_F(LaneRendererTest, ReadyTaskShowsTheSilverBarUntilItRuns) {
    render();
    // Beta is ready from 700 to 800 ns: pixels 70 .. 79 of lane 5.
    EXPECT_EQ(canvas.pixel(75, 50), ReadyBarScheme.dark); // top border
    EXPECT_EQ(canvas.pixel(70, 54), ReadyBarScheme.dark); // left border
    EXPECT_EQ(canvas.pixel(75, 54), interpolate(ReadyBarScheme.light, ReadyBarScheme.middle, 4, 8));
    EXPECT_EQ(canvas.pixel(69, 54), LaneBackground);
    scene.readyBars = false;
    render();
    EXPECT_EQ(canvas.pixel(75, 54), LaneBackground);
}

TEST_F(LaneRendererTest, ExistingTasksAreTintedFromTheirFirstAppearance) {
    scene.styles[index.findSlot(Beta)].taskSinceNs = 500;
    scene.readyBars = false;
    render();
    EXPECT_EQ(at(45, 5), LaneBackground);
    EXPECT_EQ(at(55, 5), blendOver(LaneBackground, withAlpha(scheme(Beta).light, 0x60)));
    scene.existingTasks = false;
    render();
    EXPECT_EQ(at(55, 5), LaneBackground);
}

TEST_F(LaneRendererTest, ImageBeforeTheRecordingAndCoarseZoomStayInBounds) {
    scene.startNs = -1000; // the window before the first event
    render();
    EXPECT_EQ(at(50, 0), LaneBackground);
    EXPECT_EQ(at(115, 4), at(115, 0)); // Alpha from 100 ns lands at pixel 110
    scene.nsPerPixel = 1e6;            // all events in one column, sampled
    scene.startNs = 0;
    render();
    EXPECT_NE(at(0, 0), LaneBackground);
    EXPECT_EQ(at(1, 0), LaneBackground);
}

TEST(MessageIndicatorTest, LevelsAdmitAllWarningsAndErrorsErrorsOrNone) {
    EXPECT_TRUE(messageIndicated(0, 0));
    EXPECT_FALSE(messageIndicated(0, 1));
    EXPECT_TRUE(messageIndicated(1, 1));
    EXPECT_TRUE(messageIndicated(2, 1));
    EXPECT_FALSE(messageIndicated(1, 2));
    EXPECT_TRUE(messageIndicated(2, 2));
    EXPECT_FALSE(messageIndicated(2, 3));
}

TEST(MessageIndicatorTest, MessagesAndApiCallsAreMarkedInTheCallersLane) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskRun(Alpha, 100);
    w.logOutput("boom", 2, 0, std::span<const uint32_t>(), 100); // an error at 200 ns
    w.api(40, {1}, 100);                                         // a call from 300 to 400 ns
    w.apiEndValue(40, 0, 100);
    w.taskStop(100);
    test::ViewsFixture fixture(w);
    TimelineIndex index;
    index.sync(fixture.engine().store, fixture.presentation.timeBase);
    LaneScene scene;
    scene.index = &index;
    scene.lanes = 2;
    scene.rowHeight = 10;
    scene.nsPerPixel = 10;
    scene.readyBars = false;
    scene.styles.resize(index.slotCount());
    const ColourScheme alpha = colourScheme(0, Alpha);
    scene.styles[index.findSlot(Alpha)] = {1, alpha, NotATask};
    std::vector<uint32_t> pixels(100 * 20);
    PixelCanvas canvas(pixels.data(), 100, 20, 100);
    LaneRenderer renderer;
    renderer.render(scene, canvas);
    EXPECT_EQ(canvas.pixel(20, 15), ErrorMark);
    // The call is an outlined box at the lane's bottom, the lane's background inside: it cannot
    // be taken for a run of the context.
    EXPECT_EQ(canvas.pixel(35, 15), ApiMark);
    EXPECT_EQ(canvas.pixel(35, 18), ApiMark);
    EXPECT_EQ(canvas.pixel(30, 17), ApiMark);
    EXPECT_EQ(canvas.pixel(35, 16), LaneBackground);
    EXPECT_NE(canvas.pixel(35, 14), ApiMark);
    EXPECT_NE(canvas.pixel(45, 15), ApiMark); // the call ended at 400 ns

    scene.indicatorLevel = 3;
    scene.apiMarks = false;
    renderer.render(scene, canvas);
    EXPECT_NE(canvas.pixel(20, 15), ErrorMark);
    EXPECT_NE(canvas.pixel(35, 15), ApiMark);
}

// Alpha and Beta take turns, `alphaNs` and `betaNs` at a time, 50 times; rendered at 1000 ns
// per pixel, so each column covers 50 events: lane 1 Alpha, lane 2 Beta, 10 pixels each.
struct DenseColumns {
    DenseColumns(uint32_t alphaNs, uint32_t betaNs) {
        StreamWriter w;
        w.start(0);
        w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
        w.taskRun(Alpha, 0);
        for (int turn = 0; turn < 50; ++turn) {
            w.taskRun(Beta, alphaNs);
            w.taskRun(Alpha, betaNs);
        }
        fixture = std::make_unique<test::ViewsFixture>(w);
        index.sync(fixture->engine().store, fixture->presentation.timeBase);
        scene.index = &index;
        scene.lanes = 3;
        scene.rowHeight = 10;
        scene.nsPerPixel = 1000;
        scene.readyBars = scene.existingTasks = false;
        scene.styles.resize(index.slotCount());
        scene.styles[index.findSlot(Alpha)] = {1, colourScheme(0, Alpha), NotATask};
        scene.styles[index.findSlot(Beta)] = {2, colourScheme(0, Beta), NotATask};
        renderer.render(scene, canvas);
    }
    uint32_t at(int x, int y) const { return canvas.pixel(x, y); }
    std::unique_ptr<test::ViewsFixture> fixture;
    TimelineIndex index;
    LaneScene scene;
    LaneRenderer renderer;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(10 * 30);
    PixelCanvas canvas{pixels.data(), 10, 30, 10};
};

TEST(DenseColumnTest, LanesFillToTheShareTheirContextRanAndUnifiedShowsTheLongest) {
    const DenseColumns dense(30, 10); // Alpha three quarters, Beta one
    const ColourScheme alpha = colourScheme(0, Alpha);
    const ColourScheme beta = colourScheme(0, Beta);
    // Lane 1 spans rows 10 to 18: Alpha fills the lower 7 of its 9 rows, Beta 2.
    EXPECT_EQ(dense.at(0, 18), alpha.middle);
    EXPECT_EQ(dense.at(0, 12), alpha.middle);
    EXPECT_EQ(dense.at(0, 11), LaneBackground);
    EXPECT_EQ(dense.at(0, 28), beta.middle);
    EXPECT_EQ(dense.at(0, 27), beta.middle);
    EXPECT_EQ(dense.at(0, 26), LaneBackground);
    // The unified lane in Alpha's colours, not a sample of either; Alpha ran most: no mark.
    EXPECT_EQ(dense.at(0, 4), interpolate(alpha.light, alpha.middle, 4, 8));
    EXPECT_NE(dense.at(0, 1), MixedMark);
    // No column after the recording's end.
    EXPECT_EQ(dense.at(5, 15), LaneBackground);
}

TEST(DenseColumnTest, ColumnsWithoutAContextRunningMostAreMarkedMixed) {
    const DenseColumns dense(20, 20);
    EXPECT_EQ(dense.at(0, 0), MixedMark);
    EXPECT_EQ(dense.at(0, 2), MixedMark);
    EXPECT_NE(dense.at(0, 4), MixedMark);
    // Half and half: both lanes filled to about half their height.
    EXPECT_EQ(dense.at(0, 14), colourScheme(0, Alpha).middle);
    EXPECT_EQ(dense.at(0, 13), LaneBackground);
}

} // namespace
} // namespace kavrin
