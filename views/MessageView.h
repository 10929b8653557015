#pragma once

#include <QModelIndex>
#include <QTreeView>

namespace kavrin {

class EventView;
class EventModel;

// The terminal's view; choosing a message makes its event current in the event list.
class MessageView : public QTreeView {
    Q_OBJECT
public:
    explicit MessageView(QWidget* parent = nullptr);

    void setEventList(EventView* view, EventModel* model);

public slots:
    void OnDoubleClick(QModelIndex Index);
    void OnSelectionChange(QModelIndex Current, QModelIndex Previous);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showInEventList(const QModelIndex& index);

    EventView* eventView_ = nullptr;
    EventModel* eventModel_ = nullptr;
};

} // namespace kavrin
