#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kavrin {
namespace {

// A fresh engine that ran the analysis pass over the whole stream.
struct AnalysedEngine {
    explicit AnalysedEngine(const StreamWriter& writer) {
        engine.registerBuiltInContexts();
        test::decodeAll(engine, writer.bytes());
        if (engine.staging.count() != 0)
            engine.analyse(0, engine.staging.count() - 1);
    }
    size_t slot(uint32_t contextId) const {
        for (size_t s = 0; s < summary().contextCount(); ++s)
            if (summary().contextId(s) == contextId)
                return s;
        ADD_FAILURE() << "no slot for context " << contextId;
        return 0;
    }
    uint64_t totalRunTime(uint32_t contextId) const {
        const size_t s = slot(contextId);
        uint64_t sum = 0;
        for (uint32_t bin = 0; bin < OverviewBins; ++bin)
            sum += summary().runTime(s, bin);
        return sum;
    }
    const OverviewSummary& summary() const { return engine.overview; }
    RecordingEngine engine;
};

const std::span<const uint32_t> NoArgs;

TEST(OverviewSummaryTest, RunTimesAndCountsLandInTheirBins) {
    StreamWriter w;
    w.start(0);                           // t 0, Idle runs
    w.taskRun(1, 10);                     // t 10
    w.api(40, {1}, 4);                    // t 14, task 1 calls
    w.isrEnter(5, 16);                    // t 30
    w.logOutput("warn", 1, 0, NoArgs, 2); // t 32
    w.isrExit(3);                         // t 35
    w.logOutput("err", 2, 0, NoArgs, 5);  // t 40
    w.logOutput("odd", 9, 0, NoArgs, 0);  // t 40
    w.systemIdle(10);                     // t 50
    AnalysedEngine analysed(w);
    const OverviewSummary& summary = analysed.summary();

    EXPECT_EQ(summary.binWidth(), 1u);
    EXPECT_EQ(summary.origin(), 0u);
    EXPECT_EQ(summary.usedBins(), 51u);
    EXPECT_EQ(summary.eventCount(), 9u);
    EXPECT_EQ(analysed.totalRunTime(IdleContext), 10u);
    EXPECT_EQ(analysed.totalRunTime(1), 35u);
    EXPECT_EQ(analysed.totalRunTime(5), 5u);
    EXPECT_EQ(summary.runTime(analysed.slot(5), 30), 1u);
    EXPECT_EQ(summary.runTime(analysed.slot(5), 35), 0u);
    EXPECT_EQ(summary.runTime(analysed.slot(1), 35), 1u);

    EXPECT_EQ(summary.bin(14).apiCalls, 1u);
    EXPECT_EQ(summary.bin(32).messages[1], 1u);
    EXPECT_EQ(summary.bin(40).messages[2], 1u);
    EXPECT_EQ(summary.bin(40).messages[3], 1u); // any other level
    EXPECT_EQ(summary.bin(40).events, 2u);
    EXPECT_EQ(summary.bin(40).firstIndex, 6u);
    EXPECT_EQ(summary.bin(11).firstIndex, NoOverviewEvent);
    EXPECT_EQ(summary.bin(0).firstOffset, 0u);
    EXPECT_GT(summary.bin(10).firstOffset, 0u);
}

TEST(OverviewSummaryTest, OutgrownBinsMergeByPairsAndKeepEverything) {
    StreamWriter w;
    w.start(0);
    for (uint32_t i = 0; i < 3000; ++i) // t 3, 6 .. 9000
        w.taskRun(1 + i % 3, 3);
    AnalysedEngine analysed(w);
    const OverviewSummary& summary = analysed.summary();

    // 9000 ticks need 4 ticks per bin: 4096 x 2 is too short.
    EXPECT_EQ(summary.binWidth(), 4u);
    EXPECT_EQ(summary.usedBins(), 9000u / 4 + 1);
    uint64_t events = 0;
    uint64_t ran = 0;
    for (uint32_t bin = 0; bin < OverviewBins; ++bin) {
        events += summary.bin(bin).events;
        for (size_t s = 0; s < summary.contextCount(); ++s)
            ran += summary.runTime(s, bin);
        const uint32_t first = summary.bin(bin).firstIndex;
        if (first == NoOverviewEvent)
            continue;
        // Event i lies at 3i: the first event of a bin is the first multiple of 3 in it.
        const uint64_t start = summary.binStart(bin);
        EXPECT_EQ(first, (start + 2) / 3) << "bin " << bin;
    }
    EXPECT_EQ(events, 3001u);
    EXPECT_EQ(ran, 9000u); // every tick belongs to exactly one context
    EXPECT_EQ(analysed.totalRunTime(1), 3000u);
    EXPECT_EQ(summary.binOf(9000), 2250u);
    EXPECT_EQ(summary.binOf(1u << 30), OverviewBins - 1);
}

// A realistic recording: the summary's counts are those the analysis pass found, and a load pass
// over the same events adds nothing.
TEST(OverviewSummaryTest, CountsEqualTheAnalysisPassAndReplaysAddNothing) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1000, 0, 0, 0, 0);
    uint32_t apiCalls = 0;
    uint32_t messages = 0;
    for (uint32_t i = 0; i < 20'000; ++i) {
        w.taskRun(1 + i % 5, 7 + i % 13);
        if (i % 3 == 0) {
            w.api(40 + i % 4, {i}, 2);
            w.apiEndValue(40 + i % 4, 0, 1);
            ++apiCalls;
        }
        if (i % 7 == 0) {
            w.isrEnter(16, 5);
            w.logOutput("tick", i % 3, 0, NoArgs, 1);
            w.isrExit(4);
            ++messages;
        }
        if (i % 1000 == 0)
            w.sync(1);
    }
    AnalysedEngine analysed(w);
    RecordingEngine& engine = analysed.engine;
    const OverviewSummary& summary = engine.overview;
    const uint64_t syncs = 20;

    uint64_t events = 0, calls = 0, logs = 0;
    for (uint32_t bin = 0; bin < OverviewBins; ++bin) {
        events += summary.bin(bin).events;
        calls += summary.bin(bin).apiCalls;
        const auto& levels = summary.bin(bin).messages;
        logs += std::accumulate(levels.begin(), levels.end(), 0u);
    }
    EXPECT_EQ(events, engine.processedCount - syncs);
    EXPECT_EQ(summary.eventCount(), engine.processedCount - syncs);
    EXPECT_EQ(calls, apiCalls);
    EXPECT_EQ(logs, messages);
    // The interrupt's runs are all closed; the tracker leaves out a context's first run (5 ticks
    // here), the summary has every tick.
    const uint64_t isrTime = analysed.totalRunTime(16);
    EXPECT_EQ(isrTime, engine.tracker.contexts[16].totalRunTime + 5);
    uint64_t ran = 0;
    for (size_t s = 0; s < summary.contextCount(); ++s)
        ran += analysed.totalRunTime(summary.contextId(s));
    EXPECT_EQ(ran, summary.lastTime() - summary.origin());

    // The load pass replays the same indexes: nothing changes.
    const uint64_t before = summary.eventCount();
    engine.statistics.resetStats(engine.tracker);
    engine.decoder.reset();
    engine.staging.restartAt(0);
    engine.restartForLoadPass();
    test::decodeAll(engine, w.bytes());
    engine.dataProcess(engine.staging.count());
    EXPECT_EQ(summary.eventCount(), before);
    EXPECT_EQ(analysed.totalRunTime(16), isrTime);
    EXPECT_EQ(engine.tracker.contexts[16].totalRunTime + 5, isrTime);

    engine.resetAll();
    EXPECT_FALSE(summary.hasEvents());
    EXPECT_EQ(summary.contextCount(), 0u);
}

