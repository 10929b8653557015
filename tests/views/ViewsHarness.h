#pragma once

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "target/StreamWriter.h"
#include "tests/engine/EngineHarness.h"

#include <memory>

namespace kavrin::test {

inline constexpr uint32_t Alpha = 1;
inline constexpr uint32_t Beta = 2;
inline constexpr uint32_t Irq = 16;

// At 1 GHz, so that ticks are nanoseconds. Rows and times (ns):
//   0 Start 0, 1 System Info 0, 2 Task Info Alpha 0, 3 Task Info Beta 0,
//   4 Task Run Alpha 100, 5 ISR Enter 300, 6 ISR Exit 350, 7 System Idle 600,
//   8 Task Ready Beta 700, 9 Task Run Beta 800, 10 Task Stop 1000, 11 Task Run Alpha 1100,
//   12 Task Run Beta 1200 (Alpha -> Beta without the scheduler), 13 Task Stop 1300.
inline StreamWriter smallRecording() {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskInfo(Alpha, 10, "Alpha", 0);
    w.taskInfo(Beta, 5, "Beta", 0);
    w.taskRun(Alpha, 100);
    w.isrEnter(Irq, 200);
    w.isrExit(50);
    w.systemIdle(250);
    w.taskReady(Beta, 100);
    w.taskRun(Beta, 100);
    w.taskStop(200);
    w.taskRun(Alpha, 100);
    w.taskRun(Beta, 100);
    w.taskStop(100);
    return w;
}

// An engine that stored a stream, with the time base and the contexts list set up as the
// main window would have them.
struct ViewsFixture {
    explicit ViewsFixture(const StreamWriter& writer, uint64_t frequency = 1'000'000'000)
        : loaded(std::make_unique<LoadedEngine>(writer)) {
        presentation.timeBase.setFrequency(frequency);
        engine().contextList.rebuild(engine().tracker);
    }
    RecordingEngine& engine() { return loaded->engine; }

    std::unique_ptr<LoadedEngine> loaded;
    Presentation presentation;
};

} // namespace kavrin::test
