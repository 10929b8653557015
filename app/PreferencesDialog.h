#pragma once

#include "app/AppSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace kavrin {

// Tool > Preferences: the general, indicator, system information and dialog settings.
// `values()` is the preferences as the controls show them; the caller takes them over only
// when the dialog was accepted.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(const Preferences& current, QWidget* parent = nullptr);

    Preferences values() const;

    // Seconds between requests to the target: MinRequestPeriod to MaxRequestPeriod.
    static constexpr int RequestPeriodStep = 5;

private:
    QWidget* buildGeneralGroup();
    QWidget* buildIndicatorGroup();
    QWidget* buildSystemInfoGroup();
    QWidget* buildDialogGroup();

    Preferences initial_;
    QCheckBox* loadDataOnStart_ = nullptr;
    QCheckBox* saveRecordProperties_ = nullptr;
    QCheckBox* wheelScrolls_ = nullptr;
    QComboBox* logLevel_ = nullptr;
    QComboBox* existingTask_ = nullptr;
    QComboBox* taskReady_ = nullptr;
    QComboBox* apiMarker_ = nullptr;
    QComboBox* indicatorLevel_ = nullptr;
    QComboBox* indicatorZoom_ = nullptr;
    QSpinBox* sysDescFreq_ = nullptr;
    QSpinBox* taskListFreq_ = nullptr;
    QSpinBox* sysTimeFreq_ = nullptr;
    QCheckBox* requestModules_ = nullptr;
    QCheckBox* showSystemInfo_ = nullptr;
    QCheckBox* showProperties_ = nullptr;
};

} // namespace kavrin
