#include "cli/Figures.h"

#include "engine/RecordingEngine.h"
#include "presentation/EventText.h"
#include "presentation/Presentation.h"

namespace kavrin::cli {

std::optional<double> RecordingFigures::nanoseconds(uint64_t ticks) const {
    if (frequency == 0)
        return std::nullopt;
    return double(ticks) * 1e9 / double(frequency);
}

std::optional<double> RecordingFigures::loadPercent(const ContextFigures& context) const {
    if (frequency == 0 || duration == 0)
        return std::nullopt;
    return double(context.totalRunTime) * 100.0 / double(duration);
}

std::optional<double> RecordingFigures::runsPerSecond(const ContextFigures& context) const {
    if (frequency == 0 || duration == 0)
        return std::nullopt;
    return double(context.runCount) * double(frequency) / double(duration);
}

QString RecordingFigures::unmeasurableReason() const {
    if (frequency == 0)
        return QStringLiteral("unknown: the recording has no timestamp frequency");
    if (duration == 0)
        return QStringLiteral("unknown: the recording has no duration");
    return {};
}

const ContextFigures* RecordingFigures::find(const QString& name) const {
    for (const ContextFigures& context : contexts)
        if (context.name == name)
            return &context;
    return nullptr;
}

RecordingFigures captureFigures(const RecordingEngine& engine, const Presentation& presentation) {
    RecordingFigures figures;
    figures.frequency = presentation.timeBase.frequency;
    const uint64_t timeBase = engine.decoder.targetTimeBase();
    figures.duration = engine.lastTimestamp > timeBase ? engine.lastTimestamp - timeBase : 0;
    const TrackerCounters& counters = engine.tracker.counters;
    figures.overflows = counters.overflowCount;
    figures.dropped = uint64_t(counters.overflowCount) + counters.lastDropCount;
    for (const uint32_t id : engine.contextList.rows()) {
        const ContextInfo* info = engine.tracker.contexts.find(id);
        if (!info)
            continue;
        figures.contexts.push_back({ContextNameText(engine.tracker, id), info->runCount,
                                    info->maxRunTime, info->totalRunTime});
    }
    return figures;
}

} // namespace kavrin::cli
