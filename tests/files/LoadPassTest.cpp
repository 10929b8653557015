#include "LoadHarness.h"

#include "../engine/CountedFactsHarness.h"
#include "FileHarness.h"
#include "StreamFilesHarness.h"
#include "files/DataFileHeader.h"
#include "target/StreamWriter.h"

#include <cstring>
#include <memory>

using namespace kavrin;
using namespace kavrin::test;

namespace {

QTemporaryDir& recordings() {
    static QTemporaryDir dir;
    return dir;
}

const QString& file250k() {
    static const QString path = generate(recordings(), QStringLiteral("250k.KVDat"), 250'000);
    return path;
}

const QString& file3m() {
    static const QString path = generate(recordings(), QStringLiteral("3m.KVDat"), 3'000'000,
                                         {QStringLiteral("--seed"), QStringLiteral("7")});
    return path;
}

// What the event list shows of an event is made of these fields.
struct EventFacts {
    uint32_t index, id, param1, param2, context, before, after;
    uint64_t timestamp, endTime;
    std::string text, payload;
    bool operator==(const EventFacts&) const = default;
};

EventFacts factsOf(const EventNode& node) {
    const EventRecord& r = node.record;
    return {r.index,
            r.id,
            r.param1,
            r.param2,
            r.context,
            r.contextBefore,
            r.contextAfter,
            r.timestamp,
            node.endTime,
            r.text ? r.text : "",
            std::string(reinterpret_cast<const char*>(r.payload), r.payload ? r.payloadSize : 0)};
}

// Facts of the stored events with index in [from, to).
std::vector<EventFacts> storedFacts(const RecordingEngine& engine, uint32_t from, uint32_t to) {
    std::vector<EventFacts> facts;
    for (EventNode* node = engine.store.first(); node; node = node->next)
        if (node->record.index >= from && node->record.index < to)
            facts.push_back(factsOf(*node));
    return facts;
}

} // namespace

TEST(LoadPass, AnalysesThenLoadsAWholeSmallRecording) {
    LoadHarness h;
    ASSERT_TRUE(h.open(file250k()));

    // Analysis without limit, then exactly the events it found, both from event 0.
    ASSERT_EQ(h.triggers.size(), 2u);
    EXPECT_EQ(h.triggers[0], LoadHarness::Range(0, 0xFFFFFFFFu, true));
    EXPECT_EQ(h.triggers[1], LoadHarness::Range(0, 250'000, true));
    EXPECT_TRUE(h.log.contains(QStringLiteral("250000 Events analyzed.")));
    EXPECT_TRUE(h.log.contains(QStringLiteral("250000 Events loaded.")));
    EXPECT_EQ(h.controller.eventsInFile(), 250'000u);
    EXPECT_EQ(h.controller.streamStop().reason, StreamStop::None);

    // Chunks of at most 100,000 events that cover each pass without gaps.
    uint32_t expectedFirst = 0;
    for (const auto& [first, last, append] : h.chunks) {
        if (first == 0)
            expectedFirst = 0;
        EXPECT_EQ(first, expectedFirst);
        EXPECT_LT(last - first, 100'000u);
        expectedFirst = last + 1;
    }
    EXPECT_EQ(expectedFirst, 250'000u);

    EXPECT_EQ(h.engine.nextIndex, 250'000u);
    EXPECT_EQ(h.engine.firstIndex, 0u);
    EXPECT_EQ(h.firstStored(), 0u);
    EXPECT_EQ(h.lastStored(), 249'999u);
    EXPECT_TRUE(h.engine.checkpoints.has(0) && h.engine.checkpoints.has(200'000));
    EXPECT_EQ(h.progressLabels, QStringList({QStringLiteral("Analyzing recorded data..."),
                                             QStringLiteral("Loading data...")}));
    EXPECT_EQ(h.properties.author, QStringLiteral("kavrin-gen"));

    // Everything is loaded: there is no window after this one, nor before.
    EXPECT_FALSE(h.after());
    EXPECT_FALSE(h.before());
}

TEST(LoadPass, ProgressIsShownOnlyForLoadsOfMoreThan100001Events) {
    QTemporaryDir dir;
    for (uint32_t events : {100'001u, 100'002u}) {
        LoadHarness h;
        ASSERT_TRUE(h.open(generate(dir, QStringLiteral("p.KVDat"), events)));
        EXPECT_EQ(h.progressLabels.contains(QStringLiteral("Loading data...")), events > 100'001u);
    }
}

TEST(LoadPass, WindowMovesThroughALongRecordingFromCheckpoints) {
    LoadHarness h;
    ASSERT_TRUE(h.open(file3m()));
    EXPECT_EQ(h.controller.eventsInFile(), 3'000'000u);
    ASSERT_EQ(h.triggers.back(), LoadHarness::Range(0, 1'000'000, true));
    // The millionth event drops the oldest 100,000 as live recording would.
    EXPECT_EQ(h.engine.nextIndex, 1'000'000u);
    EXPECT_EQ(h.engine.firstIndex, 100'000u);
    EXPECT_EQ(h.lastStored(), 999'999u);
    const std::vector<EventFacts> firstWindow = storedFacts(h.engine, 100'000, 150'000);

    // Forward: events 1,000,000 to 1,099,999 are appended.
    ASSERT_TRUE(h.after());
    EXPECT_EQ(h.triggers.back(), LoadHarness::Range(1'000'000, 100'000, true));
    EXPECT_EQ(h.lastStored(), 1'099'999u);
    EXPECT_LE(h.engine.store.total(), 1'000'000u);
    // Reference texts of a straight load, taken well before the window's end so that the
    // spans of these events are closed.
    const std::vector<EventFacts> straight = storedFacts(h.engine, 900'000, 980'000);
    const std::vector<EventFacts> afterStep = storedFacts(h.engine, 1'000'000, 1'050'000);

    // Back: the window restarts at the checkpoint 100,000 events before it.
    const uint32_t firstBefore = h.firstStored();
    ASSERT_TRUE(h.before());
    EXPECT_EQ(std::get<0>(h.triggers.back()), (firstBefore - 100'000) / 100'000 * 100'000);
    EXPECT_EQ(h.firstStored(), std::get<0>(h.triggers.back()));
    EXPECT_LT(h.engine.store.total(), 1'000'000u);

    // The same events, reached from a checkpoint, carry the same contexts, times and spans.
    EXPECT_TRUE(storedFacts(h.engine, 900'000, 980'000) == straight);

    // Back to the start of the recording, where the target time rebased the first events.
    ASSERT_TRUE(h.before());
    EXPECT_EQ(h.firstStored(), 0u);
    EXPECT_TRUE(storedFacts(h.engine, 100'000, 150'000) == firstWindow);
    EXPECT_FALSE(h.before());

    // And moving forward again continues from where the stored events end.
    while (h.lastStored() < 1'099'999u)
        ASSERT_TRUE(h.after());
    EXPECT_TRUE(storedFacts(h.engine, 1'000'000, 1'050'000) == afterStep);
}

// The analysis pass leaves checkpoints all through the file: a move far ahead decodes about a
// window's worth of events from the one near the target.
TEST(LoadPass, AMoveFarAheadResumesAtACheckpointOfTheAnalysis) {
    const WindowGeometry window{40'000, 4'000};
    LoadHarness moved;
    moved.engine.window = window;
    ASSERT_TRUE(moved.open(file250k()));
    EXPECT_TRUE(moved.engine.checkpoints.has(4'000) && moved.engine.checkpoints.has(248'000));
    const size_t chunksBefore = moved.chunks.size();
    ASSERT_TRUE(moved.controller.moveWindowTo(230'000));
    moved.waitUntilIdle();
    uint64_t decoded = 0;
    for (size_t i = chunksBefore; i < moved.chunks.size(); ++i)
        decoded += std::get<1>(moved.chunks[i]) - std::get<0>(moved.chunks[i]) + 1;
    EXPECT_LE(decoded, window.size);
    EXPECT_EQ(moved.firstStored(), 208'000u);

    // The same events as a window holding the whole file shows them.
    LoadHarness whole;
    whole.engine.window = {300'000, window.step};
    ASSERT_TRUE(whole.open(file250k()));
    const std::vector<EventFacts> expected = storedFacts(whole.engine, 215'000, 245'000);
    ASSERT_EQ(expected.size(), 30'000u);
    EXPECT_TRUE(storedFacts(moved.engine, 215'000, 245'000) == expected);
}

// Steps forward to the end of the file show the events as a window holding the whole file does,
// the spans that each step closed included.
TEST(LoadPass, StepsForwardShowWhatAWholeLoadShows) {
    LoadHarness stepped;
    stepped.engine.window = {40'000, 4'000};
    ASSERT_TRUE(stepped.open(file250k()));
    while (stepped.lastStored() < 249'999u)
        ASSERT_TRUE(stepped.after());
    LoadHarness whole;
    whole.engine.window = {300'000, 4'000};
    ASSERT_TRUE(whole.open(file250k()));
    const std::vector<EventFacts> expected =
        storedFacts(whole.engine, stepped.firstStored(), 250'000);
    const std::vector<EventFacts> shown =
        storedFacts(stepped.engine, stepped.firstStored(), 250'000);
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < shown.size(); ++i)
        ASSERT_TRUE(shown[i] == expected[i]) << "event " << shown[i].index;
}

TEST(LoadPass, WindowMovesCountEveryEventOnce) {
    QTemporaryDir dir;
    const QString path = generate(dir, QStringLiteral("overflows.KVDat"), 130'000,
                                  {QStringLiteral("--scenario"), QStringLiteral("overflow")});
    LoadHarness h;
    h.engine.window = {40'000, 4'000};  // overflows every few ten thousand events
    std::vector<uint32_t> overflowRows; // as the system information would list them
    h.engine.tracker.hooks.overflow = [&](uint32_t number, uint32_t) {
        overflowRows.push_back(number);
    };
    h.engine.tracker.hooks.overflowsCleared = [&] { overflowRows.clear(); };
    ASSERT_TRUE(h.open(path));
    ASSERT_TRUE(h.after());
    const std::vector<uint64_t> counted = countedFacts(h.engine);
    const std::vector<uint32_t> rows = overflowRows;
    ASSERT_FALSE(rows.empty());
    const uint32_t taskRuns = h.engine.tracker.counters.totalTaskRuns;

    const uint32_t first = h.firstStored(), last = h.lastStored();
    ASSERT_TRUE(h.before()); // replays events counted before
    EXPECT_TRUE(countedFacts(h.engine) == counted);
    ASSERT_TRUE(h.after()); // back where the first step ended: nothing new
    EXPECT_EQ(h.firstStored(), first);
    EXPECT_EQ(h.lastStored(), last);
    EXPECT_TRUE(countedFacts(h.engine) == counted);
    EXPECT_EQ(overflowRows, rows);

    ASSERT_TRUE(h.after()); // new events count once
    EXPECT_GT(h.engine.tracker.counters.totalTaskRuns, taskRuns);
    std::vector<uint32_t> unique = overflowRows;
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    EXPECT_EQ(unique, overflowRows);
    EXPECT_EQ(overflowRows.size(), h.engine.tracker.counters.overflowCount);
}

TEST(LoadPass, BrokenStreamsKeepWhatWasDecodedAndSayWhere) {
    QTemporaryDir dir;
    StreamWriter stream = smallRecording(); // 22 events
    const size_t goodSize = stream.size();
    stream.varint(FirstApiEvent);
    stream.varint(3000); // longer than any block may be
    LoadHarness h;
    ASSERT_TRUE(h.open(writeStream(dir, "invalid.KVDat", stream, true)));
    EXPECT_EQ(h.controller.eventsInFile(), 22u);
    EXPECT_EQ(h.engine.nextIndex, 22u);
    const StreamStopInfo stop = h.controller.streamStop();
    EXPECT_EQ(stop.reason, StreamStop::InvalidPacket);
    EXPECT_EQ(stop.eventIndex, 22u);
    EXPECT_EQ(stop.offset, h.file.headerLength() + goodSize);
    // The bad packet ends with the file, but it is complete: the file is corrupted, not cut.
    EXPECT_FALSE(stop.cutOff);
    EXPECT_FALSE(h.controller.holdsNoRecording());

    // Cut off inside the last packet.
    StreamWriter cut = smallRecording();
    cut.taskRun(0x12345, 0);
    LoadHarness h2;
    ASSERT_TRUE(h2.open(writeStream(dir, "cut.bin", withoutLast(cut, 2), false)));
    EXPECT_EQ(h2.controller.streamStop().reason, StreamStop::IncompletePacket);
    EXPECT_TRUE(h2.controller.streamStop().cutOff);
    EXPECT_EQ(h2.controller.streamStop().eventIndex, 22u);
    EXPECT_EQ(h2.engine.nextIndex, 22u);
    EXPECT_FALSE(h2.after()); // nothing decodable is left

    // An END packet cut inside its return value: the decoder calls it invalid, yet it was cut.
    StreamWriter endCut = smallRecording();
    endCut.apiEnd(FirstApiEvent, std::vector<uint8_t>{1, 2, 3, 4}, 0);
    LoadHarness h3;
    ASSERT_TRUE(h3.open(writeStream(dir, "end-cut.bin", withoutLast(endCut, 3), false)));
    EXPECT_EQ(h3.controller.streamStop().reason, StreamStop::InvalidPacket);
    EXPECT_TRUE(h3.controller.streamStop().cutOff);
    EXPECT_EQ(h3.engine.nextIndex, 22u);
}

TEST(LoadPass, FilesWithoutEventsLoadNothing) {
    QTemporaryDir dir;
    LoadHarness h;
    ASSERT_TRUE(h.open(writeStream(dir, "header-only.KVDat", StreamWriter(), true)));
    EXPECT_TRUE(h.log.contains(QStringLiteral("0 Events loaded.")));
    EXPECT_EQ(h.controller.streamStop().reason, StreamStop::None);
    EXPECT_EQ(h.engine.store.total(), 0u);
    EXPECT_FALSE(h.controller.holdsNoRecording()); // an empty recording, loaded as such

    // Packets before any Start packet are dropped up to the end of the file.
    StreamWriter noStart;
    for (int i = 0; i < 50; ++i)
        noStart.taskRun(3, 10);
    LoadHarness h2;
    ASSERT_TRUE(h2.open(writeStream(dir, "no-start.KVDat", noStart, false)));
    EXPECT_EQ(h2.engine.store.total(), 0u);
    EXPECT_EQ(h2.controller.streamStop().reason, StreamStop::NoStartPacket);
    EXPECT_EQ(h2.file.position(), h2.file.fileSize());
    // No recording: the analysis is the only pass.
    EXPECT_TRUE(h2.controller.holdsNoRecording());
    EXPECT_EQ(h2.triggers.size(), 1u);
    EXPECT_FALSE(h2.log.contains(QStringLiteral("0 Events loaded.")));
    EXPECT_FALSE(h2.after());

    LoadHarness h3;
    QString error;
    EXPECT_FALSE(h3.controller.analyzeFile(dir.filePath(QStringLiteral("none.KVDat")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(h3.controller.busy());
}

TEST(LoadPass, StepsAskedForDuringAPassRunAfterIt) {
    LoadHarness h;
    ASSERT_TRUE(h.controller.analyzeFile(file3m()));
    EXPECT_TRUE(h.controller.loadDataAfter()); // queued behind both passes
    h.waitUntilIdle();
    EXPECT_EQ(h.lastStored(), 1'099'999u);
    EXPECT_EQ(h.session.pendingChunks.value(), 0);
}

namespace {

// What the analysis pass leaves for the load pass and the views: the counted figures, the
// summary of the whole recording and where each checkpoint resumes.
std::vector<uint64_t> analysedFacts(const RecordingEngine& engine) {
    std::vector<uint64_t> facts = countedFacts(engine);
    const OverviewSummary& summary = engine.overview;
    facts.insert(facts.end(), {summary.eventCount(), summary.lastTime(), summary.binWidth(),
                               engine.lastTimestamp, engine.processedCount});
    for (uint32_t bin = 0; bin < OverviewBins; ++bin) {
        const OverviewBin b = summary.bin(bin);
        facts.insert(facts.end(), {b.events, b.apiCalls, b.firstIndex, b.firstOffset});
        facts.insert(facts.end(), b.messages.begin(), b.messages.end());
    }
    for (uint32_t index = 0; index < engine.processedCount; index += engine.window.step)
        if (const Checkpoint* checkpoint = engine.checkpoints.find(index))
            facts.insert(facts.end(), {index, checkpoint->lastTime,
                                       checkpoint->record.streamPosition, checkpoint->record.id});
    return facts;
}

} // namespace

// The window analyses on the GUI thread, in slices with its event loop in between, and runs
// the other passes elsewhere: that must come to what one buffer holding everything gives, and
// the load pass must go on from where the analysis left the decoder.
TEST(LoadPass, TheAnalysisInSlicesEqualsOneBuffer) {
    RecordingEngine reference;
    reference.resetAll();
    reference.registerBuiltInContexts();
    LoadedDataFile file;
    ASSERT_TRUE(file.open(file250k(), nullptr));
    RecordProperties properties;
    file.setHeaderLength(readHeader(file.window(), file.windowLength(), properties));
    ASSERT_EQ(reference.decoder.decodePackets(file, 1'000'000), 250'000);
    reference.analyse(0, 249'999);
    const std::vector<uint64_t> expected = analysedFacts(reference);

    RecordingEngine engine;
    engine.resetAll();
    engine.registerBuiltInContexts();
    LoadedDataFile loaded;
    LoadSession session{engine, loaded};
    LoadController controller{session, properties};
    FileLoadWorker sliced(session);
    FileLoadWorker whole(session);
    sliced.setChunkSizeAfterTimeBase(FileLoadWorker::InlineChunkSize);
    sliced.setSliceTime(std::chrono::milliseconds(0));
    for (FileLoadWorker* worker : {&sliced, &whole}) {
        QObject::connect(worker, &FileLoadWorker::LoadingStarted, &controller,
                         &LoadController::OnLoadingStarted);
        QObject::connect(worker, &FileLoadWorker::DataLoaded, &controller,
                         &LoadController::OnDataLoaded);
        QObject::connect(worker, &FileLoadWorker::LoadingFinished, &controller,
                         &LoadController::OnLoadingFinished);
    }
    QObject::connect(&controller, &LoadController::TriggerLoad,
                     [&](uint first, uint count, bool append) {
                         if (controller.pass() == LoadController::Pass::Analysis)
                             sliced.LoadDataInSlices(first, count, append);
                         else
                             whole.LoadData(first, count, append);
                     });
    std::vector<uint64_t> analysed;
    QObject::connect(&controller, &LoadController::updateStatsRequested,
                     [&] { analysed = analysedFacts(engine); });

    ASSERT_TRUE(controller.analyzeFile(file250k()));
    int turns = 0;
    while (controller.busy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ++turns;
    }
    EXPECT_GT(turns, 10); // the event loop ran between chunks
    EXPECT_TRUE(analysed == expected);
    ASSERT_TRUE(engine.store.last());
    EXPECT_EQ(engine.store.first()->record.index, 0u);
    EXPECT_EQ(engine.store.last()->record.index, 249'999u);
}

// A file that fills the window has the window's nodes set aside (and faulted in beside the
// analysis) before the load pass, and the views are told so then, once; the load pass then
// needs no other block. A shorter file is announced when its load pass starts.
TEST(LoadPass, TheAnalysisSetsTheWindowsNodesAsideForTheLoadPass) {
    // What the views were told, and whether the analysis had ended by then.
    using Announced = std::vector<std::pair<uint, bool>>;
    const auto watch = [](LoadHarness& h, Announced& announced, size_t& pooledAfterAnalysis) {
        auto analysed = std::make_shared<bool>(false);
        QObject::connect(
            &h.controller, &LoadController::windowFillsAhead,
            [&announced, analysed](uint events) { announced.emplace_back(events, *analysed); });
        QObject::connect(
            &h.controller, &LoadController::passFinished,
            [&h, &pooledAfterAnalysis, analysed](LoadController::Pass pass, uint, uint) {
                if (pass != LoadController::Pass::Analysis)
                    return;
                *analysed = true;
                pooledAfterAnalysis = h.engine.store.pooledNodes();
            });
    };
    LoadHarness h;
    h.engine.window = {40'000, 4'000};
    Announced announced;
    size_t pooledAfterAnalysis = 0;
    watch(h, announced, pooledAfterAnalysis);
    ASSERT_TRUE(h.open(file250k()));
    EXPECT_GE(pooledAfterAnalysis, 40'000u);
    EXPECT_EQ(h.engine.store.pooledNodes(), pooledAfterAnalysis);
    EXPECT_EQ(announced, (Announced{{40'000u, false}}));

    LoadHarness shorter;
    Announced shorterAnnounced;
    watch(shorter, shorterAnnounced, pooledAfterAnalysis);
    ASSERT_TRUE(shorter.open(file250k()));
    EXPECT_EQ(shorterAnnounced, (Announced{{shorter.controller.eventsInFile(), true}}));
}
