// Speed of the simulated target: generating recordings and moving them over the channel.

#include "target/Generate.h"
#include "target/ProbeSession.h"

#include <benchmark/benchmark.h>

#include <thread>

using namespace kavrin;

namespace {

const char* const Scenarios[] = {"control", "busy", "api", "overflow"};

// kavrin-gen's inner loop: packets per second of simulated firmware, without file output.
void BM_GenerateRecording(benchmark::State& state) {
    Scenario scenario;
    builtInScenario(Scenarios[state.range(0)], scenario);
    state.SetLabel(scenario.name);
    constexpr uint64_t Events = 1'000'000;
    StreamWriter out;
    uint64_t bytes = 0;
    for (auto _ : state) {
        FirmwareModel model(scenario, 1);
        out.clear();
        generateRecording(model, Events, out, 1 << 20, [&](StreamWriter& writer) {
            bytes += writer.size();
            writer.clear();
            return true;
        });
    }
    state.SetItemsProcessed(int64_t(state.iterations() * Events));
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_GenerateRecording)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The live channel: the firmware records as fast as the host reads (event rate 0) and the
// host reads 32 KiB at a time, as the recorder thread does.
void BM_ChannelThroughput(benchmark::State& state) {
    SimConfig config = defaultSimConfig();
    config.eventRate = 0;
    config.ringSize = uint32_t(state.range(0));
    ProbeSession probe([config](SimConfig& out, std::string&) {
        out = config;
        return true;
    });
    if (probe.open() || probe.connect() != 0) {
        state.SkipWithError("no connection");
        return;
    }
    probe.terminalControl(ProbeSession::StartTerminal, nullptr);
    uint32_t direction = 0;
    while (probe.terminalControl(ProbeSession::CountChannels, &direction) < 0)
        std::this_thread::yield();
    const char start = 1;
    probe.terminalWrite(SimulatedTarget::RecorderChannel, &start, 1);

    char block[32768];
    constexpr int64_t BytesPerIteration = 8 << 20;
    for (auto _ : state) {
        int64_t received = 0;
        while (received < BytesPerIteration) {
            const int count =
                probe.terminalRead(SimulatedTarget::RecorderChannel, block, sizeof block);
            if (count < 0) {
                state.SkipWithError("read failed");
                return;
            }
            if (count == 0)
                std::this_thread::yield();
            received += count;
        }
    }
    state.SetBytesProcessed(state.iterations() * BytesPerIteration);
    state.counters["lost"] = double(probe.target()->eventsLost());
}
BENCHMARK(BM_ChannelThroughput)
    ->Arg(64 * 1024)
    ->Arg(1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
