#pragma once

#include <QModelIndex>
#include <QTreeView>

#include <cstdint>

namespace kavrin {

class EventModel;
class EventView;
class TaskModel;

// The contexts list's view; follows the context of the event list's current event.
class TaskView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskView(QWidget* parent = nullptr);

    void setEventList(EventView* view, EventModel* model);

signals:
    // A context row was double-clicked (the timeline shows that context).
    void contextChosen(uint32_t id);

public slots:
    // Selects the row of the context that runs the event list's current event.
    void selectTask();
    void OnDoubleClick(QModelIndex Index);

private:
    EventView* eventView_ = nullptr;
    EventModel* eventModel_ = nullptr;
};

} // namespace kavrin
