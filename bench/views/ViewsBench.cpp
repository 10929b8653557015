// Repaint cost of the timeline and the CPU load view with a full store: 1,000,000 events over
// 20 contexts, 1600 x 400 pixels, at "View 10us" and "Full Recording". A full repaint renders
// the lane image (or accumulates the bins) anew; a scroll step reuses the image. The overview
// strip above the timeline, 1600 x 40 pixels, over the same recording.
#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "target/StreamWriter.h"
#include "tests/engine/EngineHarness.h"
#include "views/LoadView.h"
#include "views/OverviewStrip.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace kavrin {
namespace {

constexpr uint32_t StoredEvents = 1'000'000;
constexpr uint32_t Frequency = 100'000'000;
constexpr uint32_t Tasks = 16;
constexpr uint32_t Interrupts = 3; // with Idle, the scheduler: 21 contexts... minus one task
constexpr int Width = 1600;
constexpr int Height = 400;

// A task is named by the address of its control block, as on a target.
constexpr uint32_t taskId(uint32_t task) {
    return 0x2000'1000 + 0x60 * task;
}

// Tasks switching through the scheduler, interrupts, ready events, API calls and messages,
// about 45 s long.
StreamWriter recording() {
    StreamWriter w;
    w.reserve(size_t(StoredEvents) * 6);
    std::minstd_rand generator(11);
    auto random = [&generator](uint32_t n) { return uint32_t(generator()) % n; };
    w.start(0);
    w.systemInfo(Frequency, Frequency, 0, 0, 0);
    for (uint32_t task = 1; task < Tasks; ++task)
        w.taskInfo(taskId(task), 10 + task, "Task " + std::to_string(task), 10);
    uint32_t events = 1 + Tasks;
    while (events + 8 <= StoredEvents) {
        const uint32_t task = 1 + random(Tasks - 1);
        w.taskReady(taskId(task), 300 + random(2000));
        w.taskRun(taskId(task), 100 + random(500));
        const uint32_t call = 40 + random(8);
        w.api(call, {random(100)}, 200);
        w.apiEndValue(call, 0, 100 + random(300));
        w.isrEnter(16 + random(Interrupts), 500 + random(1000));
        w.isrExit(100 + random(200));
        if (random(8) == 0)
            w.logOutput("tick", random(3), 0, std::span<const uint32_t>(), 50);
        else
            w.systemIdle(100);
        w.taskStop(500 + random(2000));
        events += 8;
    }
    return w;
}

struct Scene {
    Scene() {
        const StreamWriter w = recording();
        engine.registerBuiltInContexts();
        test::decodeAll(engine, w.bytes());
        engine.dataProcess(engine.staging.count());
        engine.contextList.rebuild(engine.tracker);
        presentation.timeBase.setFrequency(Frequency);
        time.resize(Width, Height);
        load.resize(Width, Height);
        strip.resize(Width, OverviewStripHeight);
        connectSelection();
        timeline.index();
    }
    void connectSelection() {
        QObject::connect(&timeline, &TimelineState::selectRow, &time, &TimeView::selectionChanged);
        time.selectionChanged(int(engine.store.rowCount() / 2));
    }
    RecordingEngine engine;
    Presentation presentation;
    ViewOptions options;
    TimelineState timeline{engine, presentation, options};
    TimeView time{engine, presentation, options, timeline};
    LoadView load{engine, presentation, options, timeline};
    OverviewStrip strip{engine, presentation, timeline};
};

Scene& scene() {
    static Scene shared;
    return shared;
}

void setZoom(benchmark::State& state, Scene& s) {
    s.timeline.setZoomRow(int(state.range(0)));
    state.SetLabel(ZoomLevels[size_t(state.range(0))].label);
    state.counters["events"] = double(s.engine.store.total());
    state.counters["contexts"] = double(s.engine.contextList.rows().size());
}

void TimelineFullRepaint(benchmark::State& state) {
    Scene& s = scene();
    setZoom(state, s);
    int level = 0;
    for (auto _ : state) {
        // A changed preference invalidates the lane image, so every grab renders it.
        s.options.preferences.indicatorLevel = level ^= 1;
        benchmark::DoNotOptimize(s.time.grab());
    }
}

void TimelineScrollStep(benchmark::State& state) {
    Scene& s = scene();
    setZoom(state, s);
    int direction = 0;
    for (auto _ : state) {
        if ((direction++ / 20) % 2)
            s.timeline.scrollRight();
        else
            s.timeline.scrollLeft();
        benchmark::DoNotOptimize(s.time.grab());
    }
}

void CpuLoadFullRepaint(benchmark::State& state) {
    Scene& s = scene();
    setZoom(state, s);
    int bins = 0;
    for (auto _ : state) {
        // A changed bin count makes every grab accumulate anew.
        s.load.setBinCount((bins ^= 1) ? 200 : 100);
        benchmark::DoNotOptimize(s.load.grab());
    }
}

// The overview strip over the whole recording: every repaint renders the load anew (a full
// repaint, as when the summary grew), or only draws the window frames over the kept image.
void OverviewStripRepaint(benchmark::State& state) {
    Scene& s = scene();
    const bool full = state.range(0) != 0;
    state.SetLabel(full ? "render" : "frames only");
    state.counters["bins"] = double(s.engine.overview.usedBins());
    for (auto _ : state) {
        if (full)
            s.strip.dataReset();
        benchmark::DoNotOptimize(s.strip.grab());
    }
}

// The index the views paint from, built over the full store as at the first paint after a
// load pass (its arrays' pages are in already, as the prefault leaves them).
void TimelineIndexBuild(benchmark::State& state) {
    Scene& s = scene();
    TimelineIndex index;
    for (auto _ : state) {
        index.clear();
        index.sync(s.engine.store, s.presentation.timeBase);
        benchmark::DoNotOptimize(index.size());
    }
    state.counters["slots"] = double(index.slotCount());
}

BENCHMARK(TimelineIndexBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(TimelineFullRepaint)->Arg(0)->Arg(FullRecordingZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(TimelineScrollStep)->Arg(0)->Arg(FullRecordingZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(CpuLoadFullRepaint)->Arg(0)->Arg(FullRecordingZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(OverviewStripRepaint)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrin

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
