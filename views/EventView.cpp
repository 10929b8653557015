#include "views/EventView.h"

#include "presentation/models/EventModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace kavrin {

EventView::EventView(QWidget* parent) : QTableView(parent) {
    setSortingEnabled(false);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::Monospace);
    setFont(courier);
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(EventModel::RowHeight);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
}

// The widths are those of the original small Courier face; the numbers and times must not be
// cut off where the system's fixed-width face is wider.
void EventView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
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
    QTableView::keyPressEvent(event);
}

void EventView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) {
        event->accept();
        return;
    }
    QTableView::keyReleaseEvent(event);
}

QModelIndex EventView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier; // a table's Home and End stay in the row
    return QTableView::moveCursor(action, modifiers);
}

} // namespace kavrin
