// Showing and hiding the panes, the status bar, the tool bar and the overview strip.
#include "app/KavrinMainWindow.h"

#include "app/PaneWidget.h"
#include "views/OverviewStrip.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>

namespace kavrin {

void KavrinMainWindow::showPane(Pane which, bool shown) {
    panes_[size_t(which)]->setVisible(shown);
    QAction* action = actions_.panes[size_t(which)];
    if (action->isChecked() != shown) {
        const QSignalBlocker blocker(action);
        action->setChecked(shown);
    }
}

void KavrinMainWindow::togglePane(Pane which) {
    showPane(which, panes_[size_t(which)]->isHidden());
}

void KavrinMainWindow::eventToggled() {
    togglePane(Pane::Events);
}
void KavrinMainWindow::systeminfoToggled() {
    togglePane(Pane::SystemInfo);
}
void KavrinMainWindow::timeToggled() {
    togglePane(Pane::Time);
}
void KavrinMainWindow::loadToggled() {
    togglePane(Pane::Load);
}
void KavrinMainWindow::taskToggled() {
    togglePane(Pane::Contexts);
}
void KavrinMainWindow::messageToggled() {
    togglePane(Pane::Messages);
}
void KavrinMainWindow::logToggled() {
    togglePane(Pane::Log);
}
// There is no separate interrupt view.
void KavrinMainWindow::isrToggled() {}

void KavrinMainWindow::statusbarToggled(bool on) {
    statusBar()->setVisible(on);
}

void KavrinMainWindow::overviewToggled(bool on) {
    overviewStrip_->setVisible(on);
}

void KavrinMainWindow::toolbarToggled(bool on) {
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("Standard")))
        bar->setVisible(on);
}

} // namespace kavrin
