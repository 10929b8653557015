// The Go commands and their menu texts, references, scrolling the timeline, and the contexts
// list's double click.
#include "app/KavrinMainWindow.h"

#include "presentation/models/EventModel.h"
#include "views/EventView.h"
#include "views/TimeNavigation.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"

#include <QStatusBar>

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
    timeline_->scrollLeft();
}
void KavrinMainWindow::scrollRight() {
    timeline_->scrollRight();
}

void KavrinMainWindow::selectNextRun(uint32_t context) {
    // Without a selection the search starts at the first row.
    const int from = std::max(eventView_->currentIndex().row(), 0);
    const int row = contextRunStart(engine_.store, from, context, true);
    if (row == NoRow) {
        statusBar()->showMessage(QStringLiteral("No later run of this context in the event list."),
                                 5000);
        return;
    }
    // The timeline follows the event list's selection.
    eventView_->setCurrentIndex(eventModel_->index(row, 0));
}

void KavrinMainWindow::OnShowMenuGo() {
    const QStringList texts = timeView_->goMenuTexts();
    const std::array<QAction*, 4> items{actions_.next, actions_.previous, actions_.nextSibling,
                                        actions_.previousSibling};
    for (size_t i = 0; i < items.size() && i < size_t(texts.size()); ++i)
        items[i]->setText(texts[qsizetype(i)]);
}

} // namespace kavrin
