// The statistics refresh, the background tick and its first-run cases.
#include "app/KavrinMainWindow.h"

#include "presentation/TimeText.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/TaskModel.h"
#include "recorder/LiveRecorder.h"
#include "views/LoadView.h"
#include "views/OverviewStrip.h"
#include "views/TimeView.h"

#include <QLabel>
#include <QTimer>

namespace kavrin {

void KavrinMainWindow::UpdateStats() {
    const size_t listedBefore = engine_.contextList.rows().size();
    refreshStatistics(engine_, presentation_, traceSize());
    taskModel_->update();
    // The timeline's lanes and the CPU load's columns follow the contexts list.
    if (engine_.contextList.rows().size() != listedBefore) {
        timeView_->update();
        loadView_->update();
    }
    showEventCount();
    // The recording's duration, as the system information shows it.
    const QString& duration = presentation_.systemInfo.rowText(SystemInfoRow::Duration);
    timeLabel_->setText(duration.isEmpty() ? QStringLiteral(" 00:00:00.000.000 ") : duration);
}

void KavrinMainWindow::showEventCount() {
    if (dataFile_.isLoaded() && engine_.store.first()) {
        eventCountLabel_->setText(QStringLiteral(" %1 Events (%2 - %3) ")
                                      .arg(GroupedNumber(engine_.nextIndex - engine_.firstIndex),
                                           GroupedNumber(engine_.firstIndex + 1),
                                           GroupedNumber(engine_.nextIndex)));
        return;
    }
    eventCountLabel_->setText(
        QStringLiteral(" %1 Events ").arg(GroupedNumber(engine_.largestProcessedCount)));
}

void KavrinMainWindow::ResetStats() {
    engine_.statistics.resetStats(engine_.tracker);
    engine_.contextList.rebuild(engine_.tracker);
    taskModel_->update();
}

// The pane titles follow the timeline's window; it publishes them when its span changes.
void KavrinMainWindow::statsTimerFired() {
    UpdateStats();
    if (runState_ == RunState::Recording) {
        eventModel_->rowsAppended();
        followNewestEvents();
        showLiveTime();
        overviewStrip_->update();
    }
}

void KavrinMainWindow::OnSysDescTimer() {
    recorder_->tickSeconds();
}

void KavrinMainWindow::OnBGTimer() {
    switch (runState_) {
    case RunState::Started:
        firstTick();
        break;
    case RunState::Connecting:
        connectingTick();
        break;
    case RunState::Recording:
        recordingTick();
        break;
    case RunState::Stopping:
        stoppingTick();
        break;
    case RunState::Stopped:
        stoppedTick();
        break;
    default:
        break;
    }
}

// Start-up: the command-line file, the sample offered on a version's first run, or the
// newest recent file.
void KavrinMainWindow::firstTick() {
    runState_ = RunState::Idle;
    const QStringList& recent = settings_.recentFiles;
    if (!options_.startupFile.isEmpty()) {
        openRecording(options_.startupFile);
    } else if (firstStart_ && !recent.isEmpty()) {
        if (prompts.askYesNo(QStringLiteral("This is the first time you are running this version "
                                            "of Kavrin.\n\nWould you like to load a sample "
                                            "recording?")))
            openRecording(recent.first());
    } else if (settings_.preferences.loadDataOnStart && !recent.isEmpty()) {
        openRecording(recent.first());
    }
}

uint64_t KavrinMainWindow::traceSize() const {
    return dataFile_.isLoaded() ? dataFile_.fileSize() - dataFile_.headerLength()
                                : recorder_->bytesReceived();
}

} // namespace kavrin
