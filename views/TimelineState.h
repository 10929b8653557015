#pragma once

#include "views/TimeWindow.h"
#include "views/TimelineIndex.h"
#include "views/ViewOptions.h"

#include <QObject>

#include <cstdint>
#include <optional>

namespace kavrin {

class RecordingEngine;
struct EventNode;
struct Presentation;

// The visible window in nanoseconds.
struct ViewWindow {
    uint64_t startNs;
    uint64_t spanNs;
};

// Timestamps of the first and the last loaded event, in ticks.
struct LoadedTicks {
    uint64_t first;
    uint64_t last;
};

// What the timeline, the CPU load view and the overview strip show: the loaded events, the
// selected event (the cursor), the zoom span and scroll offset, and the index over the events.
// The views change it through the operations below and repaint on `changed`; none of them
// reaches into another.
class TimelineState : public QObject {
    Q_OBJECT
public:
    TimelineState(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
                  QObject* parent = nullptr);

    const TimeWindow& window() const { return window_; }
    const ViewOptions& options() const { return options_; }
    int selectedRow() const { return selectedRow_; }
    int64_t scrollOffset() const { return window_.scrollOffset; }
    const EventNode* selectedNode() const;
    std::optional<LoadedTicks> loadedTicks() const;
    // Last minus first loaded event.
    std::optional<uint64_t> recordingNs() const;
    // Selected event's time (the last event's without a selection).
    std::optional<uint64_t> cursorTimeNs() const;
    // The window shown, when there are events.
    std::optional<ViewWindow> viewWindow() const;
    // The index over the stored events, brought up to date (empty while a file pass runs).
    const TimelineIndex& index();

    // The timeline's contents width (its resize) and label column; the window follows.
    void setContentsWidth(int contentsWidth);
    void setNameColumnWidth(int width);

    // Span of a zoom row in microseconds, -1 for the whole recording (capped at 120 s).
    void setSpan(int64_t spanUs);
    // Selects a zoom row: options, span and `zoomRowChanged` together.
    void setZoomRow(int row);
    void zoomIn();
    void zoomOut();
    // Cursor at 10 x `position` percent (1..9); nothing when unchanged or out of range.
    void setCursorPosition(int position);

    // Moves the cursor line by `deltaNs` within the events, selecting the event under it.
    void scrollBy(int64_t deltaNs);
    void scrollLeft();  // later in time
    void scrollRight(); // earlier in time
    // Puts the cursor line on time `ns`, selecting the event that spans it.
    void showTime(uint64_t ns);
    // A drag: the cursor line at the selected event + `offset`, kept within the events.
    void dragCursorLine(int64_t offset);
    // Selects the event under the cursor line, which stays where it is (a drag's end).
    void selectAtCursorLine();
    void resetCursor();

    // Selects `row` and centres it on the cursor line, asking the event list to follow.
    void goToRow(int row);
    // The event list's current row changed to `row` (-1: none). False when it only echoes a
    // selection made here.
    bool followList(int row);

    // Loading or resetting data: forget the index and the selection.
    void reset();
    // A file pass runs: the views show no events until it ends, so that the index is built
    // once over the pass's events instead of being extended chunk by chunk by paints (and
    // never names nodes a window step drops). Both forget the index and the selection.
    void passStarted();
    void passEnded();
    // A pass will store up to `events` events: the index makes room for them meanwhile.
    void reserveAhead(uint events) { index_.reserveAhead(events); }

signals:
    // The shown window, zoom, cursor or selection changed.
    void changed();
    // The data was reset: cached pictures of the old events are stale.
    void cleared();
    // Ask the event list to make `row` current.
    void selectRow(int row);
    void paneTitlesChanged(const QString& timeline, const QString& cpuLoad);
    void zoomRowChanged(int row);
    void cursorPositionChanged(int position);
    // A Log Output event was selected from the list: the terminal selects its message.
    void logOutputSelected(const EventNode* node);

private:
    void selectInternally(int row, uint64_t cursorLineNs);
    void publishTitles();

    RecordingEngine& engine_;
    Presentation& presentation_;
    ViewOptions& options_;
    TimelineIndex index_;
    TimeWindow window_;
    int contentsWidth_ = 0;
    int selectedRow_ = -1;
    int internalRow_ = -1; // a selection made by scrolling, not to be recentred
    bool passRunning_ = false;
};

} // namespace kavrin
