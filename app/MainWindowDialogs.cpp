// The commands that open dialogs, and the manual.
#include "app/KavrinMainWindow.h"

#include "app/AnnoyingDialog.h"
#include "app/GoToSelection.h"
#include "presentation/InstalledPlaces.h"
#include "presentation/models/EventModel.h"
#include "views/EventView.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kavrin {

namespace {
const QString ManualName = QStringLiteral("Manual_Kavrin.pdf");
}

void KavrinMainWindow::showAbout() {
    prompts.about();
}

void KavrinMainWindow::showPreferences() {
    Preferences edited = settings_.preferences;
    if (!prompts.editPreferences(edited))
        return;
    settings_.preferences = edited;
    applyPreferences();
}

void KavrinMainWindow::OnMessageIndicator() {
    TimelinePreferences& timeline = settings_.preferences.timeline;
    TimelineIndicators edited = timeline;
    if (!prompts.editMessageIndicators(edited))
        return;
    timeline.indicatorLevel = edited.indicatorLevel;
    timeline.indicatorZoom = edited.indicatorZoom;
    applyPreferences();
}

void KavrinMainWindow::OnGoTo() {
    goTo(lastGoToType_);
}

void KavrinMainWindow::OnGoToEvent() {
    goTo(GoToType::Event);
}

void KavrinMainWindow::OnGoToTimestamp() {
    goTo(presentation_.display.systemTime ? GoToType::TargetTimestamp
                                          : GoToType::RecordingTimestamp);
}

GoToRange KavrinMainWindow::goToRange() {
    GoToRange range;
    const EventNode* first = engine_.store.first();
    const EventNode* last = engine_.store.last();
    if (!first || !last)
        return range;
    range.hasEvents = true;
    range.firstIndex = first->record.index;
    range.lastIndex = last->record.index;
    range.firstTicks = first->record.timestamp;
    range.lastTicks = last->record.timestamp;
    const EventNode* selected = eventModel_->nodeAt(eventView_->currentIndex().row());
    if (!selected)
        selected = first;
    range.selectedIndex = selected->record.index;
    range.selectedTicks = selected->record.timestamp;
    return range;
}

void KavrinMainWindow::goTo(GoToType type) {
    lastGoToType_ = type;
    const std::optional<GoToTarget> target = prompts.goTo(type, goToRange());
    if (!target)
        return;
    lastGoToType_ = target->type;
    const int row = target->type == GoToType::Event
                        ? rowOfEventAtOrAfter(*eventModel_, uint32_t(target->value))
                        : rowNearestTimestamp(*eventModel_, target->value);
    if (row < 0) {
        prompts.inform(QStringLiteral("The event list shows no events. Reset the event filters "
                                      "(View > Event Filter) to see them."));
        return;
    }
    // The timeline follows the event list's selection.
    eventView_->setCurrentIndex(eventModel_->index(row, 0));
}

// Asked for by the user, so shown even when switched off; its check box shows the setting.
void KavrinMainWindow::showOverflowExplanation() {
    prompts.showSuppressible({overflowExplanationTitle(), overflowExplanationText(),
                              &settings_.preferences.dialogSuppressed[OverflowExplanationEntry]});
}

// Beside the program, else where an installation puts it.
QString KavrinMainWindow::manualPath() const {
    for (const QString& folder :
         {options_.applicationDir, installedDataDir(options_.applicationDir)}) {
        const QFileInfo manual(folder + QStringLiteral("/Doc/") + ManualName);
        if (manual.exists())
            return QDir::cleanPath(manual.absoluteFilePath());
    }
    return {};
}

void KavrinMainWindow::openManual() {
    const QString path = manualPath();
    QString problem;
    if (path.isEmpty())
        problem = QStringLiteral("The manual %1 is missing from %2.")
                      .arg(ManualName, QDir::cleanPath(options_.applicationDir + "/Doc"));
    else if (!prompts.openUrl(QUrl::fromLocalFile(path)))
        problem = QStringLiteral("No viewer for PDF documents is available to open the manual "
                                 "%1. Open it with a PDF viewer of your choice.")
                      .arg(path);
    if (problem.isEmpty()) {
        log_.message(QStringLiteral("Opened the manual %1.").arg(path));
        return;
    }
    log_.error(problem);
    prompts.inform(problem);
}

} // namespace kavrin