void expectSameSummary(const OverviewSummary& a, const OverviewSummary& b) {
    ASSERT_EQ(a.binWidth(), b.binWidth());
    ASSERT_EQ(a.contextCount(), b.contextCount());
    EXPECT_EQ(a.eventCount(), b.eventCount());
    EXPECT_EQ(a.lastTime(), b.lastTime());
    for (uint32_t bin = 0; bin < OverviewBins; ++bin) {
        const OverviewBin x = a.bin(bin), y = b.bin(bin);
        EXPECT_EQ(x.events, y.events) << "bin " << bin;
        EXPECT_EQ(x.apiCalls, y.apiCalls) << "bin " << bin;
        EXPECT_EQ(x.messages, y.messages) << "bin " << bin;
        EXPECT_EQ(x.firstIndex, y.firstIndex) << "bin " << bin;
        EXPECT_EQ(x.firstOffset, y.firstOffset) << "bin " << bin;
        for (size_t s = 0; s < a.contextCount(); ++s)
            EXPECT_EQ(a.runTime(s, bin), b.runTime(s, bin)) << "bin " << bin << " slot " << s;
    }
}

// The analysis pass counts most events in its own loop and the rest in the summary: whatever
// the pieces it is handed (one starting or ending at Sync records, or overlapping events the
// summary holds), the summary equals one fed event by event while the window is loaded.
TEST(OverviewSummaryTest, TheAnalysisPassInPiecesEqualsEventByEvent) {
    StreamWriter w;
    w.sync(0);
    w.start(0);
    w.systemInfo(1000, 0, 0, 0, 0);
    for (uint32_t i = 0; i < 3'000; ++i) {
        w.taskRun(1 + i % 4, 3 + i % 11);
        w.api(33 + i % 40, {i}, 1);
        if (i % 5 == 0)
            w.logOutput("level", i % 6, 0, NoArgs, 2);
        if (i % 97 == 0) {
            w.sync(1);
            w.sync(0);
        }
        if (i % 251 == 0)
            w.overflow(i, 4);
        if (i == 1'500)
            w.taskBlock(2, 1, 4'000'000); // bins merge many times at once
        w.isrEnter(16 + i % 2, 2);
        w.isrExit(5);
    }
    RecordingEngine pieces;
    pieces.registerBuiltInContexts();
    test::decodeAll(pieces, w.bytes());
    const uint32_t count = pieces.staging.count();
    for (uint32_t first = 0, size = 1; first < count; first += size, size = size * 3 % 1'001)
        pieces.analyse(first, std::min(first + size, count) - 1);

    RecordingEngine loaded;
    loaded.window.size = count + 1;
    loaded.registerBuiltInContexts();
    test::decodeAll(loaded, w.bytes());
    loaded.dataProcess(count);
    expectSameSummary(pieces.overview, loaded.overview);

    // A second pass over events the summary holds changes nothing in it.
    const uint64_t events = pieces.overview.eventCount();
    pieces.staging.restartAt(0);
    test::decodeAll(pieces, w.bytes());
    pieces.analyse(0, count - 1);
    EXPECT_EQ(pieces.overview.eventCount(), events);
    expectSameSummary(pieces.overview, loaded.overview);
}

// Memory does not grow with the recording's length, and a flood of context ids is capped.
TEST(OverviewSummaryTest, MemoryIsBoundedByBinsAndContexts) {
    StreamWriter w;
    w.start(0);
    for (uint32_t i = 0; i < 2 * OverviewContextLimit; ++i) {
        w.isrEnter(100 + i, 1'000'000);
        w.isrExit(1'000'000);
    }
    AnalysedEngine analysed(w);
    const OverviewSummary& summary = analysed.summary();
    EXPECT_EQ(summary.contextCount(), OverviewContextLimit);
    EXPECT_TRUE(summary.contextsCapped());
    EXPECT_EQ(summary.eventCount(), 4u * OverviewContextLimit + 1);
    EXPECT_LE(summary.usedBins(), OverviewBins);
    // The time of the contexts left out is missing, nothing else.
    uint64_t ran = 0;
    for (size_t s = 0; s < summary.contextCount(); ++s)
        ran += analysed.totalRunTime(summary.contextId(s));
    EXPECT_LT(ran, summary.lastTime() - summary.origin());
    EXPECT_GE(ran, (summary.lastTime() - summary.origin()) / 2);
}

EventRecord taskRunAt(uint32_t index, uint64_t timestamp) {
    EventRecord record;
    record.index = index;
    record.id = TaskRunEvent;
    record.timestamp = timestamp;
    record.contextAfter = 1 + index % 2;
    return record;
}

// A jump in time merges as many neighbouring bins at once as the new width needs.
TEST(OverviewSummaryTest, AJumpInTimeMergesGroupsOfBins) {
    OverviewSummary summary;
    for (uint32_t i = 0; i < OverviewBins; ++i)
        summary.add(taskRunAt(i, i));
    summary.add(taskRunAt(OverviewBins, 8 * OverviewBins - 1));
    EXPECT_EQ(summary.binWidth(), 8u);
    for (uint32_t bin : {0u, 1u, 511u}) {
        EXPECT_EQ(summary.bin(bin).events, 8u);
        EXPECT_EQ(summary.bin(bin).firstIndex, 8 * bin);
        EXPECT_EQ(summary.runTime(0, bin) + summary.runTime(1, bin), 8u);
    }
    EXPECT_EQ(summary.bin(512).events, 0u);
    EXPECT_EQ(summary.bin(OverviewBins - 1).firstIndex, OverviewBins);
}

// Fewer bins hold the same recording in wider bins: each is the sum of the group of bins that
// a summary of more bins has at the same place, after jumps of many doublings at once.
TEST(OverviewSummaryTest, FewerBinsHoldGroupsOfTheBinsOfMore) {
    OverviewSummary fine;
    OverviewSummary coarse(64);
    EXPECT_EQ(coarse.bin(0).events, 0u); // before any event
    const uint64_t times[] = {5, 6, 900, 901, 70'000, 70'003, 5'000'000, 5'000'100, 1ull << 40};
    uint32_t index = 0;
    for (uint64_t t : times) {
        for (uint64_t step = 0; step < 3; ++step, ++index) {
            EventRecord record = taskRunAt(index, t + 7 * step);
            if (index % 4 == 0)
                record.id = 40; // an API call
            fine.add(record);
            coarse.add(record);
        }
    }
    const uint32_t group = OverviewBins / 64;
    ASSERT_EQ(coarse.binWidth(), fine.binWidth() * group);
    for (uint32_t bin = 0; bin < 64; ++bin) {
        const OverviewRange range{bin * group, (bin + 1) * group};
        OverviewBin sum;
        for (uint32_t b = range.first; b < range.end; ++b) {
            const OverviewBin part = fine.bin(b);
            if (sum.firstIndex == NoOverviewEvent)
                sum.firstIndex = part.firstIndex;
            sum.events += part.events;
            sum.apiCalls += part.apiCalls;
        }
        EXPECT_EQ(coarse.bin(bin).events, sum.events) << "bin " << bin;
        EXPECT_EQ(coarse.bin(bin).apiCalls, sum.apiCalls) << "bin " << bin;
        EXPECT_EQ(coarse.bin(bin).firstIndex, sum.firstIndex) << "bin " << bin;
        for (size_t s = 0; s < fine.contextCount(); ++s)
            EXPECT_EQ(coarse.runTime(s, bin), fine.runTime(s, range)) << "bin " << bin;
    }
    EXPECT_EQ(coarse.eventCount(), index);
}

// A target's time may be rebased to any 64-bit value: bins as wide as 2^52 ticks and a last bin
// that ends past 2^64 still hold every event and tick.
TEST(OverviewSummaryTest, TimesNearTheEndOfTheClockFit) {
    OverviewSummary summary;
    const uint64_t times[] = {0, 100, uint64_t(1) << 63, ~uint64_t(0) - 3, ~uint64_t(0)};
    for (uint32_t index = 0; index < std::size(times); ++index)
        summary.add(taskRunAt(index, times[index]));
    EXPECT_EQ(summary.eventCount(), 5u);
    EXPECT_EQ(summary.binWidth(), uint64_t(1) << 52);
    EXPECT_EQ(summary.usedBins(), OverviewBins);
    EXPECT_EQ(summary.bin(0).events, 2u);
    EXPECT_EQ(summary.bin(OverviewBins / 2).firstIndex, 2u);
    EXPECT_EQ(summary.bin(OverviewBins - 1).events, 2u);
    uint64_t ran = 0;
    for (size_t s = 0; s < summary.contextCount(); ++s)
        ran += summary.runTime(s, OverviewRange{0, OverviewBins});
    EXPECT_EQ(ran, ~uint64_t(0));
    EXPECT_EQ(summary.binStart(OverviewBins), ~uint64_t(0));
}

} // namespace
} // namespace kavrin
