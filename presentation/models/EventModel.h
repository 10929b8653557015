#pragma once

#include "presentation/RowTexts.h"
#include "presentation/models/ModelIcons.h"

#include <QAbstractItemModel>

#include <array>

namespace kavrin {

class RecordingEngine;
struct EventNode;
struct Presentation;

// The event list: one row per stored event of the shown classes. Texts are made when a view
// asks for them, and only the last row's are kept, so that a million rows cost nothing.
class EventModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr std::array<int, EventColumnCount> ColumnWidths{55, 120, 100, 165, 180};
    static constexpr int RowHeight = 16;

    EventModel(RecordingEngine& engine, const Presentation& presentation,
               QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The node shown in `row`, or null.
    EventNode* nodeAt(int row) const;
    // The row showing the event with this index, or -1 (searched from row 0).
    int rowOfEvent(uint32_t eventIndex) const;

    // Stored nodes are about to be freed: the next announcement starts over.
    void nodesDropping();
    void setContextColours(ContextColour colours) { contextIcons_.setColours(std::move(colours)); }

    // The store grew at its end: announce the new rows.
    void rowsAppended();
    // The store changed in bulk (filter, window move, events dropped): start over.
    void storeReset();
    // The texts changed (time display options): every cell is announced as changed.
    void refresh();

private:
    const std::array<QString, EventColumnCount>& textsOf(const EventNode& node) const;

    RecordingEngine& engine_;
    const Presentation& presentation_;
    int rows_ = 0; // rows announced to the views; the store may be ahead
    bool resetDue_ = false;
    // Nodes are pooled: a freed node's address comes back with another event.
    mutable const EventNode* cachedNode_ = nullptr;
    mutable uint32_t cachedIndex_ = 0;
    mutable std::array<QString, EventColumnCount> cachedTexts_;
    mutable ContextSwitchIcons contextIcons_;
};

} // namespace kavrin
