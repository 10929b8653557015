// Pointer, wheel and context menu of the timeline.
#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "views/TimeNavigation.h"
#include "views/TimeView.h"
#include "views/TimelineTexts.h"
#include "views/ZoomMenu.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace kavrin {

namespace {

constexpr int ArrowZone = 16;
constexpr int AxisHeight = 30;
constexpr qint64 HoverRepaintMs = 50;

QString hoverHtml(const QString& text) {
    return QStringLiteral("<pre style=\"font-family:Courier; font-size:8pt; "
                          "font-weight:normal\">%1</pre>")
        .arg(text.toHtmlEscaped());
}

} // namespace

int TimeView::arrowAt(QPoint pos) const {
    const int x = pos.x() - contentsRect().left();
    if (laneAt(pos.y()) < 1 || x < 0 || x >= options_.nameColumnWidth)
        return 0;
    if (x < ArrowZone)
        return -1;
    if (x >= options_.nameColumnWidth - ArrowZone)
        return 1;
    return 0;
}

void TimeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragging_ = false;
    pressPos_ = event->position().toPoint();
    pressOffset_ = state_.scrollOffset();
}

void TimeView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    pointer_ = pos;
    if (pressed_ && inLaneArea(pressPos_) && pos.x() != pressPos_.x())
        dragging_ = true;
    if (dragging_) {
        dragTo(pos);
        return;
    }
    updateHover(pos, event->globalPosition().toPoint());
}

void TimeView::dragTo(QPoint pos) {
    if (!hasSelection())
        return;
    const auto moved = int64_t(double(pos.x() - pressPos_.x()) * state_.window().nsPerPixel);
    state_.dragCursorLine(pressOffset_ - moved);
    repaint();
    if (!dragTimer_.isActive())
        dragTimer_.start();
}

void TimeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        dragTimer_.stop();
        OnDragTimer();
        return;
    }
    clickAt(event->position().toPoint());
}

void TimeView::clickAt(QPoint pos) {
    if (const int arrow = arrowAt(pos); arrow != 0) {
        if (hasSelection())
            state_.goToRow(contextRunStart(engine_.store, state_.selectedRow(),
                                           laneContext(laneAt(pos.y())), arrow > 0));
        return;
    }
    if (inLaneArea(pos) && state_.cursorTimeNs())
        state_.setCursorPosition(state_.window().cursorPositionAt(double(pos.x() - lanesLeft())));
}

void TimeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || arrowAt(pos) != 0 || !inLaneArea(pos) ||
        laneAt(pos.y()) < 0 || !state_.cursorTimeNs())
        return;
    const TimelineIndex& events = state_.index();
    state_.goToRow(int(events.node(events.lastAtOrBefore(timeAtX(pos.x())))->row));
}

void TimeView::leaveEvent(QEvent* event) {
    pointer_.reset();
    hoverLane_ = labelLane_ = arrowLane_ = -1;
    arrowSide_ = 0;
    pointerInLanes_ = false;
    pointerInAxis_ = false;
    update();
    QFrame::leaveEvent(event);
}

// The content under a resting pointer changed (a new event was selected).
void TimeView::refreshHover() {
    if (!pointer_)
        return;
    updateHover(*pointer_, mapToGlobal(*pointer_));
    update();
}

void TimeView::updateHover(QPoint pos, QPoint globalPos) {
    const int lane = laneAt(pos.y());
    const bool inLabels = pos.x() - contentsRect().left() < options_.nameColumnWidth;
    const bool axisBefore = pointerInAxis_;
    pointerInAxis_ = pos.y() - contentsRect().top() < AxisHeight;
    const bool lanesBefore = pointerInLanes_;
    pointerInLanes_ = lane >= 0 && !inLabels;
    hoverLane_ = pointerInLanes_ ? lane : -1;
    labelLane_ = inLabels && lane >= 1 ? lane : -1;
    arrowSide_ = arrowAt(pos);
    arrowLane_ = arrowSide_ != 0 ? lane : -1;

    QString text;
    const std::optional<uint64_t> cursor = state_.cursorTimeNs();
    if (labelLane_ >= 1 && cursor) {
        const EventStore& store = engine_.store;
        text = ContextHoverText(engine_.tracker, laneContext(labelLane_), presentation_,
                                store.last()->record.timestamp - store.first()->record.timestamp);
    } else if (hoverLane_ >= 0 && cursor) {
        const TimelineIndex& events = state_.index();
        const size_t position = events.lastAtOrBefore(timeAtX(pos.x()));
        const uint32_t context = events.node(position)->record.contextAfter;
        const bool onLane = hoverLane_ >= 1 && laneContext(hoverLane_) == context;
        text = EventHoverText(events, position, onLane, engine_.tracker, presentation_,
                              events.firstNs());
    }
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, hoverHtml(text), this);

    if (axisBefore != pointerInAxis_ || lanesBefore != pointerInLanes_) {
        update();
    } else if (hoverClock_.elapsed() >= HoverRepaintMs) {
        hoverClock_.restart();
        update();
    } else if (!hoverRepaint_.isActive()) {
        hoverRepaint_.start();
    }
}

void TimeView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    const bool vertical = angle.y() != 0;
    const int delta = vertical ? angle.y() : angle.x();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (delta == 0)
        return;
    if (wheelRole(vertical, ctrl, options_.preferences.invertWheelControl) == WheelRole::Zoom) {
        if (delta > 0)
            state_.zoomIn();
        else
            state_.zoomOut();
    } else {
        state_.scrollBy(wheelScrollDelta(state_.window().spanNs, delta));
    }
    event->accept();
}

QMenu* TimeView::cursorMenu(QMenu* parent) {
    QMenu* menu = parent->addMenu(QStringLiteral("&Cursor"));
    auto* group = new QActionGroup(menu);
    for (int position = 1; position <= CursorPositionCount; ++position) {
        QAction* action =
            menu->addAction(QString::fromLatin1(CursorPositions[size_t(position - 1)]), this,
                            [this, position] { state_.setCursorPosition(position); });
        action->setCheckable(true);
        action->setChecked(position == options_.cursorPosition);
        group->addAction(action);
    }
    return menu;
}

void TimeView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const QStringList go = goMenuTexts();
    menu.addAction(QStringLiteral("&Forward"), this, &TimeView::forward);
    menu.addAction(QStringLiteral("&Back"), this, &TimeView::back);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&") + go[0], this, &TimeView::next);
    menu.addAction(QStringLiteral("&") + go[1], this, &TimeView::previous);
    menu.addAction(go[2], this, &TimeView::contextNext);
    menu.addAction(go[3], this, &TimeView::contextPrevious);
    menu.addSeparator();
    addZoomMenu(&menu, state_);
    cursorMenu(&menu);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Scroll Back"), &state_, &TimelineState::scrollRight);
    menu.addAction(QStringLiteral("Scroll Forward"), &state_, &TimelineState::scrollLeft);
    menu.exec(event->globalPos());
}

} // namespace kavrin
