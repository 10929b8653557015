#pragma once

#include "presentation/models/ModelIcons.h"

#include <QAbstractItemModel>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kavrin {

class ContextTracker;
struct EventNode;
struct Presentation;

// One terminal line. It keeps the event's index, not its node: the node is freed when the
// window of stored events moves on, while the message stays listed.
struct MessageItem {
    std::array<QString, 3> texts; // time, context, message
    uint32_t eventIndex = 0;
    uint32_t level = 0;
    uint32_t contextBefore = 0;
    uint32_t contextAfter = 0;
};

// The terminal: the target's log messages in arrival order.
class MessageModel : public QAbstractItemModel {
    Q_OBJECT
public:
    MessageModel(const ContextTracker& tracker, const Presentation& presentation,
                 QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Adds the message of a stored Log Output event. A window that comes back over events
    // already listed adds nothing.
    void addMessage(const EventNode& node);
    // While rows are held (a file pass), added messages are listed when the hold ends, in one
    // insertion: the view handled each insertion, about 4 ms for the 9,000 messages of a load
    // pass.
    void holdRows(bool hold);
    void clear();
    void setContextColours(ContextColour colours) { contextIcons_.setColours(std::move(colours)); }

    const MessageItem* item(const QModelIndex& index) const;
    // The first message of the event with this index, or an invalid index.
    QModelIndex rowOfEvent(uint32_t eventIndex) const;

private:
    // Tells the views of the messages added since they last learnt of any.
    void listNewRows();

    const ContextTracker& tracker_;
    const Presentation& presentation_;
    std::vector<MessageItem> items_;
    int listed_ = 0; // the first rows of items_, those the views know of
    bool held_ = false;
    mutable ContextSwitchIcons contextIcons_;
};

// The message text of a Log Output record without its line breaks.
QString messageText(const EventNode& node);

} // namespace kavrin
