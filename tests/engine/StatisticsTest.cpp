#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::LoadedEngine;

TEST(StatisticsTest, WithoutFrequencyNoIntervalCloses) {
    StreamWriter w;
    w.start(0);
    for (int i = 0; i < 100; ++i)
        w.taskRun(1 + i % 2, 100'000'000);
    LoadedEngine loaded(w);
    EXPECT_TRUE(loaded.engine.statistics.cpuLoad.empty());
    EXPECT_EQ(loaded.engine.tracker.contexts[1].intervalCount, 0u);
}

TEST(StatisticsTest, IntervalsCloseEverySecondAndFileTheCpuLoad) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1000, 0, 0, 0, 0); // 1000 ticks per second
    w.taskRun(1, 0);
    w.taskStop(0); // task 1 entered first: not measured yet
    w.taskRun(1, 100);
    w.taskStop(250); // 250 ticks of task 1
    w.taskRun(2, 50);
    w.systemIdle(600); // closes at 1000: task 2 ran 600
    w.taskRun(2, 500);
    LoadedEngine loaded(w);
    RecordingEngine& engine = loaded.engine;
    const auto& load = engine.statistics.cpuLoad;
    ASSERT_EQ(load.size(), 1u);
    EXPECT_FLOAT_EQ(load.at(1).at(1), 0.25f);
    EXPECT_EQ(load.at(1).count(2), 1u);
    const ContextInfo& task1 = engine.tracker.contexts[1];
    EXPECT_EQ(task1.lastIntervalRunTime, 250u);
    EXPECT_EQ(task1.lastIntervalRuns, 2u);
    EXPECT_EQ(task1.intervalCount, 1u);
    EXPECT_EQ(engine.statistics.eventsLastInterval, 7u);
    EXPECT_EQ(engine.statistics.intervalStart, 1000u);
    EXPECT_EQ(engine.store.timeIndex().count(1), 1u);

    engine.statistics.resetStats(engine.tracker);
    EXPECT_EQ(engine.tracker.contexts[1].runCount, 0u);
    EXPECT_EQ(engine.tracker.contexts[1].minRunTime, 0xFFFFFFFFu);
    EXPECT_EQ(engine.store.total(), 9u);
}

// Three seconds of two tasks and idle at 1 kHz, after an optional Target Time packet that puts
// the recording at a target's uptime of 2.5 s.
StreamWriter threeSeconds(bool withTargetTime) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1000, 0, 0, 0, 0);
    if (withTargetTime)
        w.targetTimeUs(2'500'000, 0);
    for (int i = 0; i < 30; ++i) {
        w.taskRun(1, 10);
        w.taskRun(2, 40);
        w.systemIdle(30);
    }
    return w;
}

TEST(StatisticsTest, IntervalsStartAtTheFirstEventNotAtTickZero) {
    LoadedEngine plain(threeSeconds(false));
    LoadedEngine uptime(threeSeconds(true));
    ASSERT_GT(uptime.engine.lastNode->record.timestamp, 2000u); // times were rebased
    for (const uint32_t id : {IdleContext, 1u, 2u}) {
        const ContextInfo& a = plain.engine.tracker.contexts[id];
        const ContextInfo& b = uptime.engine.tracker.contexts[id];
        EXPECT_EQ(a.intervalCount, b.intervalCount) << id;
        EXPECT_EQ(a.minIntervalRunTime, b.minIntervalRunTime) << id;
        EXPECT_EQ(a.maxIntervalRunTime, b.maxIntervalRunTime) << id;
        EXPECT_EQ(a.intervalRunTimeSum, b.intervalRunTimeSum) << id;
    }
    // No empty first interval: task 2 ran in every closed interval.
    EXPECT_GT(uptime.engine.tracker.contexts[2].minIntervalRunTime, 0u);
    EXPECT_EQ(plain.engine.tracker.contexts[2].intervalCount, 2u);
}

struct ContextListTest : ::testing::Test {
    RecordingEngine engine;
    std::vector<uint32_t> rowsAfter(const StreamWriter& w) {
        engine.registerBuiltInContexts();
        test::decodeAll(engine, w.bytes());
        engine.dataProcess(1000);
        engine.contextList.rebuild(engine.tracker);
        return engine.contextList.rows();
    }
};

TEST_F(ContextListTest, TasksByPriorityInterruptsBeforeTheScheduler) {
    StreamWriter w;
    w.start(0);
    w.taskInfo(4, 10, "Low", 0);
    w.taskInfo(3, 30, "High", 0);
    w.taskInfo(6, 20, "MidB", 0);
    w.taskInfo(5, 20, "MidA", 0);
    w.timerEnter(0, 0);
    w.timerExit(0);
    w.isrEnter(7, 0);
    w.isrExit(0);
    const auto rows = rowsAfter(w);
    EXPECT_EQ(rows,
              (std::vector<uint32_t>{7, IdleContext, SchedulerContext, TimerContext, 3, 5, 6, 4}));
}

TEST_F(ContextListTest, ReversePriorityOrdersAscending) {
    engine.contextList.reversePriority = true;
    StreamWriter w;
    w.start(0);
    w.taskInfo(4, 10, "A", 0);
    w.taskInfo(3, 30, "B", 0);
    w.taskInfo(5, 20, "C", 0);
    const auto rows = rowsAfter(w);
    EXPECT_EQ(rows, (std::vector<uint32_t>{IdleContext, SchedulerContext, 4, 5, 3}));
}

TEST_F(ContextListTest, NamedInterruptsUseTheirSortKeys) {
    engine.tracker.isrs.obtain(20).sortKey = 0;
    engine.tracker.isrs.obtain(21).sortKey = 1;
    StreamWriter w;
    w.start(0);
    w.isrEnter(21, 0);
    w.isrExit(0);
    w.isrEnter(20, 0);
    w.isrExit(0);
    const auto rows = rowsAfter(w);
    // Keys below 1000 never go before rows of unnamed interrupts or Idle.
    EXPECT_EQ(rows, (std::vector<uint32_t>{IdleContext, 21, 20, SchedulerContext}));
}

} // namespace
} // namespace kavrin
