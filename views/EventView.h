#pragma once

#include <QTreeView>

#include <functional>

namespace kavrin {

// The event list's view. Left and Right move the timeline instead of the columns.
class EventView : public QTreeView {
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
};

} // namespace kavrin
