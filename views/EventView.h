#pragma once

#include <QTableView>

#include <functional>

namespace kavrin {

// The event list's view. Left and Right move the timeline instead of the columns. A table
// without grid or row header: a tree view would keep a layout item of 40 bytes for each of a
// million rows, a table keeps only its uniform row height.
class EventView : public QTableView {
    Q_OBJECT
public:
    explicit EventView(QWidget* parent = nullptr);

    // Applies the column widths once the model is set.
    void setModel(QAbstractItemModel* model) override;

    // Moves the timeline by one fiftieth of its span: +1 later, -1 earlier.
    std::function<void(int direction)> stepTimeline;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Home and End go to the first and the last row, as in a list.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

} // namespace kavrin
