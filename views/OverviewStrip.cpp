#include "views/OverviewStrip.h"

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "views/ColourSchemes.h"
#include "views/TimelineState.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kavrin {

namespace {
const QColor WindowFrame(0x00, 0x00, 0xD0);
const QColor VisibleSpan(0x00, 0x00, 0xD0, 28);
const QColor VisibleSpanEdge(0x00, 0x00, 0xD0, 160);
const QColor NotLoaded(0xFF, 0xFF, 0xFF, 150);
} // namespace

OverviewStrip::OverviewStrip(RecordingEngine& engine, Presentation& presentation,
                             TimelineState& state, QWidget* parent)
    : QWidget(parent), engine_(engine), presentation_(presentation), state_(state) {
    setFixedHeight(OverviewStripHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("The whole recording: click or drag to move the timeline there"));
    connect(&state_, &TimelineState::changed, this, qOverload<>(&QWidget::update));
}

OverviewScale OverviewStrip::scale() const {
    return OverviewScale::of(engine_.overview, width());
}

void OverviewStrip::dataReset() {
    key_ = {};
    update();
}

// The contexts list's order, its last row at the bottom, as the CPU load view stacks them.
// Idle is the empty part of a column.
std::vector<OverviewLayer> OverviewStrip::layers() const {
    const OverviewSummary& summary = engine_.overview;
    std::vector<OverviewLayer> result;
    const std::vector<uint32_t>& rows = engine_.contextList.rows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row == IdleContext)
            continue;
        for (size_t slot = 0; slot < summary.contextCount(); ++slot) {
            if (summary.contextId(slot) != *row)
                continue;
            const ContextInfo* info = engine_.tracker.contexts.find(*row);
            result.push_back({slot, colourScheme(info ? info->colourCode : 0, *row).middle});
        }
    }
    return result;
}

void OverviewStrip::renderLoad() {
    const OverviewSummary& summary = engine_.overview;
    const std::vector<OverviewLayer> stack = layers();
    const RenderKey key{summary.eventCount(), summary.binWidth(), width(), height(), stack.size()};
    if (key == key_ && !image_.isNull())
        return;
    key_ = key;
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    PixelCanvas canvas(reinterpret_cast<uint32_t*>(image_.bits()), image_.width(), image_.height(),
                       int(image_.bytesPerLine() / 4));
    renderOverview(summary, stack, canvas);
    ++renders_;
}

void OverviewStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (width() <= 0 || height() <= 0)
        return;
    renderLoad();
    painter.drawImage(0, 0, image_);
    const OverviewScale strip = scale();
    if (strip.valid())
        paintWindow(painter, strip);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

// The loaded window in a frame, what lies outside it faded; the timeline's span shaded.
void OverviewStrip::paintWindow(QPainter& painter, const OverviewScale& strip) {
    const std::optional<LoadedTicks> loaded = state_.loadedTicks();
    if (!loaded)
        return;
    const auto column = [&strip](uint64_t ticks) { return int(std::floor(strip.xOf(ticks))); };
    const int x0 = column(loaded->first);
    const int x1 = std::max(column(loaded->last), x0 + 2);
    const int bottom = height() - 2;
    painter.fillRect(QRect(QPoint(0, 0), QPoint(x0 - 1, bottom)), NotLoaded);
    painter.fillRect(QRect(QPoint(x1 + 1, 0), QPoint(width() - 1, bottom)), NotLoaded);
    const std::optional<ViewWindow> view = state_.viewWindow();
    if (view && presentation_.timeBase.valid) {
        const int v0 = column(NsToTicks(presentation_.timeBase, view->startNs));
        const int v1 = column(NsToTicks(presentation_.timeBase, view->startNs + view->spanNs));
        const QRect span(QPoint(v0, 0), QPoint(std::max(v1, v0 + 2), bottom));
        painter.fillRect(span, VisibleSpan);
        painter.setPen(VisibleSpanEdge);
        painter.drawLine(span.topLeft(), span.bottomLeft());
        painter.drawLine(span.topRight(), span.bottomRight());
    }
    painter.setPen(WindowFrame);
    painter.drawRect(QRect(QPoint(x0, 0), QPoint(x1, bottom)));
}

void OverviewStrip::pointAt(int x) {
    const OverviewScale strip = scale();
    x = std::clamp(x, 0, std::max(width() - 1, 0));
    if (x == lastColumn_)
        return;
    lastColumn_ = x;
    const uint64_t ticks = strip.ticksAt(x);
    emit moveRequested(ticks, engine_.overview.eventNear(ticks));
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    lastColumn_ = -1;
    pointAt(event->position().toPoint().x());
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        pointAt(event->position().toPoint().x());
}

} // namespace kavrin
