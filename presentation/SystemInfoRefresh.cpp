#include "presentation/SystemInfoTable.h"

#include "engine/RecordingEngine.h"
#include "presentation/TimeText.h"

namespace kavrin {

namespace {

// "%1" of a fixed number with two decimals in at least three places, then `unit`.
QString fixed(double value, const char* unit) {
    return QStringLiteral("%1").arg(value, 3, 'f', 2) + QLatin1String(unit);
}

QString kiloBytes(uint64_t bytes, const char* unit) {
    return fixed(double(bytes) / 1000.0, unit);
}

} // namespace

void SystemInfoTable::refresh(const RecordingEngine& engine, const TimeBase& timeBase,
                              int resolution, uint64_t traceSize) {
    const TrackerCounters& counters = engine.tracker.counters;
    const Statistics& statistics = engine.statistics;
    auto set = [this](SystemInfoRow row, const QString& text) { values_[size_t(row)] = text; };

    set(SystemInfoRow::Uptime, SpanText(timeBase, engine.lastTimestamp, resolution));
    set(SystemInfoRow::SwitchCount, QString::number(counters.totalTaskRuns));
    set(SystemInfoRow::TaskFrequency, QStringLiteral("%1 Hz").arg(statistics.taskRunsLastInterval));
    if (timeBase.frequency != 0) {
        const double load =
            double(statistics.isrTimeLastInterval) * 100.0 / double(timeBase.frequency);
        set(SystemInfoRow::IsrLoad, fixed(load, "%"));
    }
    set(SystemInfoRow::IsrFrequency,
        QStringLiteral("%1 Hz").arg(statistics.interruptsLastInterval));
    set(SystemInfoRow::IsrTotalTime, SpanText(timeBase, counters.totalIsrTime, resolution));
    set(SystemInfoRow::InterruptCount, QString::number(counters.totalInterrupts));
    set(SystemInfoRow::EventCount, QString::number(engine.largestProcessedCount));
    set(SystemInfoRow::EventFrequency, QStringLiteral("%1/s").arg(statistics.eventsLastInterval));
    set(SystemInfoRow::Throughput, kiloBytes(statistics.bytesLastInterval, " kB/s"));
    set(SystemInfoRow::PeakThroughput, kiloBytes(statistics.peakBytesPerInterval, " kB/s"));
    set(SystemInfoRow::TraceSize, kiloBytes(traceSize, " kB"));
    set(SystemInfoRow::Duration,
        DurationText(timeBase, engine.lastTimestamp, engine.decoder.targetTimeBase(), resolution)
            .simplified());
    emit valuesChanged();
}

} // namespace kavrin
