#include "app/GoToDialog.h"

#include "app/DialogParts.h"
#include "app/MessageBoxes.h"
#include "presentation/TimeText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include <climits>

namespace kavrin {

namespace {

struct TimeField {
    int maximum;
    int step;
    const char* suffix;
    uint64_t ns;      // one unit
    uint64_t perNext; // units in the next larger one; 0 for hours, which are not limited
};

constexpr std::array<TimeField, 5> TimeFields{{
    {100, 1, " h", 3'600'000'000'000, 0},
    {59, 1, " m", 60'000'000'000, 60},
    {59, 1, " s", 1'000'000'000, 60},
    {999, 10, " ms", 1'000'000, 1000},
    {999, 10, " us", 1'000, 1000},
}};

} // namespace

GoToDialog::GoToDialog(GoToType type, const GoToRange& range, const TimeBase& timeBase,
                       int resolution, QWidget* parent)
    : QDialog(parent), events_(range), timeBase_(timeBase), resolution_(resolution),
      type_(new QComboBox), range_(new QLabel), event_(new QLineEdit) {
    setWindowTitle(dialogTitle(QStringLiteral("Go To ...")));
    warn = [this](const QString& text) {
        QMessageBox::warning(this, QLatin1String(MessageBoxTitle), text);
    };
    type_->addItems({QStringLiteral("Event #"), QStringLiteral("Target Timestamp"),
                     QStringLiteral("Recording Timestamp")});
    event_->setText(QString::number(uint64_t(range.selectedIndex) + 1));
    event_->setMinimumWidth(120);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(10);
    grid->addWidget(type_, 0, 0);
    grid->addWidget(range_, 0, 1);
    grid->addWidget(event_, 0, 2);
    grid->addWidget(buildTimeRow(), 1, 0, 1, 3);
    OkCancelRow buttons = okCancelRow(*this, false);
    connect(buttons.ok, &QPushButton::clicked, this, &GoToDialog::ValidateInput);
    grid->addLayout(buttons.layout, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    type_->setCurrentIndex(int(type));
    connect(type_, &QComboBox::currentIndexChanged, this, &GoToDialog::OnChangeType);
    OnChangeType(int(type));
}

QWidget* GoToDialog::buildTimeRow() {
    timeRow_ = new QWidget;
    auto* row = new QHBoxLayout(timeRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Time:")));
    for (size_t i = 0; i < TimeFields.size(); ++i) {
        const TimeField& field = TimeFields[i];
        time_[i] = new QSpinBox;
        time_[i]->setRange(0, field.maximum);
        time_[i]->setSingleStep(field.step);
        time_[i]->setSuffix(QLatin1String(field.suffix));
        row->addWidget(time_[i]);
    }
    return timeRow_;
}

GoToType GoToDialog::type() const {
    return GoToType(type_->currentIndex());
}

QString GoToDialog::clock(uint64_t ns) const {
    return ClockText(timeBase_, ns, resolution_);
}

void GoToDialog::OnChangeType(int type) {
    const bool event = GoToType(type) == GoToType::Event;
    event_->setVisible(event);
    timeRow_->setVisible(!event);
    QString low;
    QString high;
    const uint64_t firstNs = TicksToNs(timeBase_, events_.firstTicks);
    const uint64_t lastNs = TicksToNs(timeBase_, events_.lastTicks);
    const uint64_t selectedNs = TicksToNs(timeBase_, events_.selectedTicks);
    switch (GoToType(type)) {
    case GoToType::Event:
        low = QString::number(uint64_t(events_.firstIndex) + 1);
        high = QString::number(uint64_t(events_.lastIndex) + 1);
        event_->setFocus();
        event_->selectAll();
        break;
    case GoToType::TargetTimestamp:
        low = clock(firstNs);
        high = clock(lastNs);
        presetTime(selectedNs);
        break;
    case GoToType::RecordingTimestamp:
        low = clock(0);
        high = clock(lastNs - firstNs);
        presetTime(selectedNs - firstNs);
        break;
    }
    range_->setText(events_.hasEvents ? QStringLiteral(" (%1 - %2): ").arg(low, high)
                                      : QStringLiteral(" (no events): "));
}

void GoToDialog::presetTime(uint64_t ns) {
    for (size_t i = 0; i < TimeFields.size(); ++i) {
        const TimeField& field = TimeFields[i];
        const uint64_t units = ns / field.ns;
        // The spin box caps the hours at its maximum.
        time_[i]->setValue(int(field.perNext ? units % field.perNext
                                             : std::min<uint64_t>(units, uint64_t(INT_MAX))));
    }
    time_[0]->setFocus();
}

uint64_t GoToDialog::ParseTimestamp(bool* ok) const {
    uint64_t ns = 0;
    for (size_t i = 0; i < TimeFields.size(); ++i)
        ns += uint64_t(time_[i]->value()) * TimeFields[i].ns;
    uint64_t ticks = NsToTicks(timeBase_, ns);
    if (type() == GoToType::RecordingTimestamp)
        ticks += events_.firstTicks;
    if (ok)
        *ok = true;
    return ticks;
}

void GoToDialog::ValidateInput() {
    if (!events_.hasEvents) {
        warn(QStringLiteral("No events are loaded."));
        return;
    }
    if (type() != GoToType::Event) {
        bool ok = false;
        target_ = {type(), ParseTimestamp(&ok)};
        accept();
        return;
    }
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+$"));
    const QString text = event_->text().trimmed();
    if (!decimal.match(text).hasMatch()) {
        warn(QStringLiteral("Invalid Input."));
        return;
    }
    bool fits = false;
    const qulonglong number = text.toULongLong(&fits);
    if (!fits || number == 0 || number - 1 < events_.firstIndex || number - 1 > events_.lastIndex) {
        warn(QStringLiteral("Invalid Event #."));
        return;
    }
    target_ = {GoToType::Event, number - 1};
    accept();
}

} // namespace kavrin
