#pragma once

#include "engine/ContextTracker.h"
#include "engine/EventRecord.h"

#include <cstdint>
#include <map>
#include <unordered_map>

namespace kavrin {

// Second number -> context id -> share of that interval the context ran (0 to 1).
using CpuLoadMap = std::map<uint64_t, std::unordered_map<uint32_t, float>>;

// Per-second interval statistics of the whole system and of every context.
class Statistics {
public:
    // Closes the running interval when `record` lies one frequency's worth of ticks after its
    // start; returns whether it did. The first event after a (re)start opens the first
    // interval: an interval never spans time before the recording, which may begin at a
    // target's uptime of seconds.
    bool closeIntervalIfDue(const EventRecord& record, ContextTracker& tracker) {
        // Asked for every event: the test is inline, opening or closing an interval is not.
        const uint32_t frequency = tracker.timestampFrequency;
        if (intervalOpen && (frequency == 0 || record.timestamp < intervalStart + frequency))
            return false;
        return openOrCloseInterval(record, tracker);
    }
    // Clears run statistics of every context and the overflow counters; keeps events.
    void resetStats(ContextTracker& tracker);
    // The next interval starts at the next event again (a replay from event 0).
    void restartIntervals();
    void clear();

    bool intervalOpen = false;
    uint64_t intervalStart = 0;
    EventRecord intervalEndRecord; // index, timestamp and stream position only; owns no blocks
    uint32_t eventsLastInterval = 0;
    uint32_t bytesLastInterval = 0;
    uint32_t peakBytesPerInterval = 0;
    uint32_t interruptsLastInterval = 0;
    uint32_t isrTimeLastInterval = 0;
    uint32_t taskRunsLastInterval = 0;
    CpuLoadMap cpuLoad;

private:
    bool openOrCloseInterval(const EventRecord& record, ContextTracker& tracker);
    void openInterval(const EventRecord& record);
};

} // namespace kavrin
