// Live recording: the configuration dialog, the recorder thread's run states, the live slices
// and reading recorded data from a halted target.
#include "app/KavrinMainWindow.h"

#include "app/AnnoyingDialog.h"
#include "app/AppIcons.h"
#include "presentation/TimeText.h"
#include "presentation/models/EventModel.h"
#include "recorder/DeviceSelectionDialog.h"
#include "recorder/LiveRecorder.h"
#include "recorder/RecorderMessages.h"
#include "views/EventView.h"
#include "views/LoadView.h"
#include "views/TimeView.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace kavrin {

namespace {

constexpr int IdleTick = 500;
constexpr int QuickTick = 10; // while a recording starts or stops
constexpr int StoppingTick = 100;
constexpr int ChannelPoll = 10;
constexpr int RecordingStatistics = 100;
constexpr int IdleStatistics = 500;
constexpr std::chrono::milliseconds UnboundedSlice{10'000};

} // namespace

std::optional<ConnectionDialogFields> KavrinMainWindow::showConnectionDialog() {
    DeviceSelectionDialog dialog(settings_.connection, probe_, deviceCache_, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.fields();
}

// Shared by starting a recording and reading recorded data: false where it stops.
bool KavrinMainWindow::readConfigurationDialog() {
    const std::optional<ConnectionDialogFields> fields =
        prompts.configureConnection(settings_.connection);
    if (!fields)
        return false;
    resetAllData();
    if (!recorder_->createRecordingFile())
        log_.warning(QStringLiteral("Cannot create the temporary recording file; the recording "
                                    "can be saved from memory only."));
    switch (readConnectionFields(*fields, settings_.connection)) {
    case FieldsOutcome::InvalidSerialNumber:
        recordingMessage(QMessageBox::Warning, recorderText::invalidSerialNumber());
        return false;
    case FieldsOutcome::InvalidControlBlockAddress:
        recordingMessage(QMessageBox::Warning, recorderText::invalidControlBlockAddress());
        return false;
    case FieldsOutcome::Accepted:
        break;
    }
    return recorder_->configure(settings_.connection);
}

void KavrinMainWindow::recordingMessage(QMessageBox::Icon icon, const QString& text) {
    prompts.notify(icon, recorderText::title(), text);
}

RequestPeriods KavrinMainWindow::requestPeriods() const {
    const Preferences& preferences = settings_.preferences;
    return {preferences.sysDescFreq, preferences.taskListFreq, preferences.sysTimeFreq,
            preferences.requestModules};
}

// A command that cannot act says why.
bool KavrinMainWindow::refuseUnlessIdle() {
    if (runState_ == RunState::Idle)
        return false;
    QString reason = QStringLiteral("A recording is running.");
    if (runState_ == RunState::Loading)
        reason = QStringLiteral("A recording is being loaded; please try again when it is done.");
    else if (runState_ == RunState::Created || runState_ == RunState::Started)
        reason = QStringLiteral("Kavrin is still starting; please try again.");
    statusBar()->showMessage(reason, 5000);
    return true;
}

void KavrinMainWindow::startRecording() {
    if (refuseUnlessIdle() || !readConfigurationDialog())
        return;
    if (!recorder_->hasThread()) {
        recorder_->startThread(requestPeriods());
        runState_ = RunState::Connecting;
    }
    backgroundTimer_->setInterval(QuickTick);
}

void KavrinMainWindow::startSingleShot() {
    if (refuseUnlessIdle() || !readConfigurationDialog())
        return;
    const int32_t bytes = recorder_->readRecordedData();
    if (bytes < 0) {
        recordingMessage(QMessageBox::Warning, recorderText::readFailed());
        return;
    }
    recordingMessage(QMessageBox::Information, recorderText::readDone(bytes));
    AnalyzeFile(recorder_->recordingFileName());
}

void KavrinMainWindow::stopRecording() {
    if (runState_ != RunState::Recording)
        return;
    if (recorder_->hasThread()) {
        runState_ = RunState::Stopping;
        sendRecorderCommand(StopCommand);
        sendRecorderCommand(QuitCommand);
        backgroundTimer_->setInterval(QuickTick);
    }
    showRecordingControls(false);
}

// Opening, saving or closing cannot wait for the next ticks: the recording is stopped and
// its last bytes taken in now.
void KavrinMainWindow::finishRecordingNow() {
    if (runState_ == RunState::Connecting) {
        recorder_->cancelWaits();
        recorder_->sendRecorderCommand(QuitCommand);
        recorder_->waitAndDeleteThread();
        backgroundTimer_->setInterval(IdleTick);
        runState_ = RunState::Idle;
        return;
    }
    stopRecording();
    if (runState_ == RunState::Stopping) {
        recorder_->waitAndDeleteThread();
        runState_ = RunState::Stopped;
    }
    if (runState_ == RunState::Stopped)
        stoppedTick();
}

void KavrinMainWindow::sendRecorderCommand(RecorderCommand command) {
    if (!recorder_->sendRecorderCommand(command))
        recordingMessage(QMessageBox::Warning, recorderText::commandNotTaken());
}

void KavrinMainWindow::showRecordingControls(bool recording) {
    stateIconLabel_->setPixmap(
        appIcon(recording ? AppIcon::RecordStart : AppIcon::RecordStop).pixmap(16, 16));
    actions_.startRecording->setEnabled(!recording);
    actions_.readRecordedData->setEnabled(!recording);
    actions_.stopRecording->setEnabled(recording);
}

QTimer* KavrinMainWindow::channelTimer() {
    if (!channelTimer_) {
        channelTimer_ = new QTimer(this);
        connect(channelTimer_, &QTimer::timeout, this, &KavrinMainWindow::ztxTimerFired);
    }
    return channelTimer_;
}

void KavrinMainWindow::connectingTick() {
    if (!recorder_->hasThread()) {
        prompts.notify(QMessageBox::Critical, recorderText::internalErrorTitle(),
                       recorderText::recorderNotStarted());
        return;
    }
    if (!recorder_->connectAttemptOver())
        return;
    if (const int32_t code = recorder_->threadError(); code != 0) {
        const QString text = recorderText::connectFailure(code);
        log_.error(text);
        recordingMessage(QMessageBox::Warning, text);
        recorder_->waitAndDeleteThread();
        backgroundTimer_->setInterval(IdleTick);
        runState_ = RunState::Idle;
        return;
    }
    channelTimer()->start(ChannelPoll);
    statsTimer_->start(RecordingStatistics);
    backgroundTimer_->setInterval(IdleTick);
    log_.message(recorderText::recordingStarted());
    runState_ = RunState::Recording;
    overflowNoticeShown_ = false;
    followedRow_ = -1;
    showRecordingControls(true);
    sendRecorderCommand(StartCommand);
    engine_.registerBuiltInContexts();
}

void KavrinMainWindow::recordingTick() {
    if (!recorder_->hasThread() || !recorder_->threadEnded())
        return;
    const QString text = recorderText::breakOff(recorder_->threadError());
    log_.error(text);
    recorder_->waitAndDeleteThread();
    backgroundTimer_->setInterval(IdleTick);
    runState_ = RunState::Idle;
    showRecordingControls(false);
    // Everything received stays: the last records are taken in and the file completed. The
    // channel timer stops, or its slices would take records of a file opened later.
    takeInLastRecords();
    recorder_->finishRecordingFile();
    recordingMessage(QMessageBox::Warning, text);
}

void KavrinMainWindow::stoppingTick() {
    if (recorder_->hasThread() && !recorder_->threadEnded())
        return;
    recorder_->waitAndDeleteThread();
    backgroundTimer_->setInterval(StoppingTick);
    runState_ = RunState::Stopped;
}

void KavrinMainWindow::stoppedTick() {
    log_.message(recorderText::recordingStopped());
    takeInLastRecords();
    recorder_->finishRecordingFile();
    backgroundTimer_->setInterval(IdleTick);
    runState_ = RunState::Idle;
}

// The final slice of a recording; the views then rest on its last event.
void KavrinMainWindow::takeInLastRecords() {
    const uint32_t before = engine_.nextIndex;
    if (channelTimer_)
        channelTimer_->stop();
    for (uint32_t taken = ~0u; taken != engine_.nextIndex;) {
        taken = engine_.nextIndex;
        ztxTimerFired();
    }
    eventModel_->rowsAppended();
    statsTimer_->start(IdleStatistics);
    if (engine_.nextIndex != before && eventModel_->rowCount() > 0)
        eventView_->setCurrentIndex(eventModel_->index(eventModel_->rowCount() - 1, 0));
    UpdateStats();
}

void KavrinMainWindow::ztxTimerFired() {
    const bool polling = channelTimer_ && channelTimer_->isActive();
    const SliceResult slice = engine_.liveSlice(
        polling ? std::chrono::milliseconds(channelTimer_->interval() - 2) : UnboundedSlice);
    recorder_->followModuleCount(engine_.tracker);
    if (slice.processed == 0)
        return;
    if (slice.dropped && !slice.budgetExpired) {
        timeView_->update();
        loadView_->update();
    }
    // A slice that dropped the window's front stopped there: the rest follows at once.
    if (slice.dropped && polling)
        QTimer::singleShot(0, this, &KavrinMainWindow::ztxTimerFired);
    showEventCount();
    // Shown after the slice, so that the engine is never re-entered from a modal dialog.
    if (runState_ == RunState::Recording && engine_.tracker.counters.overflowCount > 0)
        noticeFirstOverflow();
}

void KavrinMainWindow::noticeFirstOverflow() {
    bool& suppressed = settings_.preferences.dialogSuppressed[OverflowExplanationEntry];
    if (overflowNoticeShown_ || suppressed)
        return;
    overflowNoticeShown_ = true;
    prompts.showSuppressible({overflowExplanationTitle(), overflowExplanationText(), &suppressed});
}

// While recording, the event list follows the newest events until the user selects another
// event; selecting the last event again resumes following.
void KavrinMainWindow::followNewestEvents() {
    const int rows = eventModel_->rowCount();
    if (!settings_.events.autoScroll || rows == 0)
        return;
    const int current = eventView_->currentIndex().row();
    if (current >= 0 && current != followedRow_ && current != rows - 1)
        return;
    followedRow_ = rows - 1;
    eventView_->setCurrentIndex(eventModel_->index(followedRow_, 0));
    eventView_->scrollToBottom();
}

void KavrinMainWindow::showLiveTime() {
    const EventNode* newest = engine_.store.last();
    if (!newest)
        return;
    timeLabel_->setText(
        u' ' +
        ClockTextFromTicks(presentation_.timeBase,
                           newest->record.timestamp -
                               std::min(newest->record.timestamp, engine_.decoder.targetTimeBase()),
                           6) +
        u' ');
}

} // namespace kavrin
