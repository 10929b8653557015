#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {

// What the simulated firmware runs: its tasks, interrupts, resources and how it behaves.
// Times are in microseconds; the model converts them to timestamp ticks.

// A parameter of an API call or log message.
struct Param {
    enum Kind : uint8_t {
        Value,       // `value` as it stands
        Text,        // `text` as a packet string
        JobCount,    // how many jobs the task has started
        Random,      // a value below `value`
        Tick,        // the operating system's tick count
        TaskAddress, // the control block address of task number `value`
    };
    Kind kind = Value;
    uint32_t value = 0;
    std::string_view text = {};
};

// One step of a task's job.
struct Action {
    enum Kind : uint8_t {
        Work,      // computes for `micros`
        Api,       // API call `id` with `params` that takes `micros`; ends with `result`
        Log,       // log output of level `id` with `format`, `indent` and `params`
        UserStart, // user measurement `id` starts
        UserStop,  // user measurement `id` stops
        Yield,     // tsTaskYield: the task stops and the scheduler picks again
    };
    Kind kind = Work;
    uint32_t micros = 0;
    uint32_t id = 0;
    std::array<Param, 4> params{};
    uint8_t paramCount = 0;
    bool returns = false;
    Param result{};
    std::string_view format = {};
    uint32_t indent = 0;
};

struct TaskConfig {
    enum Trigger : uint8_t {
        Periodic,  // released every `periodMicros` by the system tick (tsDelayUntil)
        Semaphore, // waits on `semaphore`, given by an interrupt (tsSemTake)
    };
    std::string name;
    uint32_t priority = 1;
    Trigger trigger = Periodic;
    uint32_t periodMicros = 10'000;
    uint32_t semaphore = 0;
    uint32_t stackSize = 1024;
    std::vector<Action> job;
};

struct InterruptConfig {
    enum Duty : uint8_t {
        Plain,         // only computes
        SysTick,       // releases periodic tasks and runs the software timer
        GiveSemaphore, // gives the semaphore of task `task`
    };
    uint32_t number = 0;
    std::string name;
    uint32_t periodMicros = 1000;
    uint32_t workMicros = 5;
    uint32_t priority = 1; // a higher value may nest into a lower one
    Duty duty = Plain;
    uint32_t task = 0;
};

struct ResourceConfig {
    uint32_t address = 0;
    std::string name;
};

struct Scenario {
    std::string name;
    std::string application;
    std::string device;
    uint32_t timestampFrequency = 10'000'000;
    uint32_t cpuFrequency = 168'000'000;
    uint32_t taskIdBase = 0x20000000;
    uint32_t taskIdShift = 4;
    uint32_t tickMicros = 1000;    // the operating system tick
    uint32_t timerPeriodTicks = 0; // software timer period in OS ticks, 0 for none
    uint32_t timerWorkMicros = 20;
    uint32_t schedulerMicros = 2;
    uint32_t maxNesting = 3;
    uint32_t bootMicros = 2'500'000; // target uptime when recording starts
    // Overflow bursts: on average every `overflowEvery` events, `overflowBurst` events are lost.
    uint32_t overflowEvery = 0;
    uint32_t overflowBurst = 0;
    bool withModule = true; // the TessFS module is registered
    std::vector<TaskConfig> tasks;
    std::vector<InterruptConfig> interrupts;
    std::vector<ResourceConfig> resources;
};

// Built-in scenarios: "control", "busy", "api" and "overflow".
std::vector<std::string_view> builtInScenarioNames();
// The named built-in scenario; false when there is none of that name.
bool builtInScenario(std::string_view name, Scenario& out);

// Event ids of the Tessera API and the TessFS module as the description files give them.
namespace tessera {
inline constexpr uint32_t TaskSetPrio = 37;
inline constexpr uint32_t TaskYield = 38;
inline constexpr uint32_t DelayUntil = 40;
inline constexpr uint32_t SemTake = 42;
inline constexpr uint32_t SemGive = 43;
inline constexpr uint32_t MutexLock = 46;
inline constexpr uint32_t MutexUnlock = 47;
inline constexpr uint32_t QueueSend = 50;
inline constexpr uint32_t QueueReceive = 51;
inline constexpr uint32_t MboxPost = 55;
inline constexpr uint32_t FlagsSet = 59;
inline constexpr uint32_t FlagsWait = 61;
inline constexpr uint32_t PoolAlloc = 63;
inline constexpr uint32_t PoolFree = 64;
inline constexpr uint32_t TimerStart = 66;
inline constexpr uint32_t GetTick = 72;
inline constexpr uint32_t Trace = 73;
inline constexpr uint32_t ResultOk = 0;
inline constexpr uint32_t BlockDelayed = 1;
inline constexpr uint32_t BlockSemaphore = 2;
inline constexpr uint32_t BlockTimeoutBit = 0x10;

inline constexpr uint32_t ModuleOffset = 128; // TessFS ids are relative to this
inline constexpr uint32_t FsOpen = ModuleOffset + 2;
inline constexpr uint32_t FsClose = ModuleOffset + 3;
inline constexpr uint32_t FsWrite = ModuleOffset + 5;
inline constexpr uint32_t FsSync = ModuleOffset + 7;
inline constexpr std::string_view ModuleDescription = "M=TessFS,V=210";
} // namespace tessera

} // namespace kavrin
