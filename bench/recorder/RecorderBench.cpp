// End to end live recording: the simulated target records as fast as the host takes the data
// (event rate 0), through the probe library, the recorder thread, the recording file and the
// decoder into the staging buffer, and the engine's live slice every 10 ms as the window's
// channel-poll timer runs it.

#include "engine/RecordingEngine.h"
#include "recorder/ConnectionSettings.h"
#include "recorder/LiveRecorder.h"
#include "recorder/ProbeLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace kavrin;

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(10);
constexpr auto SliceBudget = std::chrono::milliseconds(8);
constexpr uint64_t BytesPerIteration = 32 << 20;

bool useScenario(const QTemporaryDir& dir, int ringSize) {
    const QString path = dir.filePath(QStringLiteral("fast.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("[Target]\nEventRate=0\nRingSize=%1\n").arg(ringSize).toUtf8());
    qputenv("KAVRIN_SIM_SCENARIO", path.toLocal8Bit());
    return true;
}

void BM_LiveRecording(benchmark::State& state) {
    QTemporaryDir dir;
    if (!useScenario(dir, int(state.range(0)))) {
        state.SkipWithError("no scenario file");
        return;
    }
    ProbeLibrary probe(
        QStringLiteral(PROGRAM_FOLDER "/bench"), [] { return std::nullopt; },
        [](const QString&, const QString&) {});
    RecordingEngine engine;
    LiveRecorder recorder(engine.decoder, probe);
    engine.resetAll();
    recorder.reset();
    recorder.createRecordingFile();
    ConnectionSettings settings;
    settings.device = QStringLiteral("STM32F407VG");
    recorder.configure(settings);
    recorder.startThread(RequestPeriods());
    while (!recorder.connectAttemptOver())
        QThread::msleep(1);
    if (recorder.threadError() != 0) {
        state.SkipWithError("no connection");
        recorder.waitAndDeleteThread();
        return;
    }
    engine.registerBuiltInContexts();
    recorder.sendRecorderCommand(StartCommand);

    // What the engine has taken in, end to end: events and their stream bytes.
    const auto processedBytes = [&engine] {
        return engine.store.last() ? uint64_t(engine.store.last()->record.streamPosition) : 0;
    };
    using Clock = std::chrono::steady_clock;
    double sliceTotal = 0;
    double sliceLongest = 0;
    int64_t slices = 0;
    const uint32_t firstEvent = engine.nextIndex;
    const uint64_t firstByte = processedBytes();
    const uint64_t firstReceived = recorder.bytesReceived();
    auto tick = Clock::now();
    for (auto _ : state) {
        const uint64_t until = processedBytes() + BytesPerIteration;
        while (processedBytes() < until && !recorder.threadEnded()) {
            // A timer's ticks: 10 ms from start to start.
            tick += PollInterval;
            std::this_thread::sleep_until(tick);
            const auto begin = Clock::now();
            engine.liveSlice(SliceBudget);
            const double millis =
                std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
            sliceTotal += millis;
            sliceLongest = std::max(sliceLongest, millis);
            ++slices;
        }
    }
    const uint64_t bytes = processedBytes() - firstByte;
    const uint64_t received = recorder.bytesReceived() - firstReceived;
    const uint32_t events = engine.nextIndex - firstEvent;
    recorder.sendRecorderCommand(StopCommand);
    recorder.sendRecorderCommand(QuitCommand);
    recorder.waitAndDeleteThread();
    if (recorder.threadError() != 0)
        state.SkipWithError("the recording broke off");
    state.SetBytesProcessed(int64_t(bytes));
    state.SetItemsProcessed(int64_t(events));
    // The recorder thread runs ahead of the engine until the staging buffer is full.
    state.counters["received_bytes_per_second"] =
        benchmark::Counter(double(received), benchmark::Counter::kIsRate);
    state.counters["slice_ms_mean"] = slices ? sliceTotal / double(slices) : 0;
    state.counters["slice_ms_max"] = sliceLongest;
    state.counters["target_dropped"] = engine.tracker.counters.lastDropCount;
    state.counters["staged_behind"] = engine.staging.count();
    qunsetenv("KAVRIN_SIM_SCENARIO");
}
BENCHMARK(BM_LiveRecording)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

} // namespace

BENCHMARK_MAIN();
