#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::LoadedEngine;

TEST(TrackerTest, NestedInterruptsReturnToTheInterruptedTask) {
    StreamWriter w;
    w.start(0);
    w.taskRun(5, 1);
    w.isrEnter(10, 1);
    w.isrEnter(11, 1);
    w.isrExit(1);
    w.isrExit(1);
    w.isrExit(1);
    LoadedEngine loaded(w);
    EXPECT_EQ(loaded.record(3).contextAfter, 11u);
    EXPECT_EQ(loaded.record(4).contextAfter, 10u);
    EXPECT_EQ(loaded.record(5).contextAfter, 5u);
    EXPECT_EQ(loaded.record(6).contextAfter, IdleContext); // a third exit: Idle
    EXPECT_EQ(loaded.engine.tracker.isrNesting, 0);
    EXPECT_EQ(loaded.engine.tracker.counters.totalInterrupts, 2u);
    EXPECT_EQ(loaded.engine.tracker.contexts[10].priority, InterruptPriority);
}

TEST(TrackerTest, FirstRunIsNotMeasured) {
    StreamWriter w;
    w.start(0);
    for (int i = 0; i < 3; ++i) {
        w.taskRun(7, 10);                         // enter task 7
        w.taskBlock(7, 0, 30 + 10 * uint32_t(i)); // leave it after 30, 40, 50 ticks
    }
    LoadedEngine loaded(w);
    const ContextInfo& task = loaded.engine.tracker.contexts[7];
    EXPECT_EQ(task.runCount, 3u);
    EXPECT_EQ(task.totalRunTime, 40u + 50u);
    EXPECT_EQ(task.minRunTime, 40u);
    EXPECT_EQ(task.maxRunTime, 50u);
    EXPECT_EQ(task.maxRunIndex, 6u);
    EXPECT_EQ(task.lastRunTime, 50u);
}

TEST(TrackerTest, ReadyIntervalsOpenOnlyWhenTheLastIsClosed) {
    StreamWriter w;
    w.start(0);
    w.taskReady(3, 10);
    w.taskReady(3, 10);
    w.taskRun(3, 10);
    w.taskStop(10);
    w.taskReady(3, 10);
    LoadedEngine loaded(w);
    const auto& intervals = loaded.engine.tracker.contexts[3].readyIntervals;
    ASSERT_EQ(intervals.size(), 2u);
    EXPECT_EQ(intervals[0].start, 10u);
    EXPECT_EQ(intervals[0].end, 40u);
    EXPECT_EQ(intervals[1].start, 50u);
    EXPECT_EQ(intervals[1].end, 0u);
}

TEST(TrackerTest, TimerInsideAnInterruptReturnsToTheInterrupt) {
    StreamWriter w;
    w.start(0);
    w.isrEnter(4, 1);
    w.timerEnter(1, 1);
    w.timerExit(1);
    LoadedEngine loaded(w);
    EXPECT_EQ(loaded.record(2).context, TimerContext);
    EXPECT_EQ(loaded.record(3).contextAfter, 4u);
    EXPECT_EQ(loaded.engine.tracker.contextName(TimerContext), "Timer");
}

TEST(TrackerTest, ApiEndLinksToItsCallButNeverToId32) {
    StreamWriter w;
    w.start(0);
    w.taskRun(2, 1);
    w.api(40, {1}, 10);
    w.api(32, {1}, 10);
    w.apiEndValue(32, 0, 10);
    w.apiEndValue(40, 0, 10);
    LoadedEngine loaded(w);
    RecordingEngine& engine = loaded.engine;
    EventNode* call = engine.store.nodeAt(2);
    EventNode* call32 = engine.store.nodeAt(3);
    EventNode* end = engine.store.nodeAt(5);
    EXPECT_EQ(call->endTime, 41u);
    EXPECT_EQ(end->endTime, 11u);
    EXPECT_EQ(call32->endTime, 0u);
}

