#pragma once

#include "engine/RecordingEngine.h"

#include <cstdint>
#include <vector>

namespace kavrin::test {

// Every figure that counting events changes: the contexts' run and interval statistics, the
// tracker's counters and the system-wide interval values. Equal facts mean no event was
// counted twice or missed.
inline std::vector<uint64_t> countedFacts(const RecordingEngine& engine) {
    std::vector<uint64_t> facts;
    for (const uint32_t id : engine.tracker.contexts.sortedIds()) {
        const ContextInfo& c = *engine.tracker.contexts.find(id);
        facts.insert(facts.end(),
                     {id, c.lastRunTime, c.minRunTime, c.maxRunTime, c.maxRunIndex, c.minRunIndex,
                      c.runTimeInInterval, c.totalRunTime, c.runsInInterval, c.runCount,
                      c.lastIntervalRunTime, c.minIntervalRunTime, c.maxIntervalRunTime,
                      c.intervalRunTimeSum, c.intervalCount, c.lastIntervalRuns});
    }
    const TrackerCounters& n = engine.tracker.counters;
    const Statistics& s = engine.statistics;
    facts.insert(facts.end(), {n.interruptsInInterval, n.isrTimeInInterval, n.taskRunsInInterval,
                               n.totalInterrupts, n.totalIsrTime, n.totalTaskRuns, n.overflowCount,
                               n.lastDropCount, s.intervalStart, s.eventsLastInterval,
                               s.bytesLastInterval, s.peakBytesPerInterval, s.cpuLoad.size()});
    return facts;
}

} // namespace kavrin::test
