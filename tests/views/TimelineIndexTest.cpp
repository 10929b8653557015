#include "views/TimelineIndex.h"
#include "ViewsHarness.h"

#include <gtest/gtest.h>

#include <set>

namespace kavrin {
namespace {

using test::Beta;

// Control-block addresses a small table of contexts lets collide, and more contexts than it
// starts with room for: every one keeps its own slot, numbered as the events first name them.
TEST(TimelineIndexTest, EveryContextKeepsItsSlotAsTheTableGrows) {
    constexpr uint32_t Tasks = 100;
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    for (uint32_t task = 1; task <= Tasks; ++task)
        w.taskRun(task * 0x400, 10);
    test::ViewsFixture fixture(w);
    TimelineIndex index;
    index.sync(fixture.engine().store, fixture.presentation.timeBase);

    std::set<Slot> distinct;
    Slot previous = 0;
    for (uint32_t task = 1; task <= Tasks; ++task) {
        const Slot slot = index.findSlot(task * 0x400);
        ASSERT_LT(slot, index.slotCount()) << task;
        EXPECT_EQ(index.contextId(slot), task * 0x400);
        EXPECT_GT(slot, previous) << task; // after the contexts named before it
        previous = slot;
        distinct.insert(slot);
        // Task Run of this task: the context after it is the task.
        EXPECT_EQ(index.slotAfter(1 + task), slot);
    }
    EXPECT_EQ(distinct.size(), size_t(Tasks));
    EXPECT_EQ(index.findSlot(0x123), index.slotCount());
}

// A ready span ends when the task runs: known when the index first meets the span, or at a later
// sync once the run came in, or, made ready again first, where the next span starts.
TEST(TimelineIndexTest, ReadySpansEndWhenTheTaskRuns) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskInfo(Beta, 5, "Beta", 0);
    w.taskReady(Beta, 100); // 3: ready at 100, ended by the run at 300
    w.taskRun(Beta, 200);
    w.taskStop(100);
    w.taskReady(Beta, 100); // 6: ready at 500, again at 550 before it runs at 600
    w.taskReady(Beta, 50);
    w.taskRun(Beta, 50);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    test::decodeAll(engine, w.bytes());
    TimeBase timeBase;
    timeBase.setFrequency(1'000'000'000);

    TimelineIndex whole;
    {
        test::LoadedEngine loaded(w);
        whole.sync(loaded.engine.store, timeBase);
        const std::vector<ReadySpan>& spans = whole.readySpans(whole.findSlot(Beta));
        ASSERT_EQ(spans.size(), 3u);
        EXPECT_EQ(spans[0].startNs, 100u);
        EXPECT_EQ(spans[0].endNs, 300u);
        EXPECT_EQ(spans[1].startNs, 500u);
        EXPECT_EQ(spans[1].endNs, 550u);
        EXPECT_EQ(spans[2].startNs, 550u);
        EXPECT_EQ(spans[2].endNs, 600u);
    }

    // The same events as a recording brings them: the index follows after each part.
    TimelineIndex live;
    engine.dataProcess(4); // up to the first Task Ready
    live.sync(engine.store, timeBase);
    const Slot beta = live.findSlot(Beta);
    ASSERT_EQ(live.readySpans(beta).size(), 1u);
    EXPECT_EQ(live.readySpans(beta)[0].endNs, 0u); // not known yet
    engine.dataProcess(4);                         // the run, the stop and both Task Ready
    live.sync(engine.store, timeBase);
    ASSERT_EQ(live.readySpans(beta).size(), 3u);
    EXPECT_EQ(live.readySpans(beta)[0].endNs, 300u);
    EXPECT_EQ(live.readySpans(beta)[1].endNs, 550u);
    EXPECT_EQ(live.readySpans(beta)[2].endNs, 0u);
    engine.dataProcess(1);
    live.sync(engine.store, timeBase);
    EXPECT_EQ(live.readySpans(beta)[2].endNs, 600u);
}

} // namespace
} // namespace kavrin
