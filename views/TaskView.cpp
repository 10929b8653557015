#include "views/TaskView.h"

#include "engine/EventStore.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/TaskModel.h"
#include "views/EventView.h"

namespace kavrin {

TaskView::TaskView(QWidget* parent) : QTreeView(parent) {
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setRootIsDecorated(false);
}

void TaskView::setEventList(EventView* view, EventModel* model) {
    eventView_ = view;
    eventModel_ = model;
}

void TaskView::selectTask() {
    const auto* tasks = qobject_cast<const TaskModel*>(model());
    if (!tasks || !eventView_ || !eventModel_)
        return;
    const EventNode* node = eventModel_->nodeAt(eventView_->currentIndex().row());
    if (!node)
        return;
    const int row = tasks->rowOfContext(node->record.context);
    if (row >= 0)
        setCurrentIndex(tasks->index(row, 0));
}

void TaskView::OnDoubleClick(QModelIndex Index) {
    const auto* tasks = qobject_cast<const TaskModel*>(model());
    if (tasks && Index.isValid() && Index.model() == tasks)
        emit contextChosen(tasks->contextAt(Index.row()));
}

} // namespace kavrin
