#include "presentation/models/EventModel.h"

#include "engine/RecordingEngine.h"

#include <QSize>

namespace kavrin {

namespace {

constexpr std::array<const char*, EventColumnCount> Headers{"# ", "Timestamp", "Context", "Event",
                                                            "Detail"};

Qt::Alignment columnAlignment(int column) {
    return (column <= 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

EventModel::EventModel(RecordingEngine& engine, const Presentation& presentation, QObject* parent)
    : QAbstractItemModel(parent), engine_(engine), presentation_(presentation),
      rows_(int(engine.store.rowCount())) {}

// Indexes carry no node: a tree view lays out every row when rows are added, and the node of
// a row is found only when its data is asked for.
QModelIndex EventModel::index(int row, int column, const QModelIndex& parent) const {
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

Qt::ItemFlags EventModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    return index.isValid() ? flags | Qt::ItemNeverHasChildren : flags;
}

QModelIndex EventModel::parent(const QModelIndex&) const {
    return {};
}

int EventModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int EventModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : EventColumnCount;
}

bool EventModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid();
}

EventNode* EventModel::nodeAt(int row) const {
    // After a drop the store's rows moved: nothing is shown until the model is reset.
    if (row < 0 || row >= rows_ || resetDue_)
        return nullptr;
    return engine_.store.nodeAt(uint32_t(row));
}

int EventModel::rowOfEvent(uint32_t eventIndex) const {
    for (int row = 0; row < rows_; ++row) {
        const EventNode* node = nodeAt(row);
        if (!node || node->record.index > eventIndex)
            break;
        if (node->record.index == eventIndex)
            return row;
    }
    return -1;
}

const std::array<QString, EventColumnCount>& EventModel::textsOf(const EventNode& node) const {
    if (cachedNode_ != &node || cachedIndex_ != node.record.index) {
        cachedTexts_ =
            EventRowTexts(node, engine_.store.firstTimestamp(), engine_.tracker, presentation_);
        cachedNode_ = &node;
        cachedIndex_ = node.record.index;
    }
    return cachedTexts_;
}

QVariant EventModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (const EventNode* node = nodeAt(index.row()))
            return textsOf(*node)[size_t(column)];
        return {};
    case Qt::DecorationRole: {
        const EventNode* node = column == 2 || column == 3 ? nodeAt(index.row()) : nullptr;
        if (!node)
            return {};
        if (column == 2)
            return contextIcons_.icon(engine_.tracker, node->record.contextBefore,
                                      node->record.contextAfter);
        return modelIcon(eventKindIcon(*node));
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(column));
    case Qt::SizeHintRole:
        return QSize(-1, RowHeight);
    default:
        return {};
    }
}

QVariant EventModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= EventColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(Headers[size_t(section)]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(section == 0 ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

void EventModel::nodesDropping() {
    cachedNode_ = nullptr;
    resetDue_ = true;
}

void EventModel::rowsAppended() {
    const int stored = int(engine_.store.rowCount());
    if (resetDue_ || stored < rows_) {
        storeReset();
        return;
    }
    if (stored == rows_)
        return;
    beginInsertRows({}, rows_, stored - 1);
    rows_ = stored;
    endInsertRows();
}

void EventModel::storeReset() {
    beginResetModel();
    cachedNode_ = nullptr;
    resetDue_ = false;
    rows_ = int(engine_.store.rowCount());
    endResetModel();
}

void EventModel::refresh() {
    cachedNode_ = nullptr;
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, EventColumnCount - 1));
}

} // namespace kavrin
