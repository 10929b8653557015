#include "target/FirmwareModel.h"

#include "target/PayloadBuilder.h"

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

namespace kavrin {

namespace {
constexpr uint32_t TimerId = 1;
constexpr uint32_t SemaphoreTimeout = 100;
constexpr uint32_t MaxPendingGives = 8;
constexpr uint32_t TcbArea = 0x1000; // task control blocks, from the task id base
constexpr uint32_t TcbSize = 0x40;
constexpr uint32_t StackArea = 0x20010000;
constexpr uint32_t StackStride = 0x800;
constexpr uint32_t InterruptsPerDescription = 8;
constexpr uint32_t ResyncSyncs = 5; // ten zero bytes
// The periods (seconds) at which the host asks for descriptions, task list and time.
constexpr uint32_t DescriptionPeriod = 5;
constexpr uint32_t TaskListPeriod = 30;
constexpr uint32_t TimePeriod = 60;

// value * multiplier / divisor without overflowing 64 bits on the way.
uint64_t scaled(uint64_t value, uint64_t multiplier, uint64_t divisor) {
    return value / divisor * multiplier + value % divisor * multiplier / divisor;
}

// Marks the packets written meanwhile as answers to the host: they are never lost.
class Answering {
public:
    explicit Answering(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~Answering() { flag_ = previous_; }
    Answering(const Answering&) = delete;
    Answering& operator=(const Answering&) = delete;

private:
    bool& flag_;
    bool previous_;
};
} // namespace

FirmwareModel::FirmwareModel(Scenario scenario, uint64_t seed)
    : scenario_(std::move(scenario)), random_(seed) {
    now_ = ticks(scenario_.bootMicros);
    for (size_t i = 0; i < scenario_.tasks.size(); ++i) {
        const TaskConfig& config = scenario_.tasks[i];
        Task task;
        task.id = (TcbArea + uint32_t(i) * TcbSize) >> scenario_.taskIdShift;
        task.period = std::max<uint64_t>(1, ticks(config.periodMicros));
        task.nextRelease = now_ + task.period;
        tasks_.push_back(task);
    }
    for (const InterruptConfig& config : scenario_.interrupts) {
        Interrupt irq;
        irq.period = std::max<uint64_t>(1, ticks(config.periodMicros));
        irq.work = std::max<uint64_t>(1, ticks(config.workMicros));
        irq.due = now_ + random_.below(uint32_t(std::min<uint64_t>(irq.period, UINT32_MAX)));
        interrupts_.push_back(irq);
    }
}

uint64_t FirmwareModel::ticks(uint64_t micros) const {
    return scaled(micros, scenario_.timestampFrequency, 1'000'000);
}

// ---- Packet output -------------------------------------------------------------------------

bool FirmwareModel::losing() {
    if (burstLeft_ == 0 && scenario_.overflowEvery && random_.below(scenario_.overflowEvery) == 0)
        burstLeft_ = scenario_.overflowBurst;
    if (burstLeft_ > 0) {
        --burstLeft_;
        return true;
    }
    return ringFull_;
}

FirmwareModel::Packet FirmwareModel::packet() {
    if (!recording_ || limitReached()) {
        discard_.clear();
        return {&discard_, 0};
    }
    if (!answering_ && losing()) {
        ++dropped_;
        overflowPending_ = true;
        discard_.clear();
        return {&discard_, 0};
    }
    // Deltas are varints of 32 bits; longer silences are bridged by Sync packets.
    while (now_ - lastWritten_ > UINT32_MAX) {
        out_->sync(UINT32_MAX);
        lastWritten_ += UINT32_MAX;
    }
    if (overflowPending_) {
        overflowPending_ = false;
        out_->overflow(dropped_, uint32_t(now_ - lastWritten_));
        lastWritten_ = now_;
        ++written_;
        if (limitReached())
            return {&discard_, 0};
    }
    const auto delta = uint32_t(now_ - lastWritten_);
    lastWritten_ = now_;
    ++written_;
    return {out_, delta};
}

uint32_t FirmwareModel::resolve(const Param& param, const Task* task) {
    switch (param.kind) {
    case Param::JobCount:
        return task ? task->jobs : 0;
    case Param::Random:
        return random_.below(param.value);
    case Param::Tick:
        return osTick_;
    case Param::TaskAddress:
        return scenario_.taskIdBase + TcbArea + param.value * TcbSize;
    case Param::Value:
    case Param::Text:
        break;
    }
    return param.value;
}

void FirmwareModel::writeApi(uint32_t id, const Param* params, size_t count, const Task* task) {
    PayloadBuilder block;
    for (size_t i = 0; i < count; ++i) {
        if (params[i].kind == Param::Text)
            block.text(params[i].text);
        else
            block.number(resolve(params[i], task));
    }
    Packet p = packet();
    p->lenPacket(id, block.bytes(), p.delta);
}

void FirmwareModel::writeApiEnd(uint32_t id, bool returns, const Param& result, const Task* task) {
    const uint32_t value = returns ? resolve(result, task) : 0;
    Packet p = packet();
    if (returns)
        p->apiEndValue(id, value, p.delta);
    else
        p->apiEnd(id, {}, p.delta);
}

void FirmwareModel::writeLog(const Action& action, const Task& task) {
    std::array<uint32_t, std::tuple_size_v<decltype(action.params)>> args{};
    for (size_t i = 0; i < action.paramCount; ++i)
        args[i] = resolve(action.params[i], &task);
    Packet p = packet();
    p->logOutput(action.format, action.id, action.indent,
                 std::span<const uint32_t>(args.data(), action.paramCount), p.delta);
}

// ---- Recorder commands ---------------------------------------------------------------------

void FirmwareModel::startRecording(StreamWriter& out) {
    out_ = &out;
    // Already recording: start again, so that a host whose session broke off can read the
    // stream from the new Start packet.
    const Answering answering(answering_);
    recording_ = true;
    lastWritten_ = now_;
    nextSecond_ = now_ + scenario_.timestampFrequency;
    seconds_ = 0;
    announce();
}

void FirmwareModel::resynchronise(StreamWriter& out) {
    out_ = &out;
    if (!recording_)
        return;
    const Answering answering(answering_);
    // The zero run must start right after a non-zero byte, or a reader that looks for it
    // lands one byte early: the Sync in front of it carries a delta of at least one.
    Packet p = packet();
    if (p.delta == 0 && p.writer == out_) {
        ++now_;
        lastWritten_ = now_;
        p.delta = 1;
    }
    p->sync(p.delta);
    for (uint32_t i = 0; i < ResyncSyncs; ++i) {
        p = packet();
        p->sync(p.delta);
    }
    announce();
}

void FirmwareModel::announce() {
    Packet p = packet();
    p->start(p.delta);
    p = packet();
    p->systemInfo(scenario_.timestampFrequency, scenario_.cpuFrequency, scenario_.taskIdBase,
                  scenario_.taskIdShift, p.delta);
    sendTargetTime(*out_);
    sendSystemDescription(*out_);
    sendModuleCount(*out_);
    for (uint32_t module = 0; module < moduleCount(); ++module)
        sendModuleDescription(module, *out_);
    sendTaskList(*out_);
    // Where the stream begins, the reader learns what runs.
    p = packet();
    if (running_ >= 0)
        p->taskRun(tasks_[size_t(running_)].id, p.delta);
    else
        p->systemIdle(p.delta);
}

void FirmwareModel::stopRecording(StreamWriter& out) {
    out_ = &out;
    if (!recording_)
        return;
    const Answering answering(answering_);
    Packet p = packet();
    p->stop(p.delta);
    recording_ = false;
}

void FirmwareModel::sendTargetTime(StreamWriter& out) {
    out_ = &out;
    const Answering answering(answering_);
    const uint64_t micros = scaled(now_, 1'000'000, scenario_.timestampFrequency);
    Packet p = packet();
    p->targetTimeUs(micros, p.delta);
    const uint64_t cycles = scaled(now_, scenario_.cpuFrequency, scenario_.timestampFrequency);
    p = packet();
    p->targetTimeCycles(uint32_t(cycles), p.delta);
}

void FirmwareModel::sendTaskList(StreamWriter& out) {
    out_ = &out;
    const Answering answering(answering_);
    for (size_t i = 0; i < tasks_.size(); ++i) {
        const TaskConfig& config = scenario_.tasks[i];
        Packet p = packet();
        p->taskInfo(tasks_[i].id, config.priority, config.name, p.delta);
        const uint32_t used = config.stackSize / 4 + random_.below(config.stackSize / 2);
        p = packet();
        p->stack(tasks_[i].id, StackArea + uint32_t(i) * StackStride, config.stackSize, used,
                 p.delta);
    }
    for (const ResourceConfig& resource : scenario_.resources) {
        Packet p = packet();
        p->resourceName(resource.address, resource.name, p.delta);
    }
}

void FirmwareModel::sendSystemDescription(StreamWriter& out) {
    out_ = &out;
    const Answering answering(answering_);
    std::string text = "N=" + scenario_.application + ",O=Tessera,D=" + scenario_.device;
    Packet p = packet();
    p->systemDescription(text, p.delta);
    // Interrupt names go in packets of their own, a few at a time.
    for (size_t first = 0; first < scenario_.interrupts.size(); first += InterruptsPerDescription) {
        text.clear();
        const size_t end = std::min(scenario_.interrupts.size(), first + InterruptsPerDescription);
        for (size_t i = first; i < end; ++i) {
            const InterruptConfig& irq = scenario_.interrupts[i];
            if (!text.empty())
                text += ',';
            text += "I#" + std::to_string(irq.number) + '=' + irq.name;
        }
        p = packet();
        p->systemDescription(text, p.delta);
    }
}

void FirmwareModel::sendModuleCount(StreamWriter& out) {
    out_ = &out;
    const Answering answering(answering_);
    Packet p = packet();
    p->moduleInformation(moduleCount(), p.delta);
}

void FirmwareModel::sendModuleDescription(uint32_t module, StreamWriter& out) {
    out_ = &out;
    if (module >= moduleCount())
        return;
    const Answering answering(answering_);
    Packet p = packet();
    p->moduleDescription(module, tessera::ModuleOffset, tessera::ModuleDescription, p.delta);
}

void FirmwareModel::hostRequests() {
    if (!recording_ || now_ < nextSecond_)
        return;
    nextSecond_ += scenario_.timestampFrequency;
    ++seconds_;
    if (seconds_ % DescriptionPeriod == 0) {
        sendSystemDescription(*out_);
        sendModuleCount(*out_);
    }
    if (seconds_ % TaskListPeriod == 0)
        sendTaskList(*out_);
    if (seconds_ % TimePeriod == 0)
        sendTargetTime(*out_);
}

// ---- The kernel ----------------------------------------------------------------------------

void FirmwareModel::step(StreamWriter& out) {
    out_ = &out;
    if (hostRequests_)
        hostRequests();
    if (running_ >= 0) {
        runAction(tasks_[size_t(running_)]);
        return;
    }
    if (interrupts_.empty()) {
        // Nothing can ever wake a task: the target idles.
        now_ += ticks(scenario_.tickMicros);
        return;
    }
    const size_t next = nextInterrupt();
    now_ = std::max(now_, interrupts_[next].due);
    interrupt(next, 0);
}

void FirmwareModel::runAction(Task& task) {
    const std::vector<Action>& job = scenario_.tasks[size_t(running_)].job;
    if (task.action >= job.size()) {
        endJob(task);
        return;
    }
    if (!task.actionStarted) {
        beginAction(task, job[task.action]);
        return;
    }
    const uint64_t end = now_ + task.remaining;
    if (!interrupts_.empty()) {
        const size_t next = nextInterrupt();
        if (interrupts_[next].due < end) {
            now_ = std::max(now_, interrupts_[next].due);
            task.remaining = end - now_;
            interrupt(next, 0);
            return;
        }
    }
    now_ = end;
    task.remaining = 0;
    finishAction(task);
}

void FirmwareModel::beginAction(Task& task, const Action& action) {
    task.actionStarted = true;
    task.remaining = std::max<uint64_t>(1, ticks(random_.jitter(action.micros)));
    switch (action.kind) {
    case Action::Work:
        break;
    case Action::Api:
        writeApi(action.id, action.params.data(), action.paramCount, &task);
        break;
    case Action::Log:
        writeLog(action, task);
        break;
    case Action::UserStart: {
        Packet p = packet();
        p->userStart(action.id, p.delta);
        break;
    }
    case Action::UserStop: {
        Packet p = packet();
        p->userStop(action.id, p.delta);
        break;
    }
    case Action::Yield: {
        writeApi(tessera::TaskYield, nullptr, 0, &task);
        Packet p = packet();
        p->taskStop(p.delta);
        task.state = Task::Ready;
        task.actionStarted = false;
        ++task.action;
        running_ = -1;
        schedule();
        break;
    }
    }
}

void FirmwareModel::finishAction(Task& task) {
    const Action& action = scenario_.tasks[size_t(running_)].job[task.action];
    if (action.kind == Action::Api)
        writeApiEnd(action.id, action.returns, action.result, &task);
    task.actionStarted = false;
    if (++task.action == scenario_.tasks[size_t(running_)].job.size())
        endJob(task);
}

void FirmwareModel::startJob(Task& task) {
    task.action = 0;
    task.actionStarted = false;
    ++task.jobs;
}

void FirmwareModel::endJob(Task& task) {
    const TaskConfig& config = scenario_.tasks[size_t(running_)];
    const Param none{};
    if (config.trigger == TaskConfig::Periodic) {
        task.nextRelease += task.period;
        const Param until{
            Param::Value, uint32_t(task.nextRelease / ticks(scenario_.tickMicros)), {}};
        writeApi(tessera::DelayUntil, &until, 1, &task);
        if (task.nextRelease > now_) {
            blockIn(task, tessera::DelayUntil, tessera::BlockDelayed);
            return;
        }
        // Overrun: the next period has begun already, so the call returns at once.
        writeApiEnd(tessera::DelayUntil, false, none, &task);
        startJob(task);
        return;
    }
    const Param take[2] = {{Param::Value, config.semaphore, {}},
                           {Param::Value, SemaphoreTimeout, {}}};
    writeApi(tessera::SemTake, take, 2, &task);
    if (task.semaphoreCount > 0) {
        --task.semaphoreCount;
        writeApiEnd(tessera::SemTake, true, none, &task);
        startJob(task);
        return;
    }
    blockIn(task, tessera::SemTake, tessera::BlockSemaphore | tessera::BlockTimeoutBit);
}

void FirmwareModel::blockIn(Task& task, uint32_t apiId, uint32_t reason) {
    task.blockedIn = apiId;
    Packet p = packet();
    p->taskBlock(task.id, reason, p.delta);
    task.state = Task::Blocked;
    running_ = -1;
    schedule();
}

void FirmwareModel::release(size_t index) {
    Task& task = tasks_[index];
    if (task.state != Task::Blocked) {
        if (scenario_.tasks[index].trigger == TaskConfig::Semaphore)
            task.semaphoreCount = std::min(task.semaphoreCount + 1, MaxPendingGives);
        return;
    }
    task.state = Task::Ready;
    task.released = true;
    Packet p = packet();
    p->taskReady(task.id, p.delta);
}

int FirmwareModel::bestReady() const {
    int best = -1;
    for (size_t i = 0; i < tasks_.size(); ++i) {
        if (tasks_[i].state == Task::Ready &&
            (best < 0 || scenario_.tasks[i].priority > scenario_.tasks[size_t(best)].priority))
            best = int(i);
    }
    return best;
}

bool FirmwareModel::switchNeeded() const {
    const int best = bestReady();
    if (best < 0)
        return false;
    return running_ < 0 ||
           scenario_.tasks[size_t(best)].priority > scenario_.tasks[size_t(running_)].priority;
}

void FirmwareModel::schedule() {
    now_ += std::max<uint64_t>(1, ticks(scenario_.schedulerMicros));
    const int best = bestReady();
    if (best < 0) {
        running_ = -1;
        Packet p = packet();
        p->systemIdle(p.delta);
        return;
    }
    Task& task = tasks_[size_t(best)];
    running_ = best;
    task.state = Task::Running;
    Packet p = packet();
    p->taskRun(task.id, p.delta);
    if (!task.released)
        return;
    task.released = false;
    if (task.blockedIn) {
        // The blocking call returns now that the task runs again.
        const bool returns = task.blockedIn == tessera::SemTake;
        writeApiEnd(task.blockedIn, returns, Param{}, &task);
        task.blockedIn = 0;
    }
    startJob(task);
}

// ---- Interrupts ----------------------------------------------------------------------------

size_t FirmwareModel::nextInterrupt() const {
    size_t next = 0;
    for (size_t i = 1; i < interrupts_.size(); ++i) {
        if (interrupts_[i].due < interrupts_[next].due)
            next = i;
    }
    return next;
}

int FirmwareModel::nestingCandidate(size_t running, uint64_t before) const {
    int candidate = -1;
    for (size_t i = 0; i < interrupts_.size(); ++i) {
        if (scenario_.interrupts[i].priority > scenario_.interrupts[running].priority &&
            interrupts_[i].due < before &&
            (candidate < 0 || interrupts_[i].due < interrupts_[size_t(candidate)].due))
            candidate = int(i);
    }
    return candidate;
}

void FirmwareModel::interrupt(size_t index, uint32_t depth) {
    const InterruptConfig& config = scenario_.interrupts[index];
    Interrupt& irq = interrupts_[index];
    Packet p = packet();
    p->isrEnter(config.number, p.delta);

    // The system tick keeps its beat; other sources vary.
    const bool exact = config.duty == InterruptConfig::SysTick;
    irq.due += exact ? irq.period : random_.jitter(irq.period);
    if (irq.due <= now_)
        irq.due = now_ + irq.period;

    uint64_t end = now_ + random_.jitter(irq.work);
    while (depth + 1 < scenario_.maxNesting) {
        const int nested = nestingCandidate(index, end);
        if (nested < 0)
            break;
        now_ = std::max(now_, interrupts_[size_t(nested)].due);
        const uint64_t left = end - now_;
        interrupt(size_t(nested), depth + 1);
        end = now_ + left;
    }
    now_ = end;
    serve(index);

    if (depth > 0 || !switchNeeded()) {
        p = packet();
        p->isrExit(p.delta);
        return;
    }
    p = packet();
    p->isrExitToScheduler(p.delta);
    if (running_ >= 0)
        tasks_[size_t(running_)].state = Task::Ready;
    running_ = -1;
    schedule();
}

void FirmwareModel::serve(size_t index) {
    const InterruptConfig& config = scenario_.interrupts[index];
    switch (config.duty) {
    case InterruptConfig::Plain:
        break;
    case InterruptConfig::SysTick:
        ++osTick_;
        for (size_t i = 0; i < tasks_.size(); ++i) {
            if (scenario_.tasks[i].trigger == TaskConfig::Periodic &&
                tasks_[i].state == Task::Blocked && tasks_[i].nextRelease <= now_)
                release(i);
        }
        if (scenario_.timerPeriodTicks && osTick_ % scenario_.timerPeriodTicks == 0) {
            Packet p = packet();
            p->timerEnter(TimerId, p.delta);
            now_ += std::max<uint64_t>(1, ticks(scenario_.timerWorkMicros));
            p = packet();
            p->timerExit(p.delta);
        }
        break;
    case InterruptConfig::GiveSemaphore: {
        if (config.task >= tasks_.size())
            break;
        const Param give{Param::Value, scenario_.tasks[config.task].semaphore, {}};
        writeApi(tessera::SemGive, &give, 1, nullptr);
        writeApiEnd(tessera::SemGive, true, Param{}, nullptr);
        release(config.task);
        break;
    }
    }
}

} // namespace kavrin
