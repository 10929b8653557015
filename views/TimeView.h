#pragma once

#include "views/LaneRenderer.h"
#include "views/TimelineState.h"
#include "views/ViewOptions.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QModelIndex>
#include <QPoint>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <vector>

class QMenu;
class QScrollBar;

namespace kavrin {

class RecordingEngine;
struct EventNode;
struct Presentation;

// The timeline: one lane per context under a time axis, anchored on the event selected in the
// event list. It shows and changes the shared `TimelineState`; the main window connects the
// state's `selectRow` to the event list's selection and the list's current-index changes to
// OnSelectionChange. The Go commands are methods.
class TimeView : public QFrame {
    Q_OBJECT
public:
    TimeView(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
             TimelineState& state, QWidget* parent = nullptr);

    // The scroll bar below the view; the view sets its range and value and follows it.
    void setScrollBar(QScrollBar* scrollBar);

    // Go commands; each selects the found row through the state's `selectRow`.
    void next();
    void previous();
    void contextNext();
    void contextPrevious();
    void forward();
    void back();

    void setReference();
    void clearReferences();

    // The event list's current row changed to `row` (-1: none).
    void selectionChanged(int row);

    const ViewOptions& options() const { return options_; }
    // Lane images rendered so far: one more each time the cached image no longer fits.
    uint64_t laneRenders() const { return laneRenders_; }
    // "Next %1" ... texts of the Go menu for the current row.
    QStringList goMenuTexts();
public slots:
    void OnSelectionChange(const QModelIndex& current, const QModelIndex& previous);
    void OnScrollChanged(int value);
    void OnDragTimer();

signals:
    // The reference list changed: the event list refreshes.
    void referencesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct CacheKey {
        uint64_t spanNs = 0;
        int width = 0;
        int height = 0;
        uint64_t generation = 0;
        int zoomRow = 0;
        TimelineIndicators indicators;
        std::vector<uint32_t> rows;
        bool operator==(const CacheKey&) const = default;
    };

    bool hasSelection() const { return state_.selectedNode() != nullptr; }
    int laneCount() const;
    double rowHeight() const;
    int laneAt(int y) const;
    uint32_t laneContext(int lane) const;
    int lanesLeft() const;
    bool inLaneArea(QPoint pos) const;
    uint64_t timeAtX(int x);

    void stateChanged();
    void updateScrollBar();

    // Painting.
    void paintAxis(QPainter& painter, const ViewWindow& view, uint64_t cursorLineNs);
    void paintLabels(QPainter& painter);
    void paintLanes(QPainter& painter, const ViewWindow& view);
    void paintGuidesAndCursor(QPainter& painter, const ViewWindow& view, uint64_t cursorLineNs);
    void paintOverlay(QPainter& painter, const ViewWindow& view, uint64_t cursorLineNs);
    void renderLaneCache(const ViewWindow& view, const CacheKey& key);
    LaneScene laneScene(int64_t startNs);

    // Pointer.
    void updateHover(QPoint pos, QPoint globalPos);
    void refreshHover();
    void dragTo(QPoint pos);
    void clickAt(QPoint pos);
    int arrowAt(QPoint pos) const; // -1 left arrow, 1 right arrow, 0 none
    QMenu* cursorMenu(QMenu* parent);

    RecordingEngine& engine_;
    Presentation& presentation_;
    ViewOptions& options_;
    TimelineState& state_;
    LaneRenderer renderer_;
    QImage laneCache_;
    CacheKey cacheKey_;
    int64_t cacheStartNs_ = 0;
    uint64_t laneRenders_ = 0;

    QScrollBar* scrollBar_ = nullptr;
    int lastScrollValue_ = 0;
    uint64_t scrollDivisor_ = 1;

    int hoverLane_ = -1;
    int labelLane_ = -1;
    int arrowLane_ = -1;
    int arrowSide_ = 0;
    bool pointerInLanes_ = false;
    bool pointerInAxis_ = false;
    std::optional<QPoint> pointer_; // where the pointer rests over the view

    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressPos_;
    int64_t pressOffset_ = 0;
    QElapsedTimer hoverClock_;
    QTimer dragTimer_;
    QTimer hoverRepaint_;
};

} // namespace kavrin