TEST(TrackerTest, UserMeasurementsAndOverflows) {
    StreamWriter w;
    w.start(0);
    w.userStop(1, 100); // no start: measured from 0
    w.userStart(1, 10);
    w.userStart(1, 10);
    w.userStop(1, 25);
    w.taskRun(3, 1);
    w.overflow(5, 1);
    w.overflow(12, 1);
    LoadedEngine loaded(w);
    std::vector<std::pair<uint32_t, uint32_t>> overflowRows;
    EXPECT_EQ(loaded.record(1).param2, 100u);
    EXPECT_EQ(loaded.record(3).param2, 2u);
    EXPECT_EQ(loaded.record(4).param2, 25u);
    const TrackerCounters& counters = loaded.engine.tracker.counters;
    EXPECT_EQ(counters.overflowCount, 2u);
    EXPECT_EQ(counters.overflowCount + counters.lastDropCount, 14u);
    EXPECT_EQ(loaded.record(6).contextBefore, IdleContext);
    EXPECT_EQ(loaded.record(5).contextAfter, IdleContext); // the node before falls back too
}

TEST(TrackerTest, OverflowHookReportsDropsPerOverflow) {
    StreamWriter w;
    w.start(0);
    w.overflow(5, 1);
    w.overflow(12, 1);
    RecordingEngine engine;
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    engine.tracker.hooks.overflow = [&](uint32_t number, uint32_t dropped) {
        rows.emplace_back(number, dropped);
    };
    test::decodeAll(engine, w.bytes());
    engine.dataProcess(10);
    EXPECT_EQ(rows, (std::vector<std::pair<uint32_t, uint32_t>>{{2, 6}, {3, 8}}));
}

TEST(TrackerTest, ContextNamesThroughTheTaskIdMapping) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1000, 0, 0x20000000, 4, 0);
    w.taskInfo(3, 5, "Worker", 0);
    w.taskRun(9, 0);
    w.isrEnter(15, 0);
    LoadedEngine loaded(w);
    const ContextTracker& tracker = loaded.engine.tracker;
    EXPECT_EQ(tracker.contextName(0), "Idle");
    EXPECT_EQ(tracker.contextName(3), "Worker");
    EXPECT_EQ(tracker.contextName(0x20000000 + (3 << 4)), "Worker");
    EXPECT_EQ(tracker.contextName(9), "Task 0x9");
    EXPECT_EQ(tracker.contextName(15), "ISR #15");
    EXPECT_EQ(tracker.contextName(0x1234), "1234");
    EXPECT_EQ(tracker.contextName(SchedulerContext), "Scheduler");
}

TEST(TrackerTest, LogOutputIsFormattedIntoThePayload) {
    StreamWriter w;
    w.start(0);
    w.logOutput("n=%d", 2, 1, {7}, 1);
    LoadedEngine loaded(w);
    const EventRecord& log = loaded.record(1);
    EXPECT_STREQ(reinterpret_cast<const char*>(log.payload), "  n=7");
    EXPECT_EQ(log.param2, 2u | (1u << 8));
}

TEST(TrackerTest, DescriptionHooksGetTheirTexts) {
    StreamWriter w;
    w.start(0);
    w.systemDescription("N=Demo,O=Tessera", 0);
    w.moduleDescription(0, 100, "M=TessFS,V=210", 0);
    w.moduleInformation(2, 0);
    RecordingEngine engine;
    std::string system, module;
    uint32_t offset = 0;
    engine.tracker.hooks.systemDescription = [&](const char* text) { system = text; };
    engine.tracker.hooks.moduleDescription = [&](const char* text, uint32_t param2) {
        module = text;
        offset = param2;
    };
    test::decodeAll(engine, w.bytes());
    engine.dataProcess(10);
    EXPECT_EQ(system, "N=Demo,O=Tessera");
    EXPECT_EQ(module, "M=TessFS,V=210");
    EXPECT_EQ(offset, 100u);
    EXPECT_TRUE(engine.tracker.modulesChanged);
    EXPECT_EQ(engine.tracker.moduleCount, 2u);
}

} // namespace
} // namespace kavrin
