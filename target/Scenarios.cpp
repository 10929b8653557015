#include "target/Scenario.h"

#include <algorithm>

namespace kavrin {

namespace {

using namespace tessera;

// Target addresses of the kernel objects; they double as resource ids in the stream.
enum Resource : uint32_t {
    CtrlMutex = 0x20002000,
    SensorSem = 0x20002040,
    LogQueue = 0x20002080,
    CommMbox = 0x200020C0,
    BufPool = 0x20002100,
    EvtFlags = 0x20002140,
    UartSem = 0x20002180,
    LogFile = 0x200021C0,
    DmaSem = 0x20002200,
    CanSem = 0x20002240,
    WdgTimer = 0x20002280,
};

Param val(uint32_t value) {
    return {Param::Value, value, {}};
}
Param text(std::string_view value) {
    return {Param::Text, 0, value};
}
Param random(uint32_t bound) {
    return {Param::Random, bound, {}};
}
Param jobs() {
    return {Param::JobCount, 0, {}};
}
Param tick() {
    return {Param::Tick, 0, {}};
}
Param task(uint32_t index) {
    return {Param::TaskAddress, index, {}};
}

Action withParams(Action action, std::initializer_list<Param> params) {
    action.paramCount = uint8_t(std::min(params.size(), action.params.size()));
    std::copy_n(params.begin(), action.paramCount, action.params.begin());
    return action;
}

Action work(uint32_t micros) {
    return {.kind = Action::Work, .micros = micros};
}

Action call(uint32_t id, std::initializer_list<Param> params, uint32_t micros, Param result) {
    return withParams(
        {.kind = Action::Api, .micros = micros, .id = id, .returns = true, .result = result},
        params);
}

Action callVoid(uint32_t id, std::initializer_list<Param> params, uint32_t micros) {
    return withParams({.kind = Action::Api, .micros = micros, .id = id}, params);
}

Action log(uint32_t level, std::string_view format, std::initializer_list<Param> args,
           uint32_t indent = 0) {
    return withParams({.kind = Action::Log, .id = level, .format = format, .indent = indent}, args);
}

Action userStart(uint32_t id) {
    return {.kind = Action::UserStart, .id = id};
}
Action userStop(uint32_t id) {
    return {.kind = Action::UserStop, .id = id};
}
Action yield() {
    return {.kind = Action::Yield};
}

TaskConfig periodic(std::string name, uint32_t priority, uint32_t periodMicros,
                    std::vector<Action> job) {
    return {.name = std::move(name),
            .priority = priority,
            .trigger = TaskConfig::Periodic,
            .periodMicros = periodMicros,
            .job = std::move(job)};
}

TaskConfig onSemaphore(std::string name, uint32_t priority, uint32_t semaphore,
                       std::vector<Action> job) {
    return {.name = std::move(name),
            .priority = priority,
            .trigger = TaskConfig::Semaphore,
            .semaphore = semaphore,
            .job = std::move(job)};
}

InterruptConfig irq(uint32_t number, std::string name, uint32_t periodMicros, uint32_t workMicros,
                    uint32_t priority, InterruptConfig::Duty duty = InterruptConfig::Plain,
                    uint32_t task = 0) {
    return {number, std::move(name), periodMicros, workMicros, priority, duty, task};
}

std::vector<ResourceConfig> allResources() {
    return {{CtrlMutex, "CtrlMutex"}, {SensorSem, "SensorSem"}, {LogQueue, "LogQueue"},
            {CommMbox, "CommMbox"},   {BufPool, "BufPool"},     {EvtFlags, "EvtFlags"},
            {UartSem, "UartSem"},     {LogFile, "run.log"},     {DmaSem, "DmaSem"},
            {CanSem, "CanSem"},       {WdgTimer, "WdgTimer"}};
}

// A motor control loop: a fast periodic control task, two interrupt-driven tasks and two
// slow housekeeping tasks.
Scenario control() {
    Scenario s;
    s.name = "control";
    s.application = "MotorCtrl";
    s.device = "STM32F407VG";
    s.timerPeriodTicks = 10;
    s.resources = allResources();
    s.tasks = {
        periodic("Control", 20, 1000,
                 {userStart(1), call(MutexLock, {val(CtrlMutex), val(10)}, 3, val(ResultOk)),
                  work(120), call(MutexUnlock, {val(CtrlMutex)}, 2, val(ResultOk)), userStop(1),
                  call(QueueSend, {val(LogQueue), random(0x1000), val(0)}, 3, val(ResultOk))}),
        onSemaphore("Sensor", 15, SensorSem,
                    {work(40), call(FlagsSet, {val(EvtFlags), val(0x1)}, 2, val(ResultOk))}),
        onSemaphore("Comm", 10, UartSem,
                    {work(80), call(MboxPost, {val(CommMbox), random(0x100), val(5)}, 4, val(0)),
                     log(0, "rx frame %u len %d", {jobs(), random(64)})}),
        periodic("Monitor", 5, 100'000,
                 {log(1, "monitor pass %u at tick %u", {jobs(), tick()}),
                  call(GetTick, {}, 1, tick()), work(300), yield(), work(100)}),
        periodic("Logger", 2, 20'000,
                 {call(QueueReceive, {val(LogQueue), val(0)}, 4, val(ResultOk)), work(150),
                  log(0, "log entries %u", {jobs()}, 1)}),
    };
    s.interrupts = {
        irq(15, "SysTick", 1000, 3, 1, InterruptConfig::SysTick),
        irq(34, "ADC1", 500, 6, 3, InterruptConfig::GiveSemaphore, 1),
        irq(53, "USART1", 2500, 8, 2, InterruptConfig::GiveSemaphore, 2),
    };
    return s;
}

// Many interrupts at high rates that nest deeply, with two tasks fed by them.
Scenario busy() {
    Scenario s;
    s.name = "busy";
    s.application = "GatewayNode";
    s.device = "STM32H743ZI";
    s.cpuFrequency = 480'000'000;
    s.timestampFrequency = 20'000'000;
    s.maxNesting = 4;
    s.timerPeriodTicks = 5;
    s.resources = allResources();
    s.tasks = {
        periodic("FastLoop", 20, 500, {userStart(2), work(60), userStop(2)}),
        onSemaphore("DmaTask", 18, DmaSem,
                    {work(25), call(PoolFree, {val(BufPool), random(0x2000)}, 2, val(ResultOk))}),
        onSemaphore(
            "CanRx", 16, CanSem,
            {work(35), call(QueueSend, {val(LogQueue), random(0x800), val(0)}, 2, val(ResultOk))}),
        periodic("Stats", 4, 50'000, {work(400), log(0, "irq load sample %u", {jobs()})}),
        periodic("Background", 1, 5000, {work(2000), yield(), work(1000)}),
    };
    s.interrupts = {
        irq(15, "SysTick", 1000, 3, 1, InterruptConfig::SysTick),
        irq(44, "TIM2", 50, 4, 4),
        irq(27, "DMA1_S0", 120, 6, 3, InterruptConfig::GiveSemaphore, 1),
        irq(36, "CAN1_RX0", 200, 10, 2, InterruptConfig::GiveSemaphore, 2),
        irq(51, "SPI1", 333, 5, 5),
        irq(22, "EXTI0", 777, 3, 6),
    };
    return s;
}

// A data logger that calls the operating system and the file system a lot and talks.
Scenario api() {
    Scenario s;
    s.name = "api";
    s.application = "DataLogger";
    s.device = "STM32L476RG";
    s.cpuFrequency = 80'000'000;
    s.timestampFrequency = 1'000'000;
    s.timerPeriodTicks = 50;
    s.resources = allResources();
    s.tasks = {
        periodic("FileWriter", 8, 5000,
                 {call(FsOpen, {text("/log/run.txt"), val(3)}, 40, val(LogFile)),
                  call(FsWrite, {val(LogFile), random(512)}, 120, random(512)),
                  call(FsSync, {val(LogFile)}, 60, val(0)),
                  call(FsClose, {val(LogFile)}, 10, val(0)), log(0, "wrote block %u", {jobs()})}),
        onSemaphore("Shell", 6, UartSem,
                    {callVoid(Trace, {text("shell command")}, 5), log(0, "> cmd %u", {jobs()}, 1),
                     work(50), log(1, "slow reply after %u us", {random(900)}, 2)}),
        periodic("PoolUser", 12, 2000,
                 {call(PoolAlloc, {val(BufPool), val(10)}, 4, random(0x10000)), work(30),
                  call(PoolFree, {val(BufPool), random(0x10000)}, 2, val(ResultOk)),
                  call(FlagsWait, {val(EvtFlags), val(0x5), val(0), val(0)}, 3, val(0x1))}),
        periodic("Watchdog", 3, 50'000,
                 {log(2, "watchdog late by %d ticks", {random(5)}),
                  call(TimerStart, {val(WdgTimer)}, 3, val(ResultOk)),
                  call(TaskSetPrio, {task(1), val(6)}, 2, val(ResultOk))}),
    };
    s.interrupts = {
        irq(15, "SysTick", 1000, 4, 1, InterruptConfig::SysTick),
        irq(53, "USART1", 7000, 10, 2, InterruptConfig::GiveSemaphore, 1),
    };
    return s;
}

// The control loop, losing bursts of events now and then.
Scenario overflow() {
    Scenario s = control();
    s.name = "overflow";
    s.overflowEvery = 20'000;
    s.overflowBurst = 400;
    return s;
}

} // namespace

std::vector<std::string_view> builtInScenarioNames() {
    return {"control", "busy", "api", "overflow"};
}

bool builtInScenario(std::string_view name, Scenario& out) {
    if (name == "control")
        out = control();
    else if (name == "busy")
        out = busy();
    else if (name == "api")
        out = api();
    else if (name == "overflow")
        out = overflow();
    else
        return false;
    return true;
}

} // namespace kavrin
