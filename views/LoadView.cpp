#include "views/LoadView.h"

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "views/ColourSchemes.h"
#include "views/LabelFont.h"
#include "views/TimelineState.h"
#include "views/TimelineTexts.h"
#include "views/ZoomMenu.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace kavrin {

namespace {

constexpr int MinimumHeight = 100;
constexpr int SwatchWidth = 18;
constexpr int LabelGap = 2; // between a name and its swatch
constexpr uint32_t FlagNibble = 0xF00;

QLinearGradient schemeGradient(const ColourScheme& scheme, int top, int bottom) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, QColor::fromRgb(scheme.light));
    gradient.setColorAt(1, QColor::fromRgb(scheme.middle));
    return gradient;
}

} // namespace

LoadView::LoadView(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
                   TimelineState& state, QWidget* parent)
    : QFrame(parent), engine_(engine), presentation_(presentation), options_(options),
      state_(state) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumHeight(MinimumHeight);
    connect(&state_, &TimelineState::changed, this, qOverload<>(&QWidget::update));
}

void LoadView::setBinCount(int bins) {
    if (bins < 1 || bins == options_.cpuLoadBins)
        return;
    options_.cpuLoadBins = bins;
    update();
    emit paneTitleChanged(
        CpuLoadPaneTitle(state_.window().spanNs, bins, presentation_.display.resolution));
}

void LoadView::paintEvent(QPaintEvent*) {
    const QRect contents = contentsRect();
    QPixmap pixmap(contents.size());
    pixmap.fill(palette().color(QPalette::Base));
    {
        QPainter painter(&pixmap);
        painter.setFont(font());
        const int nameWidth = options_.nameColumnWidth;
        painter.fillRect(0, 0, nameWidth, contents.height(), palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(0, 0, nameWidth - 1, contents.height() - 1);
        paintLabels(painter, contents.height());
        paintColumns(painter, contents.width(), contents.height());
    }
    QPainter widgetPainter(this);
    widgetPainter.drawPixmap(contents.topLeft(), pixmap);
    drawFrame(&widgetPainter);
}

void LoadView::paintLabels(QPainter& painter, int height) {
    const int width = options_.nameColumnWidth;
    const auto& rows = engine_.contextList.rows();
    const size_t known = std::max<size_t>(engine_.tracker.contexts.size(), 1);
    const double rowHeight = double(height + 1) / double(known);
    // Names stay inside their boxes: a smaller font in low rows, elided before the swatch.
    const QFont names = labelFont(font(), rowHeight - 1);
    painter.setFont(names);
    const QFontMetrics metrics(names);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int top = int(std::lround(double(i) * rowHeight));
        const int bottom = int(std::lround(double(i + 1) * rowHeight)) - 1;
        const QRect box(0, top, width, bottom - top);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect text(40, top, width - 40 - SwatchWidth - LabelGap, box.height());
        painter.save();
        painter.setClipRect(text);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(ContextNameText(engine_.tracker, rows[i]),
                                            Qt::ElideRight, text.width()));
        painter.restore();
        const ContextInfo* info = engine_.tracker.contexts.find(rows[i]);
        const ColourScheme scheme = colourScheme(info ? info->colourCode : 0, rows[i]);
        const QRect swatch(width - SwatchWidth, top + 2, SwatchWidth, box.height() - 4);
        painter.fillRect(swatch, schemeGradient(scheme, swatch.top(), swatch.bottom()));
    }
    painter.setFont(font());
}

void LoadView::paintMessage(QPainter& painter, const QString& text, int width, int height) {
    const int left = options_.nameColumnWidth + LaneLeftMargin;
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(left, 0, width - left, height), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void LoadView::paintColumns(QPainter& painter, int width, int height) {
    if (!engine_.store.first())
        return;
    const std::optional<ViewWindow> view = state_.viewWindow();
    if (!view)
        return;
    const TimelineIndex& index = state_.index();
    const BinsKey key{view->startNs, view->spanNs, options_.cpuLoadBins, index.generation()};
    if (!(key == binsKey_)) {
        load_.accumulate(index, view->startNs, view->startNs + view->spanNs, options_.cpuLoadBins);
        binsKey_ = key;
    }
    if (load_.outcome == CpuLoadBins::Outcome::NoDuration) {
        paintMessage(painter, QStringLiteral("No time found."), width, height);
        return;
    }
    if (load_.outcome == CpuLoadBins::Outcome::BinsTooNarrow) {
        paintMessage(painter, QStringLiteral("Zoom out for CPU load."), width, height);
        return;
    }
    const auto& rows = engine_.contextList.rows();
    bottomUp_.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        bottomUp_.push_back(index.findSlot(*row));
    stackSegments(load_, bottomUp_, width, height, options_.nameColumnWidth, segments_);
    for (const LoadSegment& segment : segments_) {
        const uint32_t id = index.contextId(segment.slot);
        const ContextInfo* info = engine_.tracker.contexts.find(id);
        const ColourScheme scheme = colourScheme((info ? info->colourCode : 0) | FlagNibble, id);
        painter.fillRect(
            QRect(segment.left, segment.top, segment.width, segment.bottom - segment.top),
            schemeGradient(scheme, segment.top, segment.bottom));
    }
}

void LoadView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const char* labels[] = {"Single Bin", "&10 Bins", "&50 Bins", "1&00 Bins", "&200 Bins"};
    for (size_t i = 0; i < std::size(BinChoices); ++i) {
        const int bins = BinChoices[i];
        menu.addAction(QString::fromLatin1(labels[i]), this, [this, bins] { setBinCount(bins); });
    }
    menu.addSeparator();
    addZoomMenu(&menu, state_);
    menu.exec(event->globalPos());
}

} // namespace kavrin
