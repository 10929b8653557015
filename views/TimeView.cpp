#include "views/TimeView.h"

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "presentation/RowTexts.h"
#include "views/TimeNavigation.h"
#include "views/TimelineTexts.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace kavrin {

namespace {

constexpr int MinimumHeight = 80;
constexpr int DragSelectionMs = 100;
constexpr int HoverRepaintMs = 50;

} // namespace

TimeView::TimeView(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
                   QWidget* parent)
    : QFrame(parent), engine_(engine), presentation_(presentation), options_(options) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumHeight(MinimumHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    dragTimer_.setSingleShot(true);
    dragTimer_.setInterval(DragSelectionMs);
    connect(&dragTimer_, &QTimer::timeout, this, &TimeView::OnDragTimer);
    hoverRepaint_.setSingleShot(true);
    hoverRepaint_.setInterval(HoverRepaintMs);
    connect(&hoverRepaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    hoverClock_.start();
    window_.setSpan(DefaultSpanNs);
}

void TimeView::setScrollBar(QScrollBar* scrollBar) {
    scrollBar_ = scrollBar;
    if (scrollBar_)
        connect(scrollBar_, &QScrollBar::valueChanged, this, &TimeView::OnScrollChanged);
    updateScrollBar();
}

const TimelineIndex& TimeView::index() {
    index_.sync(engine_.store, presentation_.timeBase);
    return index_;
}

void TimeView::dataReset() {
    index_.clear();
    invalidateCache();
    selectedRow_ = -1;
    internalRow_ = -1;
    window_.scrollOffset = 0;
    updateScrollBar();
    update();
    emit windowChanged();
}

const EventNode* TimeView::selectedNode() {
    if (selectedRow_ < 0 || uint32_t(selectedRow_) >= engine_.store.rowCount())
        return nullptr;
    return engine_.store.nodeAt(uint32_t(selectedRow_));
}

bool TimeView::hasSelection() {
    return selectedNode() != nullptr;
}

std::optional<uint64_t> TimeView::recordingNs() const {
    const EventStore& store = engine_.store;
    if (!store.first())
        return std::nullopt;
    const TimeBase& timeBase = presentation_.timeBase;
    return TicksToNs(timeBase, store.last()->record.timestamp) -
           TicksToNs(timeBase, store.first()->record.timestamp);
}

std::optional<uint64_t> TimeView::cursorTimeNs() {
    const EventNode* node = selectedNode();
    if (!node)
        node = engine_.store.last();
    if (!node)
        return std::nullopt;
    return TicksToNs(presentation_.timeBase, node->record.timestamp);
}

std::optional<ViewWindow> TimeView::viewWindow() {
    const std::optional<uint64_t> cursor = cursorTimeNs();
    if (!cursor)
        return std::nullopt;
    return ViewWindow{window_.viewStart(*cursor, options_.cursorPosition), window_.spanNs};
}

void TimeView::setSpan(int64_t spanUs) {
    const std::optional<uint64_t> span = spanForZoom(spanUs, recordingNs());
    if (!span)
        return;
    window_.setSpan(*span);
    invalidateCache();
    windowMoved();
    publishTitles();
}

void TimeView::publishTitles() {
    const int resolution = presentation_.display.resolution;
    emit paneTitlesChanged(TimelinePaneTitle(window_.spanNs, resolution),
                           CpuLoadPaneTitle(window_.spanNs, options_.cpuLoadBins, resolution));
}

void TimeView::setZoomRow(int row) {
    if (row < 0 || row >= ZoomLevelCount)
        return;
    options_.zoomRow = row;
    setSpan(ZoomLevels[size_t(row)].spanUs);
    emit zoomRowChanged(row);
}

void TimeView::zoomIn() {
    const std::optional<uint64_t> length = recordingNs();
    const int row = zoomInRow(options_.zoomRow, length.has_value(), length.value_or(0) / 1000);
    if (row != options_.zoomRow)
        setZoomRow(row);
}

void TimeView::zoomOut() {
    const std::optional<uint64_t> length = recordingNs();
    const int row = zoomOutRow(options_.zoomRow, length.has_value(), length.value_or(0) / 1000);
    if (row != options_.zoomRow)
        setZoomRow(row);
}

void TimeView::setCursorPosition(int position) {
    if (position < 1 || position > CursorPositionCount || position == options_.cursorPosition)
        return;
    options_.cursorPosition = position;
    update();
    emit windowChanged();
    emit cursorPositionChanged(position);
}

void TimeView::setNameColumnWidth(int width) {
    options_.nameColumnWidth = width;
    window_.setContentsWidth(contentsRect().width(), width);
    invalidateCache();
    update();
    emit windowChanged();
}

void TimeView::windowMoved() {
    updateScrollBar();
    update();
    emit windowChanged();
}

void TimeView::updateScrollBar() {
    if (!scrollBar_)
        return;
    const QSignalBlocker blocker(scrollBar_);
    const std::optional<uint64_t> cursor = cursorTimeNs();
    if (!cursor) {
        scrollBar_->setRange(0, 0);
        lastScrollValue_ = 0;
        return;
    }
    const EventStore& store = engine_.store;
    const TimeBase& timeBase = presentation_.timeBase;
    const ScrollBarState state =
        scrollBarState(TicksToNs(timeBase, store.first()->record.timestamp),
                       TicksToNs(timeBase, store.last()->record.timestamp),
                       int64_t(*cursor) + window_.scrollOffset);
    scrollDivisor_ = state.divisor;
    scrollBar_->setRange(0, state.maximum);
    scrollBar_->setPageStep(int(std::max<uint64_t>(window_.spanNs / state.divisor, 1)));
    scrollBar_->setSingleStep(int(std::max<uint64_t>(window_.spanNs / 50 / state.divisor, 1)));
    scrollBar_->setValue(state.value);
    lastScrollValue_ = state.value;
}

void TimeView::scrollBy(int64_t deltaNs) {
    const EventNode* selected = selectedNode();
    if (!selected)
        return;
    const TimelineIndex& events = index();
    const uint64_t eventNs = TicksToNs(presentation_.timeBase, selected->record.timestamp);
    const std::optional<uint64_t> target = scrollTarget(int64_t(eventNs) + window_.scrollOffset,
                                                        deltaNs, events.firstNs(), events.lastNs());
    if (!target)
        return;
    const int row = int(events.node(events.lastAtOrBefore(*target))->row);
    selectInternally(row, *target);
    windowMoved();
}

void TimeView::showTime(uint64_t ns) {
    if (!cursorTimeNs())
        return;
    const TimelineIndex& events = index();
    ns = std::clamp(ns, events.firstNs(), events.lastNs());
    selectInternally(int(events.node(events.lastAtOrBefore(ns))->row), ns);
    windowMoved();
}

void TimeView::selectInternally(int row, uint64_t cursorLineNs) {
    if (row != selectedRow_) {
        selectedRow_ = row;
        internalRow_ = row;
        emit selectRow(row);
    }
    const EventNode* node = selectedNode();
    const uint64_t eventNs = node ? TicksToNs(presentation_.timeBase, node->record.timestamp) : 0;
    window_.scrollOffset = int64_t(cursorLineNs) - int64_t(eventNs);
}

void TimeView::scrollLeft() {
    scrollBy(scrollStep(window_.spanNs));
}

void TimeView::scrollRight() {
    scrollBy(-scrollStep(window_.spanNs));
}

void TimeView::OnScrollChanged(int value) {
    const int64_t delta = int64_t(value - lastScrollValue_) * int64_t(scrollDivisor_);
    lastScrollValue_ = value;
    scrollBy(delta);
}

void TimeView::ResetCursor() {
    window_.scrollOffset = 0;
    windowMoved();
}

void TimeView::OnSelectionChange(const QModelIndex& current, const QModelIndex&) {
    selectionChanged(current.isValid() ? current.row() : -1);
}

void TimeView::selectionChanged(int row) {
    if (row == internalRow_ && row >= 0) {
        internalRow_ = -1;
        return;
    }
    internalRow_ = -1;
    selectedRow_ = row;
    window_.scrollOffset = 0;
    if (const EventNode* node = selectedNode(); node && node->record.id == LogOutputEvent)
        emit logOutputSelected(node);
    windowMoved();
    if (labelLane_ < 0 && hoverLane_ < 0)
        refreshHover();
}

void TimeView::OnDragTimer() {
    const EventNode* selected = selectedNode();
    if (!selected)
        return;
    const TimelineIndex& events = index();
    const uint64_t cursorLine =
        uint64_t(int64_t(TicksToNs(presentation_.timeBase, selected->record.timestamp)) +
                 window_.scrollOffset);
    selectInternally(int(events.node(events.lastAtOrBefore(cursorLine))->row), cursorLine);
    updateScrollBar();
}

void TimeView::goToRow(int row) {
    if (row == NoRow)
        return;
    internalRow_ = -1;
    selectedRow_ = row;
    window_.scrollOffset = 0;
    emit selectRow(row);
    windowMoved();
}

void TimeView::next() {
    if (hasSelection())
        goToRow(nextSameEvent(engine_.store, selectedRow_, false));
}

void TimeView::previous() {
    if (hasSelection())
        goToRow(previousSameEvent(engine_.store, selectedRow_, false));
}

void TimeView::contextNext() {
    if (hasSelection())
        goToRow(nextSameEvent(engine_.store, selectedRow_, true));
}

void TimeView::contextPrevious() {
    if (hasSelection())
        goToRow(previousSameEvent(engine_.store, selectedRow_, true));
}

void TimeView::forward() {
    if (hasSelection())
        goToRow(nextContextChange(engine_.store, selectedRow_));
}

void TimeView::back() {
    if (!hasSelection())
        return;
    if (arrowLane_ > 0)
        goToRow(contextRunStart(engine_.store, selectedRow_, laneContext(arrowLane_), false));
    else
        goToRow(previousContextRun(engine_.store, selectedRow_));
}

void TimeView::setReference() {
    const EventNode* node = selectedNode();
    if (!node)
        return;
    auto& references = presentation_.display.references;
    const uint64_t timestamp = node->record.timestamp;
    if (!references.erase(timestamp))
        references.insert(timestamp);
    emit referencesChanged();
}

void TimeView::clearReferences() {
    presentation_.display.references.clear();
    emit referencesChanged();
}

QStringList TimeView::goMenuTexts() {
    const EventNode* node = selectedNode();
    if (!node)
        return {QStringLiteral("Next"), QStringLiteral("Previous"), QStringLiteral("Next Sibling"),
                QStringLiteral("Previous Sibling")};
    const auto texts =
        EventRowTexts(*node, engine_.store.firstTimestamp(), engine_.tracker, presentation_);
    const QString& context = texts[2];
    const QString& event = texts[3];
    return {QStringLiteral("Next %1").arg(event), QStringLiteral("Previous %1").arg(event),
            QStringLiteral("Next %1 in %2").arg(event, context),
            QStringLiteral("Previous %1 in %2").arg(event, context)};
}

int TimeView::laneCount() const {
    return std::max<int>(int(engine_.contextList.rows().size()) + 1, 1);
}

double TimeView::rowHeight() const {
    return double(contentsRect().height() - 33) / double(laneCount());
}

uint32_t TimeView::laneContext(int lane) const {
    const auto& rows = engine_.contextList.rows();
    return lane >= 1 && size_t(lane) <= rows.size() ? rows[size_t(lane - 1)] : IdleContext;
}

int TimeView::lanesLeft() const {
    return contentsRect().left() + options_.nameColumnWidth + LaneLeftMargin;
}

int TimeView::laneAt(int y) const {
    const double height = rowHeight();
    if (height <= 0)
        return -1;
    const int lane = int((y - contentsRect().top() - 30) / height);
    return y - contentsRect().top() >= 30 && lane < laneCount() ? lane : -1;
}

bool TimeView::inLaneArea(QPoint pos) const {
    return pos.x() > contentsRect().left() + options_.nameColumnWidth &&
           pos.y() > contentsRect().top() + 30;
}

uint64_t TimeView::timeAtX(int x) {
    const std::optional<ViewWindow> view = viewWindow();
    if (!view)
        return 0;
    const double t = double(view->startNs) + double(x - lanesLeft()) * window_.nsPerPixel;
    return t <= 0 ? 0 : uint64_t(t);
}

void TimeView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // The cache key holds the sizes, so a resize to the same size keeps the lane image.
    window_.setContentsWidth(contentsRect().width(), options_.nameColumnWidth);
}

} // namespace kavrin
