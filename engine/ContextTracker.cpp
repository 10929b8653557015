#include "engine/ContextTracker.h"

#include "engine/EventStore.h"
#include "engine/LogFormatter.h"
#include "engine/PayloadReader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kavrin {
namespace {

constexpr uint32_t TimerColourCode = 0xF0C;
constexpr uint32_t TimerDisplayValue = 12;
constexpr uint32_t DefaultTimestampFrequency = 100'000'000;

std::string hexText(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

} // namespace

void ContextTracker::openReadyInterval(uint32_t task, uint64_t timestamp) {
    auto& intervals = contexts[task].readyIntervals;
    if (intervals.empty() || intervals.back().end != 0)
        intervals.push_back({timestamp, 0});
}

uint32_t ContextTracker::popContext() {
    if (contextStack.empty())
        return IdleContext; // nothing was interrupted: Idle
    const uint32_t context = contextStack.back();
    contextStack.pop_back();
    return context;
}

void ContextTracker::interpretEvent(EventRecord& record, PassKind pass) {
    const bool counting = pass != PassKind::Replay;
    record.context = record.contextBefore = record.contextAfter = current;
    switch (record.id) {
    case OverflowEvent: {
        if (counting) {
            ++counters.overflowCount;
            if (hooks.overflow)
                hooks.overflow(record.index + 1, record.param1 - counters.lastDropCount + 1);
            counters.lastDropCount = record.param1;
        }
        current = IdleContext;
        record.context = record.contextBefore = record.contextAfter = IdleContext;
        break;
    }
    case IsrEnterEvent:
        isrs.registerIsr(record.param1);
        if (counting) {
            ++counters.interruptsInInterval;
            ++counters.totalInterrupts;
        }
        ++isrNesting;
        contextStack.push_back(current);
        current = record.context = record.contextAfter = record.param1;
        contexts[record.param1].kind = InterruptKind;
        break;
    case IsrExitEvent:
        if (isrNesting > 0)
            --isrNesting;
        current = record.contextAfter = popContext();
        break;
    case TaskRunEvent:
        if (counting) {
            ++counters.totalTaskRuns;
            ++counters.taskRunsInInterval;
        }
        readyFromIsr = false;
        current = record.context = record.contextAfter = record.param1;
        contexts[record.param1].kind = TaskKind;
        openReadyInterval(record.param1, record.timestamp);
        break;
    case TaskStopEvent:
        if (ContextInfo* info = contexts.find(current); info && !info->readyIntervals.empty())
            info->readyIntervals.back().end = record.timestamp;
        current = record.contextAfter = SchedulerContext;
        break;
    case TaskReadyEvent:
        if (isrNesting > 0)
            readyFromIsr = true;
        openReadyInterval(record.param1, record.timestamp);
        break;
    case TaskBlockEvent:
        current = record.contextAfter = SchedulerContext;
        break;
    case TaskCreateEvent:
        openReadyInterval(record.param1, record.timestamp);
        break;
    case TaskInfoEvent: {
        ContextInfo& info = contexts[record.param1];
        info.hasName = record.text != nullptr;
        info.name = record.text ? record.text : "";
        info.id = record.param1;
        info.priority = int32_t(record.param2);
        info.kind = TaskKind;
        openReadyInterval(record.param1, record.timestamp);
        break;
    }
    case SystemDescriptionEvent:
        if (hooks.systemDescription)
            hooks.systemDescription(record.text ? record.text : "");
        break;
    case UserStartEvent: {
        UserMeasurement& measurement = userMeasurements[record.param1];
        measurement.start = record.timestamp;
        record.param2 = ++measurement.count;
        break;
    }
    case UserStopEvent: {
        UserMeasurement& measurement = userMeasurements[record.param1];
        measurement.stop = record.timestamp;
        record.param2 = uint32_t(measurement.stop) - uint32_t(measurement.start);
        break;
    }
    case SystemIdleEvent:
        current = record.contextAfter = IdleContext;
        contextStack.clear();
        break;
    case IsrExitToSchedulerEvent:
        if (isrNesting > 0)
            --isrNesting;
        popContext();
        current = record.contextAfter = SchedulerContext;
        break;
    case TimerEnterEvent: {
        contextStack.push_back(current);
        current = record.context = record.contextAfter = TimerContext;
        ContextInfo& timer = contexts[TimerContext];
        timer.name = "Timer";
        timer.hasName = true;
        timer.id = TimerContext;
        timer.kind = TimerKind;
        timer.colourCode = TimerColourCode;
        timer.displayValue = TimerDisplayValue;
        break;
    }
    case TimerExitEvent:
        current = record.contextAfter = popContext();
        break;
    case StackEvent: {
        ContextInfo& info = contexts[record.param1];
        info.stackBase = record.param2;
        uint32_t words[2] = {0, 0};
        if (record.payload && record.payloadSize >= sizeof words)
            std::memcpy(words, record.payload, sizeof words);
        info.stackSize = words[0];
        info.stackExtra = words[1];
        break;
    }
    case ModuleDescriptionEvent:
        if (hooks.moduleDescription)
            hooks.moduleDescription(record.text ? record.text : "", record.param2);
        break;
    case SystemInfoEvent: {
        PayloadReader reader(record);
        timestampFrequency = reader.readVarint(DefaultTimestampFrequency);
        reader.readVarint(0); // CPU frequency: shown by the detail text only
        // Task id mapping is fixed here rather than when the event happens to be displayed.
        const uint32_t base = reader.readVarint(0);
        setTaskIdMapping(base, reader.readVarint(0));
        if (hooks.frequency)
            hooks.frequency(timestampFrequency);
        break;
    }
    case ResourceNameEvent:
        resourceNames[record.param2] = record.text ? record.text : "";
        break;
    case LogOutputEvent: {
        // The analysis pass keeps no record and borrows its blocks: nothing to show, only the
        // level for the overview.
        if (pass == PassKind::Analysis) {
            record.param2 = logOutputOptions(record.payload, record.payloadSize);
            ++activity.messages[messageLevel(record.param2)];
            break;
        }
        // The staged block stays where it is; the caller frees the formatted one.
        const FormattedLog log = formatLogOutput(record.payload, record.payloadSize);
        record.payload = reinterpret_cast<uint8_t*>(log.text);
        record.payloadSize = log.text ? log.length + 1 : 0;
        record.param2 = log.options;
        ++activity.messages[messageLevel(record.param2)];
        break;
    }
    case ModuleInformationEvent:
        if (record.param2 != moduleCount) {
            moduleCount = record.param2;
            modulesChanged = true;
        }
        break;
    default: // API names and ends: nothing to track
        break;
    }
}

void ContextTracker::reportSwitchWithoutScheduler(const EventRecord& record) {
    if (hooks.diagnostic)
        hooks.diagnostic("Event " + std::to_string(uint64_t(record.index) + 1) +
                         ": Context switch without scheduler");
}

void ContextTracker::closeSpan(const EventRecord& record, uint64_t now) {
    if (record.context != IdleContext) {
        if (ContextInfo* info = contexts.find(record.context); info && info->pendingNode)
            info->pendingNode->endTime = now;
    }
    if (ContextInfo* before = contexts.find(record.contextBefore))
        before->pendingNode = nullptr;
}

void ContextTracker::linkApiEnd(const EventRecord& record, EventNode* lastNode) {
    const bool lastIsThis = lastNode->record.index == record.index;
    for (EventNode* node = lastIsThis ? lastNode->previous : lastNode; node;
         node = node->previous) {
        const EventRecord& candidate = node->record;
        if (candidate.id == OverflowEvent)
            return;
        if ((candidate.context == record.context || candidate.contextAfter == record.context) &&
            candidate.id > 32 && candidate.id == record.param2) {
            node->endTime = record.timestamp;
            if (lastIsThis)
                lastNode->endTime = candidate.timestamp;
            return;
        }
    }
}

void ContextTracker::linkSpans(const EventRecord& record, EventNode* lastNode) {
    if (!lastNode)
        return;
    const uint64_t now = lastNode->record.timestamp;
    if (current != IdleContext && pendingIdleNode) {
        pendingIdleNode->endTime = now;
        pendingIdleNode = nullptr;
    }
    switch (record.id) {
    case IsrEnterEvent:
        if (record.context != IdleContext) {
            ContextInfo& isr = contexts[record.context];
            isr.pendingNode = lastNode;
            isr.priority = InterruptPriority;
        }
        break;
    case IsrExitEvent:
    case TaskBlockEvent:
        closeSpan(record, now);
        break;
    case TaskRunEvent:
        if (record.contextBefore != IdleContext) {
            if (ContextInfo* before = contexts.find(record.contextBefore);
                before && before->pendingNode) {
                before->pendingNode->endTime = now;
                before->pendingNode = nullptr;
            }
        }
        if (record.param1 != 0) {
            ContextInfo& task = contexts[record.param1];
            if (task.pendingNode)
                task.pendingNode->endTime = now;
            task.pendingNode = lastNode;
        }
        break;
    case TaskReadyEvent:
        if (record.param1 != 0)
            contexts[record.param1].pendingNode = lastNode;
        break;
    case SystemIdleEvent:
        pendingIdleNode = lastNode;
        break;
    case IsrExitToSchedulerEvent: {
        ContextInfo* isr = contexts.find(record.context);
        EventNode* enter = isr ? isr->pendingNode : nullptr;
        if (enter && enter->record.contextBefore != IdleContext) {
            ContextInfo* interrupted = contexts.find(enter->record.contextBefore);
            if (interrupted && interrupted->pendingNode) {
                interrupted->pendingNode->endTime = enter->record.timestamp;
                interrupted->pendingNode = nullptr;
            }
        }
        closeSpan(record, now);
        break;
    }
    case TimerEnterEvent:
        contexts[TimerContext].pendingNode = lastNode;
        break;
    case TimerExitEvent:
        if (ContextInfo* timer = contexts.find(TimerContext);
            timer && record.context != IdleContext) {
            if (timer->pendingNode)
                timer->pendingNode->endTime = now;
            timer->pendingNode = nullptr;
        }
        break;
    case ApiEndEvent:
        linkApiEnd(record, lastNode);
        break;
    default:
        break;
    }
}

uint32_t ContextTracker::compactTaskId(uint32_t id) const {
    return (id - taskIdBase) >> (taskIdShift & 31);
}

std::string ContextTracker::contextName(uint32_t id) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (id == IdleContext)
            return "Idle";
        if (const IsrEntry* isr = isrs.find(id))
            return isr->name;
        if (const ContextInfo* info = contexts.find(id))
            return info->hasName ? info->name : "Task 0x" + hexText(id);
        if (attempt > 0 || id <= taskIdBase || (taskIdBase == 0 && taskIdShift == 0))
            break;
        id = compactTaskId(id);
    }
    return hexText(id);
}

