#include "engine/Statistics.h"

#include <algorithm>

namespace kavrin {

void Statistics::openInterval(const EventRecord& record) {
    intervalOpen = true;
    intervalStart = record.timestamp;
    intervalEndRecord = EventRecord{};
    intervalEndRecord.index = record.index;
    intervalEndRecord.timestamp = record.timestamp;
    intervalEndRecord.streamPosition = record.streamPosition;
}

bool Statistics::openOrCloseInterval(const EventRecord& record, ContextTracker& tracker) {
    if (!intervalOpen) {
        openInterval(record);
        return false;
    }
    const uint32_t frequency = tracker.timestampFrequency;
    TrackerCounters& counters = tracker.counters;
    taskRunsLastInterval = counters.taskRunsInInterval;
    isrTimeLastInterval = counters.isrTimeInInterval;
    interruptsLastInterval = counters.interruptsInInterval;
    eventsLastInterval = record.index - intervalEndRecord.index;
    bytesLastInterval = record.streamPosition - intervalEndRecord.streamPosition;
    openInterval(record);
    peakBytesPerInterval = std::max(peakBytesPerInterval, bytesLastInterval);
    counters.taskRunsInInterval = 0;
    counters.isrTimeInInterval = 0;
    counters.interruptsInInterval = 0;

    auto& loads = cpuLoad[record.timestamp / frequency];
    tracker.contexts.forEach([&](uint32_t id, ContextInfo& info) {
        info.lastIntervalRuns = info.runsInInterval;
        info.lastIntervalRunTime = info.runTimeInInterval;
        info.runsInInterval = 0;
        info.runTimeInInterval = 0;
        info.minIntervalRunTime = std::min(info.minIntervalRunTime, info.lastIntervalRunTime);
        info.maxIntervalRunTime = std::max(info.maxIntervalRunTime, info.lastIntervalRunTime);
        info.intervalRunTimeSum += info.lastIntervalRunTime;
        ++info.intervalCount;
        loads[id] = float(double(info.lastIntervalRunTime) / double(frequency));
    });
    return true;
}

void Statistics::resetStats(ContextTracker& tracker) {
    tracker.contexts.forEach([](uint32_t, ContextInfo& info) { info.resetRunStatistics(); });
    tracker.counters.overflowCount = 0;
    tracker.counters.lastDropCount = 0;
    if (tracker.hooks.overflowsCleared)
        tracker.hooks.overflowsCleared();
}

void Statistics::restartIntervals() {
    intervalOpen = false;
    intervalStart = 0;
    intervalEndRecord = EventRecord{};
}

void Statistics::clear() {
    *this = Statistics{};
}

} // namespace kavrin
