#pragma once

#include "presentation/RowTexts.h"

#include <QAbstractItemModel>
#include <QFont>

#include <array>
#include <cstdint>
#include <vector>

namespace kavrin {

class RecordingEngine;
struct Presentation;

// One row of the contexts list.
struct ContextListItem {
    uint32_t id = 0;
    std::array<QString, ContextColumnCount> texts;
};

// The contexts list with its 15 columns of run-time figures, in the order of the engine's
// context list.
class TaskModel : public QAbstractItemModel {
    Q_OBJECT
public:
    TaskModel(RecordingEngine& engine, const Presentation& presentation, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rewrites the texts of every item, inserts the rows of contexts new to the list, and
    // announces changed cells once.
    void update();
    // The list was cleared or set back to its fixed entries.
    void reset();
    // The row of context `id`, or -1.
    int rowOfContext(uint32_t id) const;
    uint32_t contextAt(int row) const { return items_[size_t(row)].id; }

    // Size hints measure texts in the view's font.
    void setFont(const QFont& font) { font_ = font; }

private:
    void insertNewRows();

    RecordingEngine& engine_;
    const Presentation& presentation_;
    std::vector<ContextListItem> items_;
    QFont font_;
};

} // namespace kavrin