void ContextTracker::reset() {
    contexts.clear();
    isrs.clear();
    userMeasurements.clear();
    resourceNames.clear();
    counters = {};
    activity = {};
    current = IdleContext;
    isrNesting = 0;
    readyFromIsr = false;
    contextStack.clear();
    pendingIdleNode = nullptr;
    timestampFrequency = 0;
    taskIdBase = 0;
    taskIdShift = 0;
    moduleCount = 0;
    modulesChanged = false;
}

void ContextTracker::returnToIdle() {
    current = IdleContext;
    isrNesting = 0;
    readyFromIsr = false;
}

void ContextTracker::restartRunState() {
    counters = {};
    userMeasurements.clear();
    returnToIdle();
    contextStack.clear();
    pendingIdleNode = nullptr;
    contexts.forEach([](uint32_t, ContextInfo& info) {
        info.measured = false;
        info.enteredAt = 0;
        info.pendingNode = nullptr;
        info.readyIntervals.clear();
    });
}

TrackerSnapshot ContextTracker::snapshot() const {
    return {current, isrNesting, readyFromIsr, contextStack, userMeasurements};
}

void ContextTracker::restore(const TrackerSnapshot& state) {
    current = state.current;
    isrNesting = state.isrNesting;
    readyFromIsr = state.readyFromIsr;
    contextStack = state.contextStack;
    userMeasurements = state.userMeasurements;
    clearNodeReferences();
}

void ContextTracker::clearNodeReferences() {
    pendingIdleNode = nullptr;
    contexts.forEach([](uint32_t, ContextInfo& info) { info.pendingNode = nullptr; });
}

void ContextTracker::releaseNodesBefore(uint32_t firstKept) {
    if (pendingIdleNode && pendingIdleNode->record.index < firstKept)
        pendingIdleNode = nullptr;
    contexts.forEach([firstKept](uint32_t, ContextInfo& info) {
        if (info.pendingNode && info.pendingNode->record.index < firstKept)
            info.pendingNode = nullptr;
    });
}

} // namespace kavrin
