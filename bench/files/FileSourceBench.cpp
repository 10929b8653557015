// Decoding a data file through the windowed file source against the same bytes in memory:
// the window must cost next to nothing per byte.
#include "engine/StreamDecoder.h"
#include "files/LoadedDataFile.h"
#include "target/StreamWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kavrin;

namespace {

constexpr uint32_t Events = 1'000'000;

std::vector<uint8_t> recording() {
    StreamWriter writer;
    writer.start(0);
    writer.systemInfo(10'000'000, 100'000'000, 0, 0, 1);
    for (uint32_t i = 2; i < Events; i += 2) {
        writer.taskRun(1 + i % 5, 37);
        writer.isrEnter(15, 120);
    }
    return writer.bytes();
}

template <class Source> void decodeAll(benchmark::State& state, Source& source, auto rewind) {
    StagingBuffer staging;
    StreamDecoder decoder(staging);
    for (auto _ : state) {
        rewind();
        decoder.reset();
        uint32_t decoded = 0;
        for (int32_t r; (r = decoder.decodePackets(source, 100'000)) > 0;) {
            decoded += uint32_t(r);
            for (uint32_t index = staging.base(); index < staging.base() + staging.count(); ++index)
                staging.consumed(index);
        }
        benchmark::DoNotOptimize(decoded);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Events);
}

void BM_DecodeFromFile(benchmark::State& state) {
    const std::vector<uint8_t> bytes = recording();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.bin"));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    out.close();
    LoadedDataFile file;
    file.open(path);
    decodeAll(state, file, [&] { file.seek(0); });
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_DecodeFromFile)->Unit(benchmark::kMillisecond);

void BM_DecodeFromMemory(benchmark::State& state) {
    const std::vector<uint8_t> bytes = recording();
    std::optional<MemorySource> source;
    decodeAll(state, source.emplace(bytes.data(), bytes.size()),
              [&] { source.emplace(bytes.data(), bytes.size()); });
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_DecodeFromMemory)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
