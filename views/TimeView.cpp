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
                   TimelineState& state, QWidget* parent)
    : QFrame(parent), engine_(engine), presentation_(presentation), options_(options),
      state_(state) {
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
    connect(&state_, &TimelineState::changed, this, &TimeView::stateChanged);
    connect(&state_, &TimelineState::cleared, this, [this] { cacheKey_ = {}; });
}

void TimeView::setScrollBar(QScrollBar* scrollBar) {
    scrollBar_ = scrollBar;
    if (scrollBar_)
        connect(scrollBar_, &QScrollBar::valueChanged, this, &TimeView::OnScrollChanged);
    updateScrollBar();
}

void TimeView::stateChanged() {
    updateScrollBar();
    update();
}

void TimeView::updateScrollBar() {
    if (!scrollBar_)
        return;
    const QSignalBlocker blocker(scrollBar_);
    const std::optional<uint64_t> cursor = state_.cursorTimeNs();
    if (!cursor) {
        scrollBar_->setRange(0, 0);
        lastScrollValue_ = 0;
        return;
    }
    const LoadedTicks loaded = *state_.loadedTicks();
    const TimeBase& timeBase = presentation_.timeBase;
    const TimeWindow& window = state_.window();
    const ScrollBarState bar =
        scrollBarState(TicksToNs(timeBase, loaded.first), TicksToNs(timeBase, loaded.last),
                       int64_t(*cursor) + window.scrollOffset);
    scrollDivisor_ = bar.divisor;
    scrollBar_->setRange(0, bar.maximum);
    scrollBar_->setPageStep(int(std::max<uint64_t>(window.spanNs / bar.divisor, 1)));
    scrollBar_->setSingleStep(int(std::max<uint64_t>(window.spanNs / 50 / bar.divisor, 1)));
    scrollBar_->setValue(bar.value);
    lastScrollValue_ = bar.value;
}

void TimeView::OnScrollChanged(int value) {
    const int64_t delta = int64_t(value - lastScrollValue_) * int64_t(scrollDivisor_);
    lastScrollValue_ = value;
    state_.scrollBy(delta);
}

void TimeView::OnSelectionChange(const QModelIndex& current, const QModelIndex&) {
    selectionChanged(current.isValid() ? current.row() : -1);
}

void TimeView::selectionChanged(int row) {
    if (state_.followList(row) && labelLane_ < 0 && hoverLane_ < 0)
        refreshHover();
}

void TimeView::OnDragTimer() {
    state_.selectAtCursorLine();
}

void TimeView::next() {
    if (hasSelection())
        state_.goToRow(nextSameEvent(engine_.store, state_.selectedRow(), false));
}

void TimeView::previous() {
    if (hasSelection())
        state_.goToRow(previousSameEvent(engine_.store, state_.selectedRow(), false));
}

void TimeView::contextNext() {
    if (hasSelection())
        state_.goToRow(nextSameEvent(engine_.store, state_.selectedRow(), true));
}

void TimeView::contextPrevious() {
    if (hasSelection())
        state_.goToRow(previousSameEvent(engine_.store, state_.selectedRow(), true));
}

void TimeView::forward() {
    if (hasSelection())
        state_.goToRow(nextContextChange(engine_.store, state_.selectedRow()));
}

void TimeView::back() {
    if (!hasSelection())
        return;
    if (arrowLane_ > 0)
        state_.goToRow(
            contextRunStart(engine_.store, state_.selectedRow(), laneContext(arrowLane_), false));
    else
        state_.goToRow(previousContextRun(engine_.store, state_.selectedRow()));
}

void TimeView::setReference() {
    const EventNode* node = state_.selectedNode();
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
    const EventNode* node = state_.selectedNode();
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
    const std::optional<ViewWindow> view = state_.viewWindow();
    if (!view)
        return 0;
    const double t = double(view->startNs) + double(x - lanesLeft()) * state_.window().nsPerPixel;
    return t <= 0 ? 0 : uint64_t(t);
}

void TimeView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // The cache key holds the sizes, so a resize to the same size keeps the lane image.
    state_.setContentsWidth(contentsRect().width());
}

} // namespace kavrin
