// Commands whose features are built separately: live recording, the timeline's navigation,
// the CPU load bins and the dialogs. They are connected so that menus and shortcuts exist.
#include "app/KavrinMainWindow.h"

namespace kavrin {

void KavrinMainWindow::startRecording() {
    log_.warning(QStringLiteral("Live recording is not available in this build."));
}

// Nothing records yet; a running load pass ends by itself.
void KavrinMainWindow::stopRecording() {}

void KavrinMainWindow::startSingleShot() {
    log_.warning(QStringLiteral("Reading recorded data is not available in this build."));
}

void KavrinMainWindow::ztxTimerFired() {}

void KavrinMainWindow::setReference() {}
void KavrinMainWindow::clearReferences() {}
void KavrinMainWindow::back() {}
void KavrinMainWindow::forward() {}
void KavrinMainWindow::next() {}
void KavrinMainWindow::previous() {}
void KavrinMainWindow::contextnext() {}
void KavrinMainWindow::contextprevious() {}
void KavrinMainWindow::scrollLeft() {}
void KavrinMainWindow::scrollRight() {}

void KavrinMainWindow::set1Bin() {}
void KavrinMainWindow::set10Bins() {}
void KavrinMainWindow::set50Bins() {}
void KavrinMainWindow::set100Bins() {}
void KavrinMainWindow::set200Bins() {}

void KavrinMainWindow::showAbout() {}
void KavrinMainWindow::showPreferences() {}
void KavrinMainWindow::OnGoTo() {}
void KavrinMainWindow::OnGoToEvent() {}
void KavrinMainWindow::OnGoToTimestamp() {}
void KavrinMainWindow::OnMessageIndicator() {}

} // namespace kavrin
