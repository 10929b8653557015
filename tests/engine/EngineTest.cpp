#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::decodeAll;

// Start, then `count` - 1 events alternating between two tasks and the scheduler.
StreamWriter switchingStream(uint32_t count) {
    StreamWriter w;
    w.reserve(size_t(count) * 4);
    w.start(0);
    for (uint32_t i = 1; i < count; ++i) {
        if (i % 2)
            w.taskRun(1 + (i / 2) % 2, 3);
        else
            w.taskStop(2);
    }
    return w;
}

TEST(EngineTest, LiveSlicesKeepAWindowOfAMillionEvents) {
    const StreamWriter w = switchingStream(1'000'000);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    uint32_t appendedRows = 0;
    int repaints = 0;
    engine.callbacks.rowsAppended = [&](uint32_t first, uint32_t last) {
        appendedRows += last - first + 1;
    };
    engine.callbacks.fullRepaint = [&] { ++repaints; };
    MemorySource source(w.bytes().data(), w.size());
    while (source.hasData()) {
        ASSERT_GT(engine.decoder.decodePackets(source, 250'000), 0);
        engine.liveSlice(std::chrono::milliseconds(10'000));
    }
    EXPECT_EQ(engine.nextIndex, 1'000'000u);
    EXPECT_EQ(engine.firstIndex, 100'000u);
    EXPECT_EQ(engine.store.total(), 900'000u);
    EXPECT_EQ(engine.store.first()->record.index, 100'000u);
    EXPECT_EQ(engine.store.nodeAt(0)->record.index, 100'000u);
    EXPECT_EQ(engine.store.nodeAt(899'999)->record.index, 999'999u);
    EXPECT_EQ(repaints, 1);
    EXPECT_GT(appendedRows, 0u);
    EXPECT_TRUE(engine.checkpoints.has(0));
    EXPECT_TRUE(engine.checkpoints.has(900'000));
    // No context holds a reference to a freed node.
    engine.tracker.contexts.forEach([&](uint32_t, ContextInfo& info) {
        if (info.pendingNode) {
            EXPECT_GE(info.pendingNode->record.index, 100'000u);
        }
    });
}

TEST(EngineTest, EmptySliceChangesNothingAndSyncIsNeverStored) {
    StreamWriter w;
    w.start(0);
    w.sync(1);
    w.taskRun(1, 1);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    int calls = 0;
    engine.callbacks.rowsAppended = [&](uint32_t, uint32_t) { ++calls; };
    EXPECT_EQ(engine.liveSlice(std::chrono::milliseconds(8)).processed, 0u);
    EXPECT_EQ(calls, 0);
    decodeAll(engine, w.bytes());
    EXPECT_EQ(engine.liveSlice(std::chrono::milliseconds(8)).processed, 3u);
    EXPECT_EQ(engine.nextIndex, 3u);
    EXPECT_EQ(engine.store.total(), 2u);
    EXPECT_EQ(engine.processedCount, 2u);
    EXPECT_EQ(calls, 1);
}

TEST(EngineTest, AnalysisPassStoresNothingButMeasures) {
    const StreamWriter w = switchingStream(1000);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    decodeAll(engine, w.bytes());
    engine.analyse(0, 999);
    EXPECT_EQ(engine.store.total(), 0u);
    EXPECT_EQ(engine.processedCount, 1000u);
    EXPECT_EQ(engine.tracker.contexts[1].runCount, 250u);
    EXPECT_FALSE(engine.checkpoints.has(0));
    EXPECT_EQ(engine.staging.count(), 1000u);
}

TEST(EngineTest, LoadPassAfterAnalysisMeasuresLikeAFreshRecording) {
    StreamWriter w = switchingStream(2000);
    w.userStart(3, 5);
    RecordingEngine straight;
    straight.registerBuiltInContexts();
    decodeAll(straight, w.bytes());
    straight.dataProcess(5000);

    RecordingEngine twoPass;
    twoPass.registerBuiltInContexts();
    decodeAll(twoPass, w.bytes());
    twoPass.analyse(0, 2000);
    twoPass.statistics.resetStats(twoPass.tracker);
    twoPass.restartForLoadPass();
    twoPass.decoder.reset();
    decodeAll(twoPass, w.bytes());
    twoPass.dataProcess(5000);

    for (uint32_t id : {1u, 2u, SchedulerContext}) {
        EXPECT_EQ(twoPass.tracker.contexts[id].runCount, straight.tracker.contexts[id].runCount);
        EXPECT_EQ(twoPass.tracker.contexts[id].totalRunTime,
                  straight.tracker.contexts[id].totalRunTime);
    }
    EXPECT_EQ(twoPass.store.last()->record.param2, 1u); // the User Start count starts anew
}

TEST(EngineTest, CheckpointsLetTheWindowMoveBack) {
    const StreamWriter w = switchingStream(250'000);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    decodeAll(engine, w.bytes());
    engine.dataProcess(250'000);
    ASSERT_TRUE(engine.checkpoints.has(200'000));
    const Checkpoint* checkpoint = engine.checkpoints.find(100'000);
    ASSERT_NE(checkpoint, nullptr);
    EXPECT_EQ(checkpoint->record.index, 100'000u);

    // Drop the front and bring events 100,000 .. 199,999 back from the checkpoint.
    const uint64_t expectedTime = engine.store.nodeAt(100'000)->record.timestamp;
    engine.firstIndex += engine.store.dropFront(200'000);
    ASSERT_TRUE(engine.resumeAtCheckpoint(100'000));
    EXPECT_FALSE(engine.resumeAtCheckpoint(150'000));
    engine.tracker.restore(checkpoint->state);
    MemorySource source(w.bytes().data() + checkpoint->record.streamPosition,
                        w.size() - checkpoint->record.streamPosition,
                        checkpoint->record.streamPosition);
    ASSERT_EQ(engine.decoder.decodePackets(source, 100'000), 100'000);
    engine.insertInFront(100'000, 199'999);
    EXPECT_EQ(engine.store.total(), 150'000u);
    EXPECT_EQ(engine.store.first()->record.index, 100'000u);
    EXPECT_EQ(engine.store.first()->record.timestamp, expectedTime);
    EXPECT_EQ(engine.store.nodeAt(100'000)->record.index, 200'000u);
    EXPECT_EQ(engine.firstNode->record.index, 100'000u);
}

TEST(EngineTest, ResetClearsEverything) {
    const StreamWriter w = switchingStream(1000);
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    decodeAll(engine, w.bytes());
    engine.dataProcess(1000);
    engine.resetAll();
    EXPECT_EQ(engine.store.total(), 0u);
    EXPECT_EQ(engine.nextIndex, 0u);
    EXPECT_EQ(engine.checkpoints.size(), 0u);
    EXPECT_EQ(engine.tracker.contexts.size(), 0u);
    EXPECT_EQ(engine.staging.count(), 0u);
    EXPECT_FALSE(engine.decoder.synchronised());
    EXPECT_TRUE(engine.contextList.rows().empty());
}

} // namespace
} // namespace kavrin
