#include "presentation/Presentation.h"

#include "engine/RecordingEngine.h"
#include "presentation/DescriptionParser.h"

#include <memory>

namespace kavrin {

namespace {

QString latin1(const char* text) {
    return text ? QString::fromLatin1(text) : QString();
}

void showFrequency(Presentation& presentation, uint32_t frequency) {
    presentation.timeBase.setFrequency(frequency);
    SystemInfoTable& info = presentation.systemInfo;
    info.setRowText(SystemInfoRow::CycleFrequency, QStringLiteral("%1 Hz").arg(frequency));
    info.setRowText(SystemInfoRow::CyclePeriod,
                    SpanText(presentation.timeBase, 1, presentation.display.resolution));
}

// Called before the tracker takes the event's total as its last drop count, so that total is
// the last count plus the events this overflow dropped, less the one the count includes.
void showOverflow(Presentation& presentation, const TrackerCounters& counters, uint32_t number,
                  uint32_t dropped) {
    SystemInfoTable& info = presentation.systemInfo;
    const uint32_t totalDropped = counters.lastDropCount + dropped - 1;
    info.addOverflowRow(number, dropped);
    info.setRowText(SystemInfoRow::Overflows, QString::number(counters.overflowCount));
    info.setRowText(SystemInfoRow::Dropped,
                    QString::number(uint64_t(counters.overflowCount) + totalDropped));
}

} // namespace

void Presentation::reset() {
    descriptions.reset();
    timeBase.clear();
    systemInfo.clear();
}

void wireEngine(RecordingEngine& engine, Presentation& presentation, const Log& log,
                std::function<void(const QString& identity)> identityChanged,
                const QString& applicationDir) {
    auto env = std::make_shared<DescriptionEnvironment>(DescriptionEnvironment{
        presentation.descriptions, engine.tracker.isrs, engine.contextList.reversePriority, log,
        &presentation.systemInfo, std::move(identityChanged), applicationDir});
    TrackerHooks& hooks = engine.tracker.hooks;
    hooks.systemDescription = [env](const char* text) {
        ParseSystemDescription(*env, latin1(text));
    };
    hooks.moduleDescription = [env](const char* text, uint32_t eventOffset) {
        ParseModuleDescription(*env, latin1(text), eventOffset);
    };
    hooks.diagnostic = [&log](const std::string& line) {
        log.diagnostic(QString::fromLatin1(line.data(), qsizetype(line.size())));
    };
    hooks.frequency = [&presentation](uint32_t frequency) {
        showFrequency(presentation, frequency);
    };
    const TrackerCounters& counters = engine.tracker.counters;
    hooks.overflow = [&presentation, &counters](uint32_t number, uint32_t dropped) {
        showOverflow(presentation, counters, number, dropped);
    };
    hooks.overflowsCleared = [&presentation] { presentation.systemInfo.clearOverflowRows(); };
}

void refreshStatistics(RecordingEngine& engine, Presentation& presentation, uint64_t traceSize) {
    presentation.systemInfo.refresh(engine, presentation.timeBase, presentation.display.resolution,
                                    traceSize);
    engine.contextList.rebuild(engine.tracker);
}

} // namespace kavrin
