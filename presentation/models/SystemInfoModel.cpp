#include "presentation/models/SystemInfoModel.h"

#include "presentation/models/ModelIcons.h"

#include <QSize>

#include <tuple>
#include <type_traits>

namespace kavrin {

namespace {

// internalId of an index: which item is its parent.
constexpr quintptr GroupParent = 0xFFFF;    // a group row, child of the root
constexpr quintptr OverflowParent = 0xFFFE; // an overflow row, child of "ZTX"/"Overflows"
// Value rows carry their group's number.

constexpr int GroupCount = int(std::tuple_size_v<std::decay_t<decltype(systemInfoGroups())>>);

const SystemInfoGroup& group(int number) {
    return systemInfoGroups()[size_t(number)];
}

int groupOf(SystemInfoRow row) {
    for (int number = 0; number < GroupCount; ++number)
        if (row >= group(number).first && row <= group(number).last)
            return number;
    return 0;
}

int rowsIn(int number) {
    return int(group(number).last) - int(group(number).first) + 1;
}

} // namespace

SystemInfoModel::SystemInfoModel(const SystemInfoTable& table, QObject* parent)
    : QAbstractItemModel(parent), table_(table), overflowRows_(int(table.overflowRows().size())) {
    connect(&table, &SystemInfoTable::rowTextChanged, this, &SystemInfoModel::rowTextChanged);
    connect(&table, &SystemInfoTable::valuesChanged, this, &SystemInfoModel::valuesChanged);
    connect(&table, &SystemInfoTable::overflowRowsChanged, this,
            &SystemInfoModel::overflowRowsChanged);
}

QModelIndex SystemInfoModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, GroupParent);
    if (parent.internalId() == GroupParent)
        return createIndex(row, column, quintptr(parent.row()));
    return createIndex(row, column, OverflowParent);
}

QModelIndex SystemInfoModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == GroupParent)
        return {};
    if (child.internalId() == OverflowParent)
        return indexOf(SystemInfoRow::Overflows, 0);
    return createIndex(int(child.internalId()), 0, GroupParent);
}

QModelIndex SystemInfoModel::indexOf(SystemInfoRow row, int column) const {
    const int number = groupOf(row);
    return createIndex(int(row) - int(group(number).first), column, quintptr(number));
}

int SystemInfoModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return GroupCount;
    if (parent.column() != 0)
        return 0;
    if (parent.internalId() == GroupParent)
        return rowsIn(parent.row());
    if (parent.internalId() == OverflowParent)
        return 0;
    const auto row = SystemInfoRow(int(group(int(parent.internalId())).first) + parent.row());
    return row == SystemInfoRow::Overflows ? overflowRows_ : 0;
}

int SystemInfoModel::columnCount(const QModelIndex&) const {
    return 2;
}

bool SystemInfoModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant SystemInfoModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this)
        return {};
    const int column = index.column();
    const quintptr parentId = index.internalId();
    if (role == Qt::SizeHintRole)
        return QSize(column == 0 ? 150 : 125, 16);
    if (role == Qt::DecorationRole && column == 0)
        return modelIcon(parentId == GroupParent ? IconId::InfoGroup : IconId::InfoRow);
    if (role != Qt::DisplayRole)
        return {};
    if (parentId == GroupParent)
        return column == 0 ? QString::fromLatin1(group(index.row()).title) : QString();
    if (parentId == OverflowParent) {
        const auto& rows = table_.overflowRows();
        if (index.row() >= int(rows.size()))
            return {};
        const OverflowRow& overflow = rows[size_t(index.row())];
        return column == 0 ? overflow.name : overflow.text;
    }
    const auto row = SystemInfoRow(int(group(int(parentId)).first) + index.row());
    return column == 0 ? systemInfoRowName(row) : table_.rowText(row);
}

QVariant SystemInfoModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == 0)
        return QStringLiteral("Property");
    if (section == 1)
        return QStringLiteral("Detail");
    return {};
}

void SystemInfoModel::rowTextChanged(int row) {
    const QModelIndex cell = indexOf(SystemInfoRow(row));
    emit dataChanged(cell, cell);
}

void SystemInfoModel::valuesChanged() {
    for (int number = 0; number < GroupCount; ++number) {
        const QModelIndex parentIndex = index(number, 0);
        emit dataChanged(index(0, 1, parentIndex), index(rowsIn(number) - 1, 1, parentIndex));
    }
}

void SystemInfoModel::overflowRowsChanged() {
    const QModelIndex overflows = indexOf(SystemInfoRow::Overflows, 0);
    const int rows = int(table_.overflowRows().size());
    // Rows are only ever added at the end or all cleared.
    if (rows < overflowRows_) {
        beginRemoveRows(overflows, 0, overflowRows_ - 1);
        overflowRows_ = 0;
        endRemoveRows();
    }
    if (rows > overflowRows_) {
        beginInsertRows(overflows, overflowRows_, rows - 1);
        overflowRows_ = rows;
        endInsertRows();
    }
}

} // namespace kavrin
