#include "views/EventView.h"

#include "presentation/models/EventModel.h"

#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

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

// The widths are those of the original small Courier face; the numbers and times must not be
// cut off where the system's fixed-width face is wider.
void EventView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    const QFontMetrics metrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    const std::array<int, EventColumnCount> fitted{
        metrics.horizontalAdvance(QStringLiteral("1000000 ")) + padding,
        metrics.horizontalAdvance(QStringLiteral("00:00.000 000 000")) + padding, 0, 0, 0};
    for (int column = 0; column < EventColumnCount; ++column)
        setColumnWidth(column,
                       std::max(EventModel::ColumnWidths[size_t(column)], fitted[size_t(column)]));
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
