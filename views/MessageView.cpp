#include "views/MessageView.h"

#include "presentation/models/EventModel.h"
#include "presentation/models/MessageModel.h"
#include "views/EventView.h"

namespace kavrin {

MessageView::MessageView(QWidget* parent) : QTreeView(parent) {
    setMinimumHeight(100);
    setAllColumnsShowFocus(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::Monospace);
    courier.setWeight(QFont::Normal);
    setFont(courier);
    connect(this, &QTreeView::activated, this, &MessageView::OnDoubleClick);
}

void MessageView::setEventList(EventView* view, EventModel* model) {
    eventView_ = view;
    eventModel_ = model;
}

void MessageView::OnDoubleClick(QModelIndex Index) {
    showInEventList(Index);
}

void MessageView::OnSelectionChange(QModelIndex Current, QModelIndex Previous) {
    Q_UNUSED(Previous);
    showInEventList(Current);
}

void MessageView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    OnSelectionChange(current, previous);
}

// Nothing happens when the message's event is outside the stored window or filtered out.
void MessageView::showInEventList(const QModelIndex& index) {
    const auto* messages = qobject_cast<const MessageModel*>(model());
    const MessageItem* message = messages ? messages->item(index) : nullptr;
    if (!message || !eventView_ || !eventModel_)
        return;
    const int row = eventModel_->rowOfEvent(message->eventIndex);
    if (row < 0)
        return;
    const QModelIndex eventIndex = eventModel_->index(row, 0);
    if (eventView_->currentIndex() != eventIndex)
        eventView_->setCurrentIndex(eventIndex);
}

} // namespace kavrin
