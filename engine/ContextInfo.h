#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kavrin {

struct EventNode;

enum ContextKind : int32_t {
    UndeterminedKind = -1,
    InterruptKind = 0,
    SchedulerKind = 1,
    TimerKind = 2,
    TaskKind = 3,
    IdleKind = 4,
};

inline constexpr int32_t InterruptPriority = -3;

struct ReadyInterval {
    uint64_t start = 0;
    uint64_t end = 0; // 0 while open
};

// Everything known about one context: identity, run measurements and interval statistics.
struct ContextInfo {
    uint64_t enteredAt = 0;
    uint32_t lastRunTime = 0;
    uint32_t minRunTime = 0xFFFFFFFFu;
    uint32_t maxRunTime = 0;
    uint64_t maxRunIndex = 0;
    uint64_t minRunIndex = 0;
    uint32_t runTimeInInterval = 0;
    uint64_t totalRunTime = 0;
    uint32_t runsInInterval = 0;
    uint32_t runCount = 0;

    // Statistics over closed one-second intervals.
    uint32_t lastIntervalRunTime = 0;
    uint32_t minIntervalRunTime = 0xFFFFFFFFu;
    uint32_t maxIntervalRunTime = 0;
    uint64_t intervalRunTimeSum = 0;
    uint32_t intervalCount = 0;
    uint32_t lastIntervalRuns = 0;

    std::string name; // empty when the context has none
    bool hasName = false;
    uint32_t id = 0;
    int32_t kind = UndeterminedKind;
    int32_t priority = 0;
    EventNode* pendingNode = nullptr;
    bool measured = false;
    uint32_t stackBase = 0;
    uint32_t stackSize = 0;
    uint32_t stackExtra = 0;
    std::vector<ReadyInterval> readyIntervals;

    // Timeline display data.
    uint32_t colourCode = 0;
    uint32_t displayValue = 0;

    // Whether the contexts list shows this context already.
    bool listed = false;

    void resetRunStatistics();
};

} // namespace kavrin
