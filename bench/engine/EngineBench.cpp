// Throughput of the three engine stages on a realistic stream: framing only, the analysis
// pass (decode, interpret, measure, intervals, with and without the overview) and the load pass
// (plus store and spans).
#include "engine/RecordingEngine.h"
#include "target/StreamWriter.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <random>

namespace kavrin {
namespace {

constexpr uint32_t StreamEvents = 2'000'000;
constexpr uint32_t Tasks = 8;
constexpr uint32_t Interrupts = 3;

// Eight tasks, three interrupts, the timer, API calls with parameters and their ends, log
// output: about one event in six carries a payload.
const std::vector<uint8_t>& realisticStream() {
    static const std::vector<uint8_t> bytes = [] {
        StreamWriter w;
        w.reserve(size_t(StreamEvents) * 5);
        std::minstd_rand generator(7);
        auto random = [&generator] { return uint32_t(generator()); };
        w.start(0);
        w.systemInfo(100'000'000, 200'000'000, 0, 0, 0);
        for (uint32_t task = 1; task <= Tasks; ++task)
            w.taskInfo(task, 10 + task, "Task" + std::to_string(task), 3);
        uint32_t events = 2 + Tasks;
        while (events < StreamEvents) {
            const uint32_t task = 1 + random() % Tasks;
            w.taskRun(task, 200 + random() % 500);
            const uint32_t call = 33 + random() % 30;
            w.api(call, {random() % 100, 0x20001000 + random() % 4096}, 80);
            w.apiEndValue(call, 0, 40);
            if (random() % 4 == 0) {
                w.isrEnter(16 + random() % Interrupts, 300);
                w.taskReady(1 + random() % Tasks, 20);
                w.isrExit(60);
                events += 3;
            }
            if (random() % 16 == 0) {
                w.logOutput("value %d at %x", 1 + random() % 3, 0, {random(), random()}, 90);
                ++events;
            }
            if (random() % 8 == 0) {
                w.timerEnter(1, 500);
                w.timerExit(300);
                events += 2;
            }
            w.taskBlock(task, 1, 1500 + random() % 3000);
            events += 4;
        }
        return w.bytes();
    }();
    return bytes;
}

// Decodes the stream in batches and hands each batch to `consume`.
template <class Consume>
uint32_t runPass(RecordingEngine& engine, uint32_t limit, Consume consume) {
    const auto& bytes = realisticStream();
    MemorySource source(bytes.data(), bytes.size());
    uint32_t total = 0;
    while (total < limit) {
        const uint32_t first = engine.staging.base() + engine.staging.count();
        const int32_t decoded =
            engine.decoder.decodePackets(source, std::min<uint32_t>(100'000, limit - total));
        if (decoded <= 0)
            break;
        consume(first, first + uint32_t(decoded) - 1);
        total += uint32_t(decoded);
    }
    return total;
}

void BM_Framing(benchmark::State& state) {
    uint64_t events = 0;
    for (auto _ : state) {
        RecordingEngine engine;
        events += runPass(engine, StreamEvents, [&](uint32_t first, uint32_t last) {
            EventRecord record;
            for (uint32_t i = first; i <= last; ++i) {
                engine.staging.copyOut(i, record);
                benchmark::DoNotOptimize(record);
                engine.staging.consumed(i);
            }
        });
    }
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations() * realisticStream().size()));
}

// Heap bytes per checkpoint that the pass left: what a long recording keeps for moving around.
double checkpointBytes(RecordingEngine& engine) {
    const size_t count = engine.checkpoints.size();
    const size_t before = mallinfo2().uordblks;
    engine.checkpoints.clear();
    return count ? double(before - mallinfo2().uordblks) / double(count) : 0;
}

// Argument 1 keeps the overview summary, 0 leaves it out: the two runs give its cost.
void BM_AnalysisPass(benchmark::State& state) {
    uint64_t events = 0;
    double bytesPerCheckpoint = 0;
    for (auto _ : state) {
        RecordingEngine engine;
        engine.keepOverview = state.range(0) != 0;
        engine.registerBuiltInContexts();
        events += runPass(engine, StreamEvents,
                          [&](uint32_t first, uint32_t last) { engine.analyse(first, last); });
        state.PauseTiming();
        bytesPerCheckpoint = checkpointBytes(engine);
        state.ResumeTiming();
    }
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
    state.counters["bytes/checkpoint"] = bytesPerCheckpoint;
}

uint32_t loadWindow(RecordingEngine& engine) {
    return runPass(engine, engine.window.size - 1,
                   [&](uint32_t first, uint32_t last) { engine.dataProcess(last - first + 1); });
}

// Memory of the stored window per event: the node and the chunks of texts and payloads.
double storedBytesPerEvent(const EventStore& store) {
    const size_t bytes = store.total() * sizeof(EventNode) + store.blockBytes();
    return store.total() ? double(bytes) / store.total() : 0;
}

// The load pass of a file: the first window of up to 1,000,000 events goes into the store.
// One engine serves every iteration, as in the program: its node pool is reused, so the
// figure leaves out the first touch of fresh memory (a new process pays that once). In the
// program the analysis pass has filled the overview summary before: the load pass adds
// nothing to it, which leaving the summary out measures.
void BM_LoadPass(benchmark::State& state) {
    uint64_t events = 0;
    RecordingEngine engine;
    engine.keepOverview = false;
    loadWindow(engine); // warm-up: fills the node pool once
    for (auto _ : state) {
        state.PauseTiming();
        engine.resetAll();
        engine.registerBuiltInContexts();
        state.ResumeTiming();
        events += loadWindow(engine);
    }
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
    state.counters["stored"] = engine.store.total();
    state.counters["node bytes"] = sizeof(EventNode);
    state.counters["bytes/stored event"] = storedBytesPerEvent(engine.store);
    state.counters["stream bytes/event"] = double(realisticStream().size()) / StreamEvents;
}

// Live recording past the window: every event beyond 1,000,000 drops an old one.
void BM_LiveWindow(benchmark::State& state) {
    uint64_t events = 0;
    RecordingEngine engine;
    for (auto _ : state) {
        state.PauseTiming();
        engine.resetAll();
        engine.registerBuiltInContexts();
        state.ResumeTiming();
        events += runPass(engine, StreamEvents, [&](uint32_t, uint32_t) {
            while (engine.liveSlice(std::chrono::milliseconds(10'000)).processed != 0) {
            }
        });
    }
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Framing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisPass)->ArgName("overview")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveWindow)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrin

BENCHMARK_MAIN();
