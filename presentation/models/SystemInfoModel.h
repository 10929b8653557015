#pragma once

#include "presentation/SystemInfoTable.h"

#include <QAbstractItemModel>

namespace kavrin {

// The system information as a two-level tree: groups, their value rows, and one child row per
// overflow under "ZTX"/"Overflows". It presents a SystemInfoTable and follows its changes.
class SystemInfoModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit SystemInfoModel(const SystemInfoTable& table, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The index of a value row.
    QModelIndex indexOf(SystemInfoRow row, int column = 1) const;

private:
    void rowTextChanged(int row);
    void valuesChanged();
    void overflowRowsChanged();

    const SystemInfoTable& table_;
    int overflowRows_ = 0; // child rows announced to the views
};

} // namespace kavrin
