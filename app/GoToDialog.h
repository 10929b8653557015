#pragma once

#include "app/GoToTarget.h"
#include "presentation/TimeBase.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kavrin {

// Go > Go to Event / Go to Timestamp: an event number, or a time split into hours, minutes,
// seconds, milliseconds and microseconds since target start or since the first event.
class GoToDialog : public QDialog {
    Q_OBJECT
public:
    GoToDialog(GoToType type, const GoToRange& range, const TimeBase& timeBase, int resolution,
               QWidget* parent = nullptr);

    GoToType type() const;
    // Valid once accepted.
    GoToTarget target() const { return target_; }
    // The spin boxes' time as a target timestamp in ticks; never fails.
    uint64_t ParseTimestamp(bool* ok) const;

    // Shows a warning; a message box unless replaced (tests).
    std::function<void(const QString& text)> warn;

    QComboBox* typeBox() const { return type_; }
    QLabel* rangeLabel() const { return range_; }
    QLineEdit* eventField() const { return event_; }
    // Hours, minutes, seconds, milliseconds, microseconds.
    const std::array<QSpinBox*, 5>& timeFields() const { return time_; }

public slots:
    void OnChangeType(int type);
    void ValidateInput();

private:
    QWidget* buildTimeRow();
    void presetTime(uint64_t ns);
    QString clock(uint64_t ns) const;

    GoToRange events_;
    const TimeBase& timeBase_;
    int resolution_;
    GoToTarget target_;
    QComboBox* type_;
    QLabel* range_;
    QLineEdit* event_;
    QWidget* timeRow_ = nullptr;
    std::array<QSpinBox*, 5> time_{};
};

} // namespace kavrin
