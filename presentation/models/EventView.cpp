#include "presentation/models/EventView.h"

#include "presentation/models/EventModel.h"

#include <QKeyEvent>

namespace kavrin {

EventView::EventView(QWidget* parent) : QTreeView(parent) {
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setRootIsDecorated(false);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::Monospace);
    setFont(courier);
}

void EventView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    for (int column = 0; column < EventColumnCount; ++column)
        setColumnWidth(column, EventModel::ColumnWidths[size_t(column)]);
}

void EventView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Right || key == Qt::Key_Left) && stepTimeline) {
        stepTimeline(key == Qt::Key_Right ? 1 : -1);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void EventView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) {
        event->accept();
        return;
    }
    QTreeView::keyReleaseEvent(event);
}

} // namespace kavrin
