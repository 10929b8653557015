#pragma once

#include "views/LaneRenderer.h"
#include "views/TimeWindow.h"
#include "views/TimelineIndex.h"
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

// The visible window in nanoseconds.
struct ViewWindow {
    uint64_t startNs;
    uint64_t spanNs;
};

// The timeline: one lane per context under a time axis, anchored on the event selected in the
// event list. The main window connects `selectRow` to the event list's selection and the list's
// current-index changes to OnSelectionChange; the Go, zoom and cursor commands are methods.
class TimeView : public QFrame {
    Q_OBJECT
public:
    TimeView(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
             QWidget* parent = nullptr);

    // The scroll bar below the view; the view sets its range and value and follows it.
    void setScrollBar(QScrollBar* scrollBar);

    // Span of a zoom row in microseconds, -1 for the whole recording (capped at 120 s).
    void setSpan(int64_t spanUs);
    // Selects a zoom row: options, span and `zoomRowChanged` together.
    void setZoomRow(int row);
    void zoomIn();
    void zoomOut();
    // Cursor at 10 x `position` percent (1..9); nothing when unchanged or out of range.
    void setCursorPosition(int position);
    // The label column's width changed (the contexts list's first header section).
    void setNameColumnWidth(int width);

    void scrollBy(int64_t deltaNs);
    // Puts the cursor line on time `ns`, selecting the event that spans it.
    void showTime(uint64_t ns);
    void scrollLeft();  // later in time
    void scrollRight(); // earlier in time

    // Go commands; each selects the found row through `selectRow`.
    void next();
    void previous();
    void contextNext();
    void contextPrevious();
    void forward();
    void back();

    void setReference();
    void clearReferences();

    // Loading or resetting data: forget the index and the rendered lanes.
    void dataReset();
    // The event list's current row changed to `row` (-1: none).
    void selectionChanged(int row);

    int selectedRow() const { return selectedRow_; }
    int64_t scrollOffset() const { return window_.scrollOffset; }
    const TimeWindow& timeWindow() const { return window_; }
    const ViewOptions& options() const { return options_; }
    // Lane images rendered so far: one more each time the cached image no longer fits.
    uint64_t laneRenders() const { return laneRenders_; }
    // The window shown, when there are events.
    std::optional<ViewWindow> viewWindow();
    // Selected event's time (the last event's without a selection).
    std::optional<uint64_t> cursorTimeNs();
    // The index over the stored events, brought up to date.
    const TimelineIndex& index();
    // "Next %1" ... texts of the Go menu for the current row.
    QStringList goMenuTexts();
    // Adds the "&Zoom" submenu (zoom in, zoom out, the zoom rows) to a context menu.
    QMenu* addZoomMenu(QMenu* parent);

public slots:
    void ResetCursor();
    void OnSelectionChange(const QModelIndex& current, const QModelIndex& previous);
    void OnScrollChanged(int value);
    void OnDragTimer();

signals:
    // Ask the event list to make `row` current.
    void selectRow(int row);
    // The window, zoom or cursor changed: the CPU load view repaints.
    void windowChanged();
    void paneTitlesChanged(const QString& timeline, const QString& cpuLoad);
    void zoomRowChanged(int row);
    void cursorPositionChanged(int position);
    // The reference list changed: the event list refreshes.
    void referencesChanged();
    // A Log Output event was selected: the terminal selects its message.
    void logOutputSelected(const EventNode* node);

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

    const EventNode* selectedNode();
    bool hasSelection();
    std::optional<uint64_t> recordingNs() const;
    int laneCount() const;
    double rowHeight() const;
    int laneAt(int y) const;
    uint32_t laneContext(int lane) const;
    int lanesLeft() const;
    bool inLaneArea(QPoint pos) const;
    uint64_t timeAtX(int x);

    void goToRow(int row);
    void selectInternally(int row, uint64_t cursorLineNs);
    void windowMoved();
    void updateScrollBar();
    void publishTitles();
    void invalidateCache() { cacheKey_ = {}; }

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
    TimelineIndex index_;
    LaneRenderer renderer_;
    QImage laneCache_;
    CacheKey cacheKey_;
    int64_t cacheStartNs_ = 0;
    uint64_t laneRenders_ = 0;
    TimeWindow window_;

    QScrollBar* scrollBar_ = nullptr;
    int lastScrollValue_ = 0;
    uint64_t scrollDivisor_ = 1;

    int selectedRow_ = -1;
    int internalRow_ = -1; // a selection made by scrolling, not to be recentred

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
