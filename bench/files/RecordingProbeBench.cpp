// The check made before a file replaces the recording on show runs on the GUI thread: its
// worst case, a stream without a Start packet, must stay short.
#include "files/RecordingProbe.h"
#include "target/StreamWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kavrin;

namespace {

// Packets up to and beyond the probe's limit, none of them a Start packet.
std::vector<uint8_t> streamWithoutStart() {
    StreamWriter writer;
    writer.systemInfo(10'000'000, 100'000'000, 0, 0, 1);
    while (writer.size() < LoadedDataFile::WindowCapacity + 1'000'000) {
        writer.taskRun(3, 37);
        writer.api(40, {1, 2, 300}, 12);
        writer.isrEnter(15, 120);
    }
    return writer.bytes();
}

void BM_ProbeStreamWithoutStart(benchmark::State& state) {
    const std::vector<uint8_t> bytes = streamWithoutStart();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no-start.bin"));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    out.close();
    for (auto _ : state)
        benchmark::DoNotOptimize(noRecordingIn(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * LoadedDataFile::WindowCapacity);
}
BENCHMARK(BM_ProbeStreamWithoutStart)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
