// Opening recordings and moving through them.
#include "app/KavrinMainWindow.h"

#include "app/LoadReportTexts.h"
#include "files/RecordingProbe.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/MessageModel.h"
#include "presentation/models/TaskModel.h"
#include "recorder/LiveRecorder.h"
#include "views/EventView.h"
#include "views/OverviewStrip.h"
#include "views/SystemInfoDialog.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

namespace kavrin {

void KavrinMainWindow::resetAllData() {
    properties_.clear();
    setFilters({true, true, true, true, true, true});
    engine_.resetAll();
    engine_.registerBuiltInContexts();
    messageModel_->clear();
    eventModel_->storeReset();
    timeline_->reset();
    overviewTarget_.reset();
    overviewStrip_->dataReset();
    dataFile_.close();
    recorder_->reset();
    presentation_.reset();
    taskModel_->reset();
}

void KavrinMainWindow::OnLoadingStarted(uint First, uint Last, bool Appending) {
    runState_ = RunState::Loading;
    // The panes show the pass's events when it ends; painted between its chunks they only
    // cost time (the terminal's new lines, the list reset by a drop).
    if (controller_->pass() != LoadController::Pass::Analysis) {
        centralWidget()->setUpdatesEnabled(false);
        messageModel_->holdRows(true);
    }
    controller_->OnLoadingStarted(First, Last, Appending);
}

void KavrinMainWindow::OnDataLoaded(uint First, uint Last, bool Appending) {
    controller_->OnDataLoaded(First, Last, Appending);
}

void KavrinMainWindow::OnLoadingFinished(uint First, uint Last, bool Appending) {
    controller_->OnLoadingFinished(First, Last, Appending);
}

// The loader thread reads the engine and the file during a pass: opening or saving waits.
bool KavrinMainWindow::refuseWhileLoading() {
    if (!controller_->busy())
        return false;
    prompts.inform(QStringLiteral("A recording is still being loaded. Please try again when it "
                                  "has finished."));
    return true;
}

void KavrinMainWindow::load() {
    if (refuseWhileLoading())
        return;
    finishRecordingNow();
    const QString name = prompts.openFileName();
    if (!name.isEmpty()) {
        openRecording(name);
        return;
    }
    // A cancelled choice leaves the program with all data cleared.
    resetAllData();
    GetProperties();
}

void KavrinMainWindow::LoadMRUFile() {
    const auto* action = qobject_cast<const QAction*>(sender());
    const int slot = action ? action->data().toInt() : -1;
    if (slot >= 0 && slot < settings_.recentFiles.size())
        openRecording(settings_.recentFiles[slot]);
}

void KavrinMainWindow::LoadSampleFile() {
    const auto* action = qobject_cast<const QAction*>(sender());
    const int slot = action ? action->data().toInt() : -1;
    if (slot >= 0 && slot < sampleFiles_.size())
        openRecording(sampleFiles_[slot]);
}

void KavrinMainWindow::openRecording(const QString& path) {
    if (refuseWhileLoading())
        return;
    // A file without a recording must not replace the recording on show.
    if (const std::optional<StreamStopInfo> stop = noRecordingIn(path)) {
        reportNoRecording(path, *stop);
        return;
    }
    finishRecordingNow();
    resetAllData();
    AnalyzeFile(path);
}

void KavrinMainWindow::AnalyzeFile(QString Filename) {
    statsTimer_->stop();
    QString error;
    if (controller_->analyzeFile(Filename, &error)) {
        showProperties();
        return;
    }
    // The user chose this file: say why nothing is shown.
    const QString text = QStringLiteral("Cannot open %1: %2").arg(Filename, error);
    log_.error(text);
    statsTimer_->start(500);
    prompts.inform(text);
}

// The load pass has begun (the controller starts it when the analysis ends): the window's
// part of it.
void KavrinMainWindow::LoadFile(QString Filename) {
    selectZoom(DefaultZoom);
    showProperties();
    statsTimer_->stop();
    UpdateMRUFiles(Filename);
}

void KavrinMainWindow::DataProcess(uint Count) {
    engine_.dataProcess(Count);
}

void KavrinMainWindow::LoadDataAfter() {
    if (controller_->loadDataAfter())
        statsTimer_->stop();
    else
        statusBar()->showMessage(QStringLiteral("There are no later events to load."), 5000);
}

void KavrinMainWindow::LoadDataBefore() {
    if (controller_->loadDataBefore())
        statsTimer_->stop();
    else
        statusBar()->showMessage(QStringLiteral("There are no earlier events to load."), 5000);
}

void KavrinMainWindow::passFinished(LoadController::Pass pass, uint first, uint last) {
    if (pass == LoadController::Pass::Analysis) {
        if (controller_->holdsNoRecording()) {
            dropNoRecording();
            return;
        }
        reportStreamStop();
        LoadFile(dataFile_.fileName());
        return;
    }
    centralWidget()->setUpdatesEnabled(true);
    eventModel_->rowsAppended(); // the lists take the pass's rows at once
    messageModel_->holdRows(false);
    timeline_->passEnded(); // the index is built once, at the next look
    if (pass == LoadController::Pass::Move) {
        endPasses();
        showOverviewTarget();
        return;
    }
    if (pass != LoadController::Pass::Backward) {
        const bool stored = engine_.store.first() != nullptr;
        selectZoom(stored ? FullRecordingZoom : DefaultZoom);
        if (eventModel_->rowCount() > 0)
            eventView_->setCurrentIndex(eventModel_->index(0, 0));
    }
    endPasses();
    if (options_.quitAfterLoad && pass == LoadController::Pass::Load) {
        // After the paint of the loaded window, which is asked for with this priority too.
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit),
                                    Qt::LowEventPriority);
        return;
    }
    showLoadSummary(pass, first, last);
    showOverviewTarget(); // a click in the overview while the pass ran
}

