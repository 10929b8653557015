#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace kavrin {
class RecordingEngine;
struct Presentation;
} // namespace kavrin

namespace kavrin::cli {

// The figures of one context over the whole recording.
struct ContextFigures {
    QString name;
    uint32_t runCount = 0;
    uint64_t maxRunTime = 0;   // ticks
    uint64_t totalRunTime = 0; // ticks
};

// What the analysis pass measured over the whole recording, kept before the load pass
// starts counting again for the window.
struct RecordingFigures {
    uint64_t frequency = 0; // ticks per second; 0 when the recording never said
    uint64_t duration = 0;  // ticks from the target time base to the last event
    uint32_t overflows = 0;
    uint64_t dropped = 0;                 // as "Events/Dropped" counts them
    std::vector<ContextFigures> contexts; // in the order of the contexts list

    // Nothing is measured in time without a frequency, nor as a share of no time.
    std::optional<double> nanoseconds(uint64_t ticks) const;
    std::optional<double> loadPercent(const ContextFigures& context) const;
    std::optional<double> runsPerSecond(const ContextFigures& context) const;
    // Why the three above give nothing; empty when they give a value.
    QString unmeasurableReason() const;

    const ContextFigures* find(const QString& name) const;
};

RecordingFigures captureFigures(const RecordingEngine& engine, const Presentation& presentation);

} // namespace kavrin::cli
