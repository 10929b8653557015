#include "presentation/models/TaskModel.h"

#include "engine/RecordingEngine.h"
#include "presentation/models/ModelIcons.h"

#include <QFontMetrics>
#include <QSize>

namespace kavrin {

namespace {

constexpr std::array<const char*, ContextColumnCount> Headers{
    "Name",
    "Type",
    "Stack Information",
    "Run Count",
    "Frequency",
    "Last Run Time",
    "Min Run Time",
    "Max Run Time",
    "Total Run Time",
    "Run Time/s",
    "",
    "Min Run Time/s",
    "",
    "Max Run Time/s",
    "",
};

bool rightAligned(int column) {
    return column >= 3 && column != 10 && column != 12 && column != 14;
}

} // namespace

TaskModel::TaskModel(RecordingEngine& engine, const Presentation& presentation, QObject* parent)
    : QAbstractItemModel(parent), engine_(engine), presentation_(presentation) {}

QModelIndex TaskModel::index(int row, int column, const QModelIndex& parent) const {
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex TaskModel::parent(const QModelIndex&) const {
    return {};
}

int TaskModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(items_.size());
}

int TaskModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ContextColumnCount;
}

bool TaskModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && !items_.empty();
}

QVariant TaskModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this)
        return {};
    const ContextListItem& item = items_[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return item.texts[size_t(column)];
    case Qt::DecorationRole:
        if (column == 1) {
            const ContextInfo* info = engine_.tracker.contexts.find(item.id);
            return modelIcon(contextKindIcon(info ? info->kind : TaskKind));
        }
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(
            (rightAligned(column) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case Qt::SizeHintRole:
        return QSize(QFontMetrics(font_).horizontalAdvance(item.texts[size_t(column)]), 16);
    default:
        return {};
    }
}

QVariant TaskModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    const bool known = section >= 0 && section < ContextColumnCount;
    if (role == Qt::DisplayRole)
        return known ? QString::fromLatin1(Headers[size_t(section)]) : QStringLiteral("##");
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment(known && rightAligned(section) ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

void TaskModel::insertNewRows() {
    const std::vector<uint32_t>& rows = engine_.contextList.rows();
    if (rows.size() < items_.size()) {
        reset();
        return;
    }
    // The list only ever grows by insertions, so walking both in step finds every new row.
    for (size_t row = 0; row < rows.size(); ++row) {
        if (row < items_.size() && items_[row].id == rows[row])
            continue;
        beginInsertRows({}, int(row), int(row));
        ContextListItem item;
        item.id = rows[row];
        item.texts = ContextRowTexts(engine_.tracker, item.id, presentation_);
        items_.insert(items_.begin() + qsizetype(row), std::move(item));
        endInsertRows();
    }
    if (items_.size() != rows.size())
        reset();
}

void TaskModel::update() {
    bool changed = false;
    for (ContextListItem& item : items_) {
        auto texts = ContextRowTexts(engine_.tracker, item.id, presentation_);
        if (texts != item.texts) {
            item.texts = std::move(texts);
            changed = true;
        }
    }
    insertNewRows();
    if (changed && !items_.empty())
        emit dataChanged(index(0, 0), index(int(items_.size()) - 1, ContextColumnCount - 1));
}

void TaskModel::reset() {
    beginResetModel();
    items_.clear();
    for (uint32_t id : engine_.contextList.rows()) {
        ContextListItem item;
        item.id = id;
        item.texts = ContextRowTexts(engine_.tracker, id, presentation_);
        items_.push_back(std::move(item));
    }
    endResetModel();
}

int TaskModel::rowOfContext(uint32_t id) const {
    for (size_t row = 0; row < items_.size(); ++row)
        if (items_[row].id == id)
            return int(row);
    return -1;
}

} // namespace kavrin