// The summary and messages show the statistics as loaded; the timer was stopped for the passes.
void KavrinMainWindow::endPasses() {
    UpdateStats();
    statsTimer_->start(500);
    runState_ = RunState::Idle;
}

void KavrinMainWindow::showLoadSummary(LoadController::Pass pass, uint first, uint last) {
    // A recording that breaks off says so when the window reaches the break or opens, whatever
    // the setting.
    const StreamStopInfo& stop = controller_->streamStop();
    const bool breaksOff = stop.reason != StreamStop::None &&
                           (pass == LoadController::Pass::Load || last >= stop.eventIndex);
    const QString headline = loadSummaryHeadline(last - first, breaksOff ? stop : StreamStopInfo{},
                                                 dataFile_.readError());
    if (pass == LoadController::Pass::Backward) {
        prompts.showSummary(headline, {});
        return;
    }
    if (!breaksOff && !settings_.preferences.showSystemInfoDialog)
        return;
    const TrackerCounters& counters = engine_.tracker.counters;
    prompts.showSummary(headline,
                        counters.overflowCount == 0
                            ? QString()
                            : overflowLineText(counters.overflowCount, counters.lastDropCount));
}

void KavrinMainWindow::reportStreamStop() {
    const StreamStopInfo& stop = controller_->streamStop();
    if (stop.reason == StreamStop::None)
        return;
    log_.warning(QStringLiteral("The stream of %1 cannot be decoded from offset %2 (event %3) "
                                "on: %4. The events before it are shown.")
                     .arg(dataFile_.fileName())
                     .arg(stop.offset)
                     .arg(stop.eventIndex)
                     .arg(streamStopCause(stop.reason, dataFile_.readError())));
}

void KavrinMainWindow::reportNoRecording(const QString& path, const StreamStopInfo& stop) {
    const QString text = noRecordingText(path, stop);
    log_.warning(text);
    prompts.inform(text);
}

// The analysis found no event in a file that was not checked before (a read from the target)
// or whose first window could not tell (a long stream without a Start packet). The data were
// cleared for it already; the file is not kept for saving or moving the window, nor offered
// among the recent files.
void KavrinMainWindow::dropNoRecording() {
    const QString path = dataFile_.fileName();
    dataFile_.close();
    properties_.clear();
    showProperties();
    timeline_->passEnded();
    endPasses();
    reportNoRecording(path, controller_->streamStop());
}

// The dialog appears once a pass has run, or is estimated to run, half a second: for the passes
// of a quarter-second open it only flickered, and its showing and painting cost 11 ms of them.
void KavrinMainWindow::showProgress(const QString& label, uint minimum, uint maximum) {
    constexpr int ShowAfterMs = 500;
    closeProgress();
    progress_ = std::make_unique<QProgressDialog>(label, QString(), 0,
                                                  int(std::min<uint>(maximum, INT_MAX)));
    progress_->setMinimum(int(std::min<uint>(minimum, INT_MAX)));
    progress_->setWindowTitle(QStringLiteral("Norvan Kavrin V2.37a"));
    progress_->setMinimumDuration(ShowAfterMs);
    progress_->setValue(progress_->minimum());
    progressUpdated_.start();
}

// The bar repaints at once, not at the next turn of the event loop, whenever its value changes
// visibly: a pass's thousand chunks made hundreds of paints, 8 % of the analysis.
void KavrinMainWindow::updateProgress(uint value, uint maximum) {
    constexpr qint64 UpdateIntervalMs = 50;
    if (!progress_ || !progressUpdated_.hasExpired(UpdateIntervalMs))
        return;
    progressUpdated_.start();
    progress_->setMaximum(int(std::min<uint>(maximum, INT_MAX)));
    progress_->setValue(int(std::min<uint>(value, INT_MAX)));
}

void KavrinMainWindow::closeProgress() {
    progress_.reset();
}

} // namespace kavrin
