#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kavrin {

class RecordingEngine;
struct TimeBase;

// The value rows of the system information, in table order; groups are contiguous runs.
enum class SystemInfoRow : int {
    Name,
    OS,
    Device,
    CycleFrequency,
    CyclePeriod,
    Uptime,
    SwitchCount,
    TaskFrequency,
    IsrLoad,
    IsrFrequency,
    IsrTotalTime,
    InterruptCount,
    EventCount,
    EventFrequency,
    Dropped,
    Throughput,
    PeakThroughput,
    TraceSize,
    Overflows,
    HostTime,
    Duration,
    Title,
    Author,
    Description,
};
inline constexpr int SystemInfoRowCount = int(SystemInfoRow::Description) + 1;

struct SystemInfoGroup {
    const char* title;
    SystemInfoRow first;
    SystemInfoRow last;
};

// The six groups in table order.
const std::array<SystemInfoGroup, 6>& systemInfoGroups();
QString systemInfoRowName(SystemInfoRow row);

struct OverflowRow {
    QString name; // "#n"
    QString text; // "n Events dropped"
};

// Properties of the recorded system and of the recording, as a two-level table of texts.
// Writers set values directly; a GUI model presents the table and follows its signals.
class SystemInfoTable : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const QString& rowText(SystemInfoRow row) const { return values_[size_t(row)]; }
    void setRowText(SystemInfoRow row, const QString& text);

    const std::vector<OverflowRow>& overflowRows() const { return overflowRows_; }
    void addOverflowRow(uint32_t number, uint32_t dropped);
    void clearOverflowRows();

    // The statistics refresh: tasks, interrupts, events (but Dropped), channel figures (but
    // Overflows), Uptime and Duration, then one change notice. `traceSize` counts stream bytes.
    void refresh(const RecordingEngine& engine, const TimeBase& timeBase, int resolution,
                 uint64_t traceSize);

    // The reset of all data: every value empty, no overflow rows.
    void clear();

signals:
    void rowTextChanged(int row);
    // Several values changed at once.
    void valuesChanged();
    void overflowRowsChanged();

private:
    std::array<QString, SystemInfoRowCount> values_;
    std::vector<OverflowRow> overflowRows_;
};

} // namespace kavrin
