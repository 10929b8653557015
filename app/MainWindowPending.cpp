// Commands whose features are built separately: the dialogs. They are connected so that menus
// and shortcuts exist. The timeline's commands are passed on.
#include "app/KavrinMainWindow.h"

#include "views/LoadView.h"
#include "views/TimeView.h"

namespace kavrin {

void KavrinMainWindow::setReference() {
    timeView_->setReference();
}
void KavrinMainWindow::clearReferences() {
    timeView_->clearReferences();
}
void KavrinMainWindow::back() {
    timeView_->back();
}
void KavrinMainWindow::forward() {
    timeView_->forward();
}
void KavrinMainWindow::next() {
    timeView_->next();
}
void KavrinMainWindow::previous() {
    timeView_->previous();
}
void KavrinMainWindow::contextnext() {
    timeView_->contextNext();
}
void KavrinMainWindow::contextprevious() {
    timeView_->contextPrevious();
}
void KavrinMainWindow::scrollLeft() {
    timeView_->scrollLeft();
}
void KavrinMainWindow::scrollRight() {
    timeView_->scrollRight();
}

void KavrinMainWindow::set1Bin() {
    loadView_->setBinCount(1);
}
void KavrinMainWindow::set10Bins() {
    loadView_->setBinCount(10);
}
void KavrinMainWindow::set50Bins() {
    loadView_->setBinCount(50);
}
void KavrinMainWindow::set100Bins() {
    loadView_->setBinCount(100);
}
void KavrinMainWindow::set200Bins() {
    loadView_->setBinCount(200);
}

void KavrinMainWindow::showAbout() {}
void KavrinMainWindow::showPreferences() {}
void KavrinMainWindow::OnGoTo() {}
void KavrinMainWindow::OnGoToEvent() {}
void KavrinMainWindow::OnGoToTimestamp() {}
void KavrinMainWindow::OnMessageIndicator() {}

} // namespace kavrin
