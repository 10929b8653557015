// Moving through the whole recording from the overview strip.
#include "app/KavrinMainWindow.h"

#include "views/TimelineState.h"

#include <QStatusBar>

namespace kavrin {

void KavrinMainWindow::moveToOverview(quint64 ticks, uint eventIndex) {
    if (runState_ == RunState::Recording || runState_ == RunState::Stopping) {
        statusBar()->showMessage(
            QStringLiteral("While recording, the timeline follows the newest events."), 5000);
        return;
    }
    if (eventIndex == NoOverviewEvent || !engine_.store.first()) {
        statusBar()->showMessage(QStringLiteral("There is no recording to move through."), 5000);
        return;
    }
    overviewTarget_ = OverviewTarget{ticks, eventIndex};
    if (!controller_->busy()) // else the pass that runs shows it when it ends
        showOverviewTarget();
}

// Centres the timeline on the target once the window holds it, moving the window first.
void KavrinMainWindow::showOverviewTarget() {
    if (!overviewTarget_ || controller_->busy())
        return;
    const OverviewTarget target = *overviewTarget_;
    if (controller_->moveWindowTo(target.eventIndex)) {
        statusBar()->showMessage(QStringLiteral("Moving the window to event %1...")
                                     .arg(QString::number(target.eventIndex + 1)));
        return;
    }
    overviewTarget_.reset();
    statusBar()->clearMessage();
    const bool stored =
        target.eventIndex >= engine_.firstIndex && target.eventIndex < engine_.nextIndex;
    if (!stored)
        statusBar()->showMessage(QStringLiteral("The events there are no longer in memory: "
                                                "save the recording and open it to see them."),
                                 5000);
    else
        timeline_->showTime(TicksToNs(presentation_.timeBase, target.ticks));
}

} // namespace kavrin
