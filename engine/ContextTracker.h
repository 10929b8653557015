#pragma once

#include "engine/ActivityTotals.h"
#include "engine/ContextTables.h"
#include "engine/EventRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavrin {

struct EventNode;

// What the owner wires in; the tracker calls no layer below the engine.
struct TrackerHooks {
    std::function<void(const char* text)> systemDescription;
    std::function<void(const char* text, uint32_t param2)> moduleDescription;
    std::function<void(const std::string& line)> diagnostic;
    // An overflow event numbered `number` (index + 1) reports `dropped` lost events. Called
    // after overflowCount counted it and before lastDropCount takes its running total.
    std::function<void(uint32_t number, uint32_t dropped)> overflow;
    // The timestamp frequency of a System Info event.
    std::function<void(uint32_t frequency)> frequency;
    // The overflow counters were cleared (statistics reset).
    std::function<void()> overflowsCleared;
};

// The part of the tracker that a checkpoint restores. Node references are not kept: the
// nodes they named may be gone when the window comes back to a checkpoint.
struct TrackerSnapshot {
    uint32_t current = IdleContext;
    int32_t isrNesting = 0;
    bool readyFromIsr = false;
    std::vector<uint32_t> contextStack;
    // Run counts and start times of user measurements go on from here too.
    UserMeasurements userMeasurements;
};

struct TrackerCounters {
    uint32_t interruptsInInterval = 0;
    uint32_t isrTimeInInterval = 0;
    uint32_t taskRunsInInterval = 0;
    uint32_t totalInterrupts = 0;
    uint32_t totalIsrTime = 0;
    uint32_t totalTaskRuns = 0;
    uint32_t overflowCount = 0;
    uint32_t lastDropCount = 0;
};

// How an event is taken in. An analysis pass (a file's first read-through) counts but logs no
// diagnostics; a replay (the window reloaded over events counted before) only follows the
// running context, so that moving the window never counts an event twice.
enum class PassKind : uint8_t { Load, Analysis, Replay };

// Interprets events in index order: which context runs, run measurements, spans.
class ContextTracker {
public:
    // Outside the analysis pass a Log Output's payload becomes its formatted text, a heap block
    // the caller frees. Inline for API calls, often half of a recording's events: they only
    // take the running context.
    void interpret(EventRecord& record, PassKind pass = PassKind::Load) {
        if (record.id < FirstApiEvent)
            return interpretEvent(record, pass);
        record.context = record.contextBefore = record.contextAfter = current;
        activity.apiCalls += record.id >= FirstCallId ? 1 : 0;
    }
    // Inline: the analysis pass measures a switch for every other event.
    void accountSwitch(const EventRecord& record, PassKind pass);
    void linkSpans(const EventRecord& record, EventNode* lastNode);

    std::string contextName(uint32_t id) const;
    // A raw task address above the base maps to a compact id.
    uint32_t compactTaskId(uint32_t id) const;

    void reset();
    // A load pass from event 0 replays the recording: run state goes back to before event 0,
    // learned names and tables stay.
    void restartRunState();

    TrackerSnapshot snapshot() const;
    void restore(const TrackerSnapshot& snapshot);
    // Clears every node reference (pendingNode, pendingIdleNode).
    void clearNodeReferences();
    // The running context is Idle, outside any interrupt (between the passes over a file).
    void returnToIdle();
    // Clears the references to nodes with an index below `firstKept` (they are being freed).
    void releaseNodesBefore(uint32_t firstKept);

    // Set from the System Info block by the detail text.
    void setTaskIdMapping(uint32_t base, uint32_t shift) {
        taskIdBase = base;
        taskIdShift = shift;
    }

    TrackerHooks hooks;
    ContextTable contexts;
    IsrTable isrs;
    UserMeasurements userMeasurements;
    ResourceNames resourceNames;
    TrackerCounters counters;
    ActivityTotals activity; // of every pass, never reset by a restart

    uint32_t current = IdleContext;
    int32_t isrNesting = 0;
    bool readyFromIsr = false;
    std::vector<uint32_t> contextStack;
    EventNode* pendingIdleNode = nullptr;

    uint32_t timestampFrequency = 0;
    uint32_t taskIdBase = 0;
    uint32_t taskIdShift = 0;
    uint32_t moduleCount = 0;
    bool modulesChanged = false;

private:
    // Every event that is not an API call.
    void interpretEvent(EventRecord& record, PassKind pass);
    [[gnu::cold]] void reportSwitchWithoutScheduler(const EventRecord& record);
    void openReadyInterval(uint32_t task, uint64_t timestamp);
    // The context an ISR or timer exit returns to.
    uint32_t popContext();
    void linkApiEnd(const EventRecord& record, EventNode* lastNode);
    void closeSpan(const EventRecord& record, uint64_t now);
};

inline void ContextTracker::accountSwitch(const EventRecord& record, PassKind pass) {
    if (record.contextBefore == record.contextAfter)
        return;
    const bool counting = pass != PassKind::Replay;
    ContextInfo& old = contexts[record.contextBefore];
    old.id = record.contextBefore;
    if (old.measured && counting) {
        if (pass == PassKind::Load && record.id == TaskRunEvent &&
            record.contextBefore != SchedulerContext)
            reportSwitchWithoutScheduler(record);
        if (record.timestamp > old.enteredAt) {
            const uint64_t run = record.timestamp - old.enteredAt;
            const auto low = uint32_t(run);
            old.totalRunTime += run;
            old.lastRunTime = low;
            old.runTimeInInterval += low;
            if (run < old.minRunTime) {
                old.minRunTime = low;
                old.minRunIndex = record.index;
            }
            if (run > old.maxRunTime) {
                old.maxRunTime = low;
                old.maxRunIndex = record.index;
            }
            if (isrs.contains(record.contextBefore)) {
                counters.isrTimeInInterval += low;
                counters.totalIsrTime += low;
            }
        }
    }
    old.measured = true;
    ContextInfo& next = contexts[record.contextAfter];
    next.id = record.contextAfter;
    next.enteredAt = record.timestamp;
    if (counting) {
        ++next.runsInInterval;
        ++next.runCount;
    }
}

} // namespace kavrin
