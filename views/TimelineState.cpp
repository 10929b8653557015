#include "views/TimelineState.h"

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "views/TimelineTexts.h"

#include <algorithm>

namespace kavrin {

TimelineState::TimelineState(RecordingEngine& engine, Presentation& presentation,
                             ViewOptions& options, QObject* parent)
    : QObject(parent), engine_(engine), presentation_(presentation), options_(options) {
    window_.setSpan(DefaultSpanNs);
}

const TimelineIndex& TimelineState::index() {
    if (!passRunning_)
        index_.sync(engine_.store, presentation_.timeBase);
    return index_;
}

void TimelineState::reset() {
    index_.clear();
    selectedRow_ = -1;
    internalRow_ = -1;
    window_.scrollOffset = 0;
    emit cleared();
    emit changed();
}

void TimelineState::passStarted() {
    passRunning_ = true;
    reset();
}

void TimelineState::passEnded() {
    passRunning_ = false;
    reset();
}

const EventNode* TimelineState::selectedNode() const {
    if (passRunning_ || selectedRow_ < 0 || uint32_t(selectedRow_) >= engine_.store.rowCount())
        return nullptr;
    return engine_.store.nodeAt(uint32_t(selectedRow_));
}

std::optional<LoadedTicks> TimelineState::loadedTicks() const {
    const EventStore& store = engine_.store;
    if (passRunning_ || !store.first() || !store.last())
        return std::nullopt;
    return LoadedTicks{store.first()->record.timestamp, store.last()->record.timestamp};
}

std::optional<uint64_t> TimelineState::recordingNs() const {
    const std::optional<LoadedTicks> loaded = loadedTicks();
    if (!loaded)
        return std::nullopt;
    const TimeBase& timeBase = presentation_.timeBase;
    return TicksToNs(timeBase, loaded->last) - TicksToNs(timeBase, loaded->first);
}

std::optional<uint64_t> TimelineState::cursorTimeNs() const {
    if (passRunning_)
        return std::nullopt;
    const EventNode* node = selectedNode();
    if (!node)
        node = engine_.store.last();
    if (!node)
        return std::nullopt;
    return TicksToNs(presentation_.timeBase, node->record.timestamp);
}

std::optional<ViewWindow> TimelineState::viewWindow() const {
    const std::optional<uint64_t> cursor = cursorTimeNs();
    if (!cursor)
        return std::nullopt;
    return ViewWindow{window_.viewStart(*cursor, options_.cursorPosition), window_.spanNs};
}

void TimelineState::setContentsWidth(int contentsWidth) {
    contentsWidth_ = contentsWidth;
    window_.setContentsWidth(contentsWidth, options_.nameColumnWidth);
}

void TimelineState::setNameColumnWidth(int width) {
    options_.nameColumnWidth = width;
    window_.setContentsWidth(contentsWidth_, width);
    emit changed();
}

void TimelineState::setSpan(int64_t spanUs) {
    const std::optional<uint64_t> span = spanForZoom(spanUs, recordingNs());
    if (!span)
        return;
    window_.setSpan(*span);
    emit changed();
    publishTitles();
}

void TimelineState::publishTitles() {
    const int resolution = presentation_.display.resolution;
    emit paneTitlesChanged(TimelinePaneTitle(window_.spanNs, resolution),
                           CpuLoadPaneTitle(window_.spanNs, options_.cpuLoadBins, resolution));
}

void TimelineState::setZoomRow(int row) {
    if (row < 0 || row >= ZoomLevelCount)
        return;
    options_.zoomRow = row;
    setSpan(ZoomLevels[size_t(row)].spanUs);
    emit zoomRowChanged(row);
}

void TimelineState::zoomIn() {
    const std::optional<uint64_t> length = recordingNs();
    const int row = zoomInRow(options_.zoomRow, length.has_value(), length.value_or(0) / 1000);
    if (row != options_.zoomRow)
        setZoomRow(row);
}

void TimelineState::zoomOut() {
    const std::optional<uint64_t> length = recordingNs();
    const int row = zoomOutRow(options_.zoomRow, length.has_value(), length.value_or(0) / 1000);
    if (row != options_.zoomRow)
        setZoomRow(row);
}

void TimelineState::setCursorPosition(int position) {
    if (position < 1 || position > CursorPositionCount || position == options_.cursorPosition)
        return;
    options_.cursorPosition = position;
    emit changed();
    emit cursorPositionChanged(position);
}

void TimelineState::scrollBy(int64_t deltaNs) {
    const EventNode* selected = selectedNode();
    if (!selected)
        return;
    const TimelineIndex& events = index();
    const uint64_t eventNs = TicksToNs(presentation_.timeBase, selected->record.timestamp);
    const std::optional<uint64_t> target = scrollTarget(int64_t(eventNs) + window_.scrollOffset,
                                                        deltaNs, events.firstNs(), events.lastNs());
    if (!target)
        return;
    selectInternally(int(events.node(events.lastAtOrBefore(*target))->row), *target);
    emit changed();
}

void TimelineState::scrollLeft() {
    scrollBy(scrollStep(window_.spanNs));
}

void TimelineState::scrollRight() {
    scrollBy(-scrollStep(window_.spanNs));
}

void TimelineState::showTime(uint64_t ns) {
    if (!cursorTimeNs())
        return;
    const TimelineIndex& events = index();
    ns = std::clamp(ns, events.firstNs(), events.lastNs());
    selectInternally(int(events.node(events.lastAtOrBefore(ns))->row), ns);
    emit changed();
}

void TimelineState::dragCursorLine(int64_t offset) {
    const std::optional<uint64_t> cursor = cursorTimeNs();
    if (!cursor || !selectedNode())
        return;
    const TimelineIndex& events = index();
    const int64_t line =
        std::clamp(int64_t(*cursor) + offset, int64_t(events.firstNs()), int64_t(events.lastNs()));
    window_.scrollOffset = line - int64_t(*cursor);
    emit changed();
}

void TimelineState::selectAtCursorLine() {
    const EventNode* selected = selectedNode();
    if (!selected)
        return;
    const TimelineIndex& events = index();
    const uint64_t cursorLine =
        uint64_t(int64_t(TicksToNs(presentation_.timeBase, selected->record.timestamp)) +
                 window_.scrollOffset);
    selectInternally(int(events.node(events.lastAtOrBefore(cursorLine))->row), cursorLine);
    emit changed();
}

// The event list echoes `row` back through followList, which must not recentre it.
void TimelineState::selectInternally(int row, uint64_t cursorLineNs) {
    if (row != selectedRow_) {
        selectedRow_ = row;
        internalRow_ = row;
        emit selectRow(row);
    }
    const EventNode* node = selectedNode();
    const uint64_t eventNs = node ? TicksToNs(presentation_.timeBase, node->record.timestamp) : 0;
    window_.scrollOffset = int64_t(cursorLineNs) - int64_t(eventNs);
}

void TimelineState::resetCursor() {
    window_.scrollOffset = 0;
    emit changed();
}

void TimelineState::goToRow(int row) {
    if (row < 0)
        return;
    internalRow_ = -1;
    selectedRow_ = row;
    window_.scrollOffset = 0;
    emit selectRow(row);
    emit changed();
}

bool TimelineState::followList(int row) {
    if (row == internalRow_ && row >= 0) {
        internalRow_ = -1;
        return false;
    }
    internalRow_ = -1;
    selectedRow_ = row;
    window_.scrollOffset = 0;
    if (const EventNode* node = selectedNode(); node && node->record.id == LogOutputEvent)
        emit logOutputSelected(node);
    emit changed();
    return true;
}

} // namespace kavrin
