#include "app/PreferencesDialog.h"

#include "app/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kavrin {

namespace {

QCheckBox* checkBox(const char* text, bool checked) {
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setChecked(checked);
    return box;
}

QGroupBox* groupBox(const char* title, QLayout* layout) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    box->setLayout(layout);
    return box;
}

// A label and its combo box in one row of a grid.
void addChoice(QGridLayout* grid, const char* label, QComboBox* combo) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
    grid->addWidget(combo, row, 1);
}

QSpinBox* periodBox(int seconds) {
    auto* box = new QSpinBox;
    box->setRange(MinRequestPeriod, MaxRequestPeriod);
    box->setSingleStep(PreferencesDialog::RequestPeriodStep);
    box->setValue(seconds);
    return box;
}

// "Request ... every", the spin box, "seconds.".
void addPeriod(QGridLayout* grid, const char* label, QSpinBox* box) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("seconds.")), row, 2);
}

} // namespace

PreferencesDialog::PreferencesDialog(const Preferences& current, QWidget* parent)
    : QDialog(parent), initial_(current) {
    setWindowTitle(dialogTitle(QStringLiteral("Preferences")));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(buildGeneralGroup());
    layout->addWidget(buildIndicatorGroup());
    layout->addWidget(buildSystemInfoGroup());
    layout->addWidget(buildDialogGroup());
    layout->addLayout(okCancelRow(*this).layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* PreferencesDialog::buildGeneralGroup() {
    auto* grid = new QGridLayout;
    loadDataOnStart_ = checkBox("&Load last data on start.", initial_.loadDataOnStart);
    saveRecordProperties_ =
        checkBox("&Store recording properties in data file.", initial_.saveRecordProperties);
    wheelScrolls_ =
        checkBox("&Mouse Wheel scrolls time line.", initial_.timeline.invertWheelControl);
    grid->addWidget(loadDataOnStart_, 0, 0, 1, 2);
    grid->addWidget(saveRecordProperties_, 1, 0, 1, 2);
    grid->addWidget(wheelScrolls_, 2, 0, 1, 2);
    // The entry of each level is its number.
    logLevel_ =
        choiceCombo({QStringLiteral("No Log"), QStringLiteral("Error"), QStringLiteral("Warning"),
                     QStringLiteral("Message"), QStringLiteral("Diagnostic")},
                    int(initial_.logLevel));
    addChoice(grid, "Log Level", logLevel_);
    grid->setColumnStretch(1, 1);
    return groupBox("General Settings", grid);
}

QWidget* PreferencesDialog::buildIndicatorGroup() {
    const TimelinePreferences& timeline = initial_.timeline;
    auto* grid = new QGridLayout;
    existingTask_ = choiceCombo({QStringLiteral("None"), QStringLiteral("Light Background")},
                                int(timeline.existingTaskHighlight));
    taskReady_ = choiceCombo({QStringLiteral("None"), QStringLiteral("Silver Bar")},
                             int(timeline.taskReadyHighlight));
    apiMarker_ = choiceCombo({QStringLiteral("None"), QStringLiteral("Bottom")},
                             int(timeline.timelineEventMarker));
    indicatorLevel_ = choiceCombo(indicatorLevelLabels(), timeline.indicatorLevel);
    indicatorZoom_ = choiceCombo(indicatorZoomLabels(), timeline.indicatorZoom);
    addChoice(grid, "Existing Task Indicator", existingTask_);
    addChoice(grid, "Task Ready Indicator", taskReady_);
    addChoice(grid, "API Function Indicator", apiMarker_);
    addChoice(grid, "Message Indicator", indicatorLevel_);
    addChoice(grid, "Hide Message Indicators if Zoom above", indicatorZoom_);
    grid->setColumnStretch(1, 1);
    return groupBox("Indicator Settings", grid);
}

QWidget* PreferencesDialog::buildSystemInfoGroup() {
    auto* grid = new QGridLayout;
    sysDescFreq_ = periodBox(initial_.sysDescFreq);
    taskListFreq_ = periodBox(initial_.taskListFreq);
    sysTimeFreq_ = periodBox(initial_.sysTimeFreq);
    addPeriod(grid, "Request system description every", sysDescFreq_);
    addPeriod(grid, "Request task list every", taskListFreq_);
    addPeriod(grid, "Request system time every", sysTimeFreq_);
    requestModules_ = checkBox("Request &registered modules.", initial_.requestModules);
    grid->addWidget(requestModules_, grid->rowCount(), 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return groupBox("System Information Settings", grid);
}

QWidget* PreferencesDialog::buildDialogGroup() {
    auto* column = new QVBoxLayout;
    showSystemInfo_ =
        checkBox("Show System Information Window after load.", initial_.showSystemInfoDialog);
    showProperties_ = checkBox("Show Recording Properties Window before saving.",
                               initial_.showRecordingPropertiesDialog);
    column->addWidget(showSystemInfo_);
    column->addWidget(showProperties_);
    return groupBox("Window and Dialog Settings", column);
}

Preferences PreferencesDialog::values() const {
    Preferences values = initial_;
    values.loadDataOnStart = loadDataOnStart_->isChecked();
    values.saveRecordProperties = saveRecordProperties_->isChecked();
    values.timeline.invertWheelControl = wheelScrolls_->isChecked();
    values.logLevel = unsigned(logLevel_->currentIndex());
    values.timeline.existingTaskHighlight = unsigned(existingTask_->currentIndex());
    values.timeline.taskReadyHighlight = unsigned(taskReady_->currentIndex());
    values.timeline.timelineEventMarker = unsigned(apiMarker_->currentIndex());
    values.timeline.indicatorLevel = indicatorLevel_->currentIndex();
    values.timeline.indicatorZoom = indicatorZoom_->currentIndex();
    values.sysDescFreq = sysDescFreq_->value();
    values.taskListFreq = taskListFreq_->value();
    values.sysTimeFreq = sysTimeFreq_->value();
    values.requestModules = requestModules_->isChecked();
    values.showSystemInfoDialog = showSystemInfo_->isChecked();
    values.showRecordingPropertiesDialog = showProperties_->isChecked();
    return values;
}

} // namespace kavrin
