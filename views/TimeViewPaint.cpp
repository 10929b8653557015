// Painting of the timeline: axis band, label column, the cached lane image, guides, cursor.
#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "views/ColourSchemes.h"
#include "views/LabelFont.h"
#include "views/TimeView.h"

#include "presentation/models/ModelIcons.h"
#include "views/TimelineTexts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <unordered_map>

namespace kavrin {

namespace {

constexpr int AxisHeight = 30;
constexpr int GuideTop = 26;
constexpr int CursorTop = 24;
constexpr int ArrowZone = 16;
constexpr QRgb GuideColour = 0xB0B0F0;
constexpr QRgb CursorColour = 0x0000D0;
constexpr QRgb OverlayColour = 0x444444;
const QColor OverlayBackground(255, 255, 255, 220);

QFont courierFont(int points) {
    QFont font(QStringLiteral("Courier"), points);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

void TimeView::paintEvent(QPaintEvent*) {
    const QRect contents = contentsRect();
    QPixmap pixmap(contents.size());
    pixmap.fill(palette().color(QPalette::Window));
    {
        QPainter painter(&pixmap);
        painter.setFont(font());
        paintLabels(painter);
        const std::optional<ViewWindow> view = state_.viewWindow();
        const std::optional<uint64_t> cursor = state_.cursorTimeNs();
        if (view && cursor) {
            const uint64_t cursorLine =
                uint64_t(std::max<int64_t>(int64_t(*cursor) + state_.window().scrollOffset, 0));
            paintAxis(painter, *view, cursorLine);
            paintLanes(painter, *view);
            paintGuidesAndCursor(painter, *view, cursorLine);
            paintOverlay(painter, *view, cursorLine);
        }
    }
    QPainter widgetPainter(this);
    widgetPainter.drawPixmap(contents.topLeft(), pixmap);
    drawFrame(&widgetPainter);
}

void TimeView::paintAxis(QPainter& painter, const ViewWindow& view, uint64_t cursorLineNs) {
    const int left = options_.nameColumnWidth + LaneLeftMargin;
    const double cursorX = left + state_.window().offsetOf(cursorLineNs, view.startNs);
    const int right = left + state_.window().drawingWidth;
    painter.setPen(Qt::black);
    QFont small = font();
    small.setPointSizeF(std::max(small.pointSizeF() - 1.0, 6.0));
    painter.setFont(small);
    const QString cursorText = DisplayedTime(cursorLineNs, state_.index().firstNs(), presentation_);
    painter.drawText(QRectF(cursorX - 100, 0, 200, 12), Qt::AlignCenter, cursorText);

    const AxisTicks ticks = axisTicks(state_.window().pixelsPerSecond);
    const auto firstTick = int64_t(std::floor((left - cursorX) / ticks.spacing));
    const auto lastTick = int64_t(std::ceil((right - cursorX) / ticks.spacing));
    for (int64_t tick = firstTick; tick <= lastTick; ++tick) {
        const double x = cursorX + double(tick) * ticks.spacing;
        if (x < left || x > right)
            continue;
        const bool labelled = tick != 0 && tick % ticks.labelEvery == 0;
        painter.drawLine(QPointF(x, labelled ? 22 : 25), QPointF(x, AxisHeight - 1));
        if (labelled)
            painter.drawText(QRectF(x - 50, 11, 100, 12), Qt::AlignCenter,
                             QString::fromStdString(tickLabel(tick, ticks.stepNs)));
    }
    painter.setFont(font());
}

void TimeView::paintLabels(QPainter& painter) {
    const int width = options_.nameColumnWidth;
    const double height = rowHeight();
    const auto& rows = engine_.contextList.rows();
    const QColor separator = palette().color(QPalette::Mid);
    // Names stay in their lanes: a smaller font in low lanes, elided before the arrows.
    painter.setFont(labelFont(font(), height - 1));
    const QFontMetrics metrics(painter.font());
    for (int lane = 0; lane < laneCount(); ++lane) {
        const LaneSpan span = laneSpan(lane, height);
        const QRect box(0, AxisHeight + span.top, width, span.bottom - span.top);
        painter.setPen(separator);
        painter.drawLine(0, box.bottom() + 1, width, box.bottom() + 1);
        painter.setPen(Qt::black);
        if (lane == 0) {
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(" Unified"));
            continue;
        }
        const uint32_t id = rows[size_t(lane - 1)];
        const ContextInfo* info = engine_.tracker.contexts.find(id);
        // The type icon tells tasks from interrupts, as in the contexts list.
        const int iconSize = std::min(16, box.height() - 2);
        if (iconSize > 0)
            modelIcon(contextKindIcon(info ? info->kind : TaskKind))
                .paint(&painter, QRect(4, box.center().y() - iconSize / 2, iconSize, iconSize));
        const QRect text = box.adjusted(16 + 8, 0, -ArrowZone, 0);
        painter.drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(ContextNameText(engine_.tracker, id), Qt::ElideRight, text.width()));
        if (lane == labelLane_) {
            painter.drawText(QRect(box.left(), box.top(), ArrowZone, box.height()), Qt::AlignCenter,
                             QStringLiteral("\u25C2"));
            painter.drawText(QRect(box.right() - ArrowZone, box.top(), ArrowZone, box.height()),
                             Qt::AlignCenter, QStringLiteral("\u25B8"));
        }
    }
    painter.setFont(font());
}

LaneScene TimeView::laneScene(int64_t startNs) {
    const TimelineIndex& events = state_.index();
    std::unordered_map<uint32_t, int> laneOf;
    const auto& rows = engine_.contextList.rows();
    for (size_t row = 0; row < rows.size(); ++row)
        laneOf[rows[row]] = int(row) + 1;

    LaneScene scene;
    scene.index = &events;
    scene.lanes = laneCount();
    scene.rowHeight = rowHeight();
    scene.startNs = startNs;
    scene.nsPerPixel = state_.window().nsPerPixel;
    const TimelinePreferences& preferences = options_.preferences;
    scene.existingTasks = preferences.existingTaskHighlight == 1;
    scene.readyBars = preferences.taskReadyHighlight == 1;
    scene.apiMarks = preferences.timelineEventMarker == 1 && state_.window().nsPerPixel < 100'000 &&
                     scene.rowHeight > 8;
    scene.messageMarks = options_.zoomRow <= preferences.indicatorZoom;
    scene.indicatorLevel = preferences.indicatorLevel;
    scene.styles.resize(events.slotCount());
    for (Slot slot = 0; slot < events.slotCount(); ++slot) {
        const uint32_t id = events.contextId(slot);
        LaneStyle& style = scene.styles[slot];
        const auto lane = laneOf.find(id);
        style.lane = lane == laneOf.end() ? NoLane : lane->second;
        const ContextInfo* info = engine_.tracker.contexts.find(id);
        style.scheme = colourScheme(info ? info->colourCode : 0, id);
        if (info && info->kind == TaskKind)
            style.taskSinceNs =
                info->readyIntervals.empty()
                    ? events.firstNs()
                    : TicksToNs(presentation_.timeBase, info->readyIntervals.front().start);
    }
    return scene;
}

void TimeView::renderLaneCache(const ViewWindow& view, const CacheKey& key) {
    const int width = 3 * state_.window().drawingWidth;
    const int height = std::max(contentsRect().height() - 33, 1);
    if (laneCache_.width() != width || laneCache_.height() != height)
        laneCache_ = QImage(width, height, QImage::Format_RGB32);
    cacheStartNs_ = int64_t(view.startNs) - int64_t(view.spanNs);
    PixelCanvas canvas(reinterpret_cast<uint32_t*>(laneCache_.bits()), width, height,
                       int(laneCache_.bytesPerLine() / 4));
    renderer_.render(laneScene(cacheStartNs_), canvas);
    cacheKey_ = key;
    ++laneRenders_;
}

void TimeView::paintLanes(QPainter& painter, const ViewWindow& view) {
    CacheKey key{state_.window().spanNs,    state_.window().drawingWidth,
                 contentsRect().height(),   state_.index().generation(),
                 options_.zoomRow,          options_.preferences,
                 engine_.contextList.rows()};
    const int64_t start = int64_t(view.startNs);
    const bool inside = start >= cacheStartNs_ &&
                        start + int64_t(view.spanNs) <= cacheStartNs_ + 3 * int64_t(view.spanNs);
    if (!(key == cacheKey_) || !inside)
        renderLaneCache(view, key);
    const int offset = int(std::lround(double(start - cacheStartNs_) / state_.window().nsPerPixel));
    painter.drawImage(QPoint(options_.nameColumnWidth + LaneLeftMargin, AxisHeight), laneCache_,
                      QRect(offset, 0, state_.window().drawingWidth, laneCache_.height()));
}

void TimeView::paintGuidesAndCursor(QPainter& painter, const ViewWindow& view,
                                    uint64_t cursorLineNs) {
    const int left = options_.nameColumnWidth + LaneLeftMargin;
    const int bottom = contentsRect().height();
    if (pointerInLanes_) {
        painter.setPen(QColor::fromRgb(GuideColour));
        for (int tenth = 1; tenth <= 9; ++tenth) {
            const int x = left + tenth * state_.window().drawingWidth / 10;
            painter.drawLine(x, GuideTop, x, bottom);
        }
    }
    painter.setPen(QColor::fromRgb(CursorColour));
    const int x = left + int(std::lround(state_.window().offsetOf(cursorLineNs, view.startNs)));
    painter.drawLine(x, CursorTop, x, bottom);
}

void TimeView::paintOverlay(QPainter& painter, const ViewWindow& view, uint64_t cursorLineNs) {
    // The window's ends as offsets from the cursor line, counted like the axis above; on a
    // light box inside the lane area, so that no lane or label shows through the text.
    const int left = options_.nameColumnWidth + LaneLeftMargin;
    const QRect lanes(left, AxisHeight, state_.window().drawingWidth,
                      contentsRect().height() - AxisHeight);
    const int digits = presentation_.display.resolution;
    const QString texts[] = {
        OffsetText(int64_t(view.startNs) - int64_t(cursorLineNs), digits),
        OffsetText(int64_t(view.startNs + view.spanNs) - int64_t(cursorLineNs), digits)};
    painter.save();
    painter.setClipRect(lanes);
    painter.setFont(courierFont(8));
    const QFontMetrics metrics(painter.font());
    const int height = metrics.height();
    for (int end = 0; end < 2; ++end) {
        const int width = metrics.horizontalAdvance(texts[end]) + 4;
        const QRect box(end == 0 ? lanes.left() : lanes.right() + 1 - width,
                        lanes.bottom() + 1 - height, width, height);
        painter.fillRect(box, OverlayBackground);
        painter.setPen(QColor::fromRgb(OverlayColour));
        painter.drawText(box, Qt::AlignCenter, texts[end]);
    }
    painter.restore();
}

} // namespace kavrin
