#include "CountedFactsHarness.h"
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
        while (engine.liveSlice(std::chrono::milliseconds(10'000)).processed != 0) {
        }
    }
    EXPECT_EQ(engine.nextIndex, 1'000'000u);
    EXPECT_EQ(engine.firstIndex, 100'000u);
    EXPECT_EQ(engine.store.total(), 900'000u);
    EXPECT_EQ(engine.store.first()->record.index, 100'000u);
    EXPECT_EQ(engine.store.nodeAt(0)->record.index, 100'000u);
    EXPECT_EQ(engine.store.nodeAt(899'999)->record.index, 999'999u);
    EXPECT_EQ(repaints, 1);
    EXPECT_GT(appendedRows, 0u);
    // What the system information shows of a live recording: events and uptime so far.
    EXPECT_EQ(engine.largestProcessedCount, 1'000'000u);
    EXPECT_EQ(engine.lastTimestamp, engine.store.last()->record.timestamp);
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

TEST(EngineTest, DecodingResumedAtACheckpointRepeatsTheStraightLoad) {
    StreamWriter w = switchingStream(99'999);
    w.sync(7); // a Sync record right before the checkpoint must not shift the times after it
    for (uint32_t i = 0; i < 1000; ++i) {
        w.userStart(1, 5);
        w.taskRun(1 + i % 2, 3);
    }
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    decodeAll(engine, w.bytes());
    engine.dataProcess(200'000);
    std::vector<EventRecord> straight;
    for (EventNode* node = engine.store.nodeAt(99'999); node; node = node->next)
        straight.push_back(node->record);
    const std::vector<uint64_t> counted = test::countedFacts(engine);
    const Checkpoint* checkpoint = engine.checkpoints.find(100'000);
    ASSERT_NE(checkpoint, nullptr);
    EXPECT_EQ(checkpoint->record.index, 100'000u);
    EXPECT_FALSE(engine.resumeAtCheckpoint(150'000));

    // Reload the window from the checkpoint, as moving the window back does.
    engine.tracker.clearNodeReferences();
    engine.store.clear();
    engine.firstNode = engine.lastNode = nullptr;
    engine.firstIndex = engine.nextIndex = 100'000;
    ASSERT_TRUE(engine.resumeAtCheckpoint(100'000));
    engine.tracker.restore(checkpoint->state);
    const uint32_t position = checkpoint->record.streamPosition;
    MemorySource source(w.bytes().data() + position, w.size() - position, position);
    ASSERT_EQ(engine.decoder.decodePackets(source, 100'000), 2000);
    engine.dataProcess(2000);
    ASSERT_EQ(engine.store.total(), straight.size());
    uint32_t row = 0;
    for (const EventRecord& expected : straight) {
        const EventRecord& reloaded = engine.store.nodeAt(row++)->record;
        ASSERT_EQ(reloaded.index, expected.index);
        EXPECT_EQ(reloaded.timestamp, expected.timestamp) << expected.index;
        EXPECT_EQ(reloaded.param2, expected.param2) << expected.index; // User Start counts
        EXPECT_EQ(reloaded.contextBefore, expected.contextBefore) << expected.index;
    }
    // Events counted before are not counted again; events never counted are.
    EXPECT_TRUE(test::countedFacts(engine) == counted);
    StreamWriter more;
    more.taskRun(1, 3);
    MemorySource next(more.bytes().data(), more.size(), uint32_t(w.size()));
    ASSERT_EQ(engine.decoder.decodePackets(next, 10), 1);
    const uint32_t runsBefore = engine.tracker.contexts[1].runCount;
    engine.dataProcess(1);
    EXPECT_EQ(engine.tracker.contexts[1].runCount, runsBefore + 1);
}

TEST(EngineTest, FilteredRowsStayValidWhileTheLiveWindowDrops) {
    StreamWriter w;
    w.start(0);
    for (uint32_t i = 1; i < 1'250'000; ++i) {
        if (i % 3 == 0)
            w.isrEnter(5, 1);
        else if (i % 3 == 1)
            w.isrExit(1);
        else
            w.taskRun(1 + i % 2, 1);
    }
    RecordingEngine engine;
    engine.registerBuiltInContexts();
    engine.store.setClassShown(EventClass::Interrupt, false);
    engine.store.rebuildFilter();
    MemorySource source(w.bytes().data(), w.size());
    while (source.hasData()) {
        ASSERT_GT(engine.decoder.decodePackets(source, 50'000), 0);
        for (SliceResult slice;
             (slice = engine.liveSlice(std::chrono::milliseconds(10'000))).processed != 0;) {
            // A drop makes a slice of its own, so that it never adds to a full slice.
            if (slice.dropped) {
                ASSERT_EQ(slice.processed, 1u);
            }
        }
        // Every row names a stored node of the shown class, in order, numbered as its row.
        const uint32_t rows = engine.store.rowCount();
        ASSERT_GT(rows, 0u);
        for (const uint32_t row : {0u, rows / 2, rows - 1}) {
            const EventNode* node = engine.store.nodeAt(row);
            ASSERT_GE(node->record.index, engine.firstIndex);
            ASSERT_EQ(node->row, row);
            ASSERT_NE(eventClassOf(node->record.id), EventClass::Interrupt);
        }
    }
    EXPECT_EQ(engine.firstIndex, 300'000u);
    EXPECT_EQ(engine.store.nodeAt(0)->record.index, 300'002u); // 300,000 and 300,001: ISR
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
