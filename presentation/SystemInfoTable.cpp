#include "presentation/SystemInfoTable.h"

namespace kavrin {

const std::array<SystemInfoGroup, 6>& systemInfoGroups() {
    static constexpr std::array<SystemInfoGroup, 6> groups{{
        {"Target System", SystemInfoRow::Name, SystemInfoRow::Uptime},
        {"Tasks", SystemInfoRow::SwitchCount, SystemInfoRow::TaskFrequency},
        {"ISRs", SystemInfoRow::IsrLoad, SystemInfoRow::InterruptCount},
        {"Events", SystemInfoRow::EventCount, SystemInfoRow::Dropped},
        {"ZTX", SystemInfoRow::Throughput, SystemInfoRow::Overflows},
        {"Recording", SystemInfoRow::HostTime, SystemInfoRow::Description},
    }};
    return groups;
}

QString systemInfoRowName(SystemInfoRow row) {
    static constexpr std::array<const char*, SystemInfoRowCount> names{
        "Name",
        "OS",
        "Device",
        "Cycle Frequency",
        "Cycle Period",
        "Uptime",
        "Switch Count",
        "Frequency",
        "Load",
        "Frequency",
        "Total Time",
        "Interrupt Count",
        "Count",
        "Frequency",
        "Dropped",
        "Throughput",
        "Peak Throughput",
        "Trace Size",
        "Overflows",
        "Host Time",
        "Duration",
        "Title",
        "Author",
        "Description",
    };
    return QString::fromLatin1(names[size_t(row)]);
}

void SystemInfoTable::setRowText(SystemInfoRow row, const QString& text) {
    values_[size_t(row)] = text;
    emit rowTextChanged(int(row));
}

void SystemInfoTable::addOverflowRow(uint32_t number, uint32_t dropped) {
    overflowRows_.push_back(
        {QStringLiteral("#%1").arg(number), QStringLiteral("%1 Events dropped").arg(dropped)});
    emit overflowRowsChanged();
}

void SystemInfoTable::clearOverflowRows() {
    overflowRows_.clear();
    emit overflowRowsChanged();
}

void SystemInfoTable::clear() {
    for (QString& value : values_)
        value.clear();
    overflowRows_.clear();
    emit overflowRowsChanged();
    emit valuesChanged();
}

} // namespace kavrin
