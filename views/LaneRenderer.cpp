#include "views/LaneRenderer.h"

#include "engine/EventStore.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace kavrin {

namespace {

constexpr Argb TaskTintAlpha = 0x60;
constexpr int ApiMarkHeight = 4;
constexpr int MixedMarkHeight = 3;
constexpr int MinimumBorderedBar = 3; // pixels wide; narrower ready bars get no left border
constexpr int MessageFlagSize = 4;

// Pixel column of time `t`, which may lie far outside the image.
int columnOf(const LaneScene& scene, double t) {
    const double x = std::floor((t - double(scene.startNs)) / scene.nsPerPixel);
    return int(std::clamp(x, -1.0, 1e9));
}

double timeAtColumn(const LaneScene& scene, int column) {
    return double(scene.startNs) + double(column) * scene.nsPerPixel;
}

// First position in `positions` whose event lies at or after time `t`.
size_t firstFrom(const TimelineIndex& index, std::span<const uint32_t> positions, size_t from,
                 double t) {
    const auto it =
        std::partition_point(positions.begin() + ptrdiff_t(from), positions.end(),
                             [&](uint32_t position) { return double(index.timeNs(position)) < t; });
    return size_t(it - positions.begin());
}

double spanEndNs(const TimelineIndex& index, size_t position) {
    const uint64_t endTicks = index.node(position)->endTime;
    return endTicks == 0 ? double(index.timeNs(position)) : index.approxNs(endTicks);
}

// Walks `positions` in [start of image, end of image) drawing at most `perColumn` marks per
// pixel column; `draw` gets the position and its column.
template <class Draw>
void forMarks(const LaneScene& scene, std::span<const uint32_t> positions, int width, Draw&& draw) {
    const TimelineIndex& index = *scene.index;
    const double end = timeAtColumn(scene, width);
    size_t k = firstFrom(index, positions, 0, double(scene.startNs));
    int column = -1;
    size_t inColumn = 0;
    while (k < positions.size() && double(index.timeNs(positions[k])) < end) {
        const int x = columnOf(scene, index.timeNs(positions[k]));
        inColumn = x == column ? inColumn + 1 : 1;
        column = x;
        draw(positions[k], x);
        if (inColumn >= LaneRenderer::SamplesPerColumn)
            k = std::max(k + 1, firstFrom(index, positions, k, timeAtColumn(scene, x + 1)));
        else
            ++k;
    }
}

} // namespace

LaneSpan laneSpan(int lane, double rowHeight) {
    const int top = int(std::lround(lane * rowHeight));
    const int bottom = int(std::lround((lane + 1) * rowHeight)) - 1;
    return {top, std::max(bottom, top + 1)};
}

bool messageIndicated(uint32_t level, int indicatorLevel) {
    switch (indicatorLevel) {
    case 0:
        return true;
    case 1:
        return level == 1 || level == 2;
    case 2:
        return level == 2;
    default:
        return false;
    }
}

void LaneRenderer::render(const LaneScene& scene, PixelCanvas& canvas) {
    canvas.fill(LaneBackground);
    // Gradient rows per slot (and the ready bar's after them), kept while the height stays.
    barRows_.assign(scene.styles.size() + 1, {});
    if (!scene.index || scene.index->size() < 2)
        return;
    if (scene.existingTasks)
        drawTaskTints(scene, canvas);
    if (scene.readyBars)
        drawReadyBars(scene, canvas);
    markActivity(scene, canvas.width());
    drawRuns(scene, canvas, canvas.width());
    drawSwitchLines(scene, canvas);
    if (scene.apiMarks)
        drawApiMarks(scene, canvas);
    if (scene.messageMarks)
        drawMessageMarks(scene, canvas);
}

void LaneRenderer::markActivity(const LaneScene& scene, int width) {
    const TimelineIndex& index = *scene.index;
    activity_.assign(size_t(scene.lanes) * size_t(width), NoSlot);
    fill_.assign(activity_.size(), FullFill);
    mixed_.assign(size_t(width), false);
    switches_.clear();
    const double first = double(index.firstNs());
    const double last = double(index.lastNs());
    auto laneOf = [&](Slot slot) {
        return slot < scene.styles.size() ? scene.styles[slot].lane : NoLane;
    };
    for (int column = 0; column < width; ++column) {
        const double from = timeAtColumn(scene, column);
        const double to = timeAtColumn(scene, column + 1);
        if (to <= first || from >= last)
            continue;
        const size_t begin = index.lastAtOrBefore(uint64_t(std::max(from, first)));
        // The last event has no span of its own.
        const size_t end = std::max(
            std::min(index.firstAtOrAfter(uint64_t(std::ceil(to))), index.size() - 1), begin + 1);
        if (end - begin > SparseColumnEvents) {
            markDenseColumn(scene, column, width, {begin, end, from, to});
            continue;
        }
        for (size_t e = begin; e < end; ++e) {
            const Slot slot = index.slotAfter(e);
            const int lane = laneOf(slot);
            if (lane > 0 && lane < scene.lanes)
                activity_[size_t(lane) * size_t(width) + size_t(column)] = slot;
            Slot& unified = activity_[size_t(column)];
            if (unified == NoSlot || index.contextId(slot) != IdleContext)
                unified = slot;
            const Slot before = index.slotBefore(e);
            const int fromLane = laneOf(before);
            if (before != slot && double(index.timeNs(e)) >= from && fromLane > 0 && lane > 0 &&
                (switches_.empty() || switches_.back().x != column ||
                 switches_.back().fromLane != fromLane || switches_.back().toLane != lane))
                switches_.push_back({column, fromLane, lane});
        }
    }
}

// A column with many events shows how long each context ran in it: its lane filled to that
// share of the height, the unified lane in the colour of the one that ran longest, marked as
// mixed when that one ran less than two thirds of the column. No switch lines: they would be
// a solid block.
void LaneRenderer::markDenseColumn(const LaneScene& scene, int column, int width,
                                   const ColumnEvents& events) {
    const TimelineIndex& index = *scene.index;
    ranNs_.assign(scene.styles.size(), 0.0);
    double total = 0;
    for (size_t e = events.begin; e < events.end; ++e) {
        const double start = std::max(double(index.timeNs(e)), events.from);
        const double stop = std::min(double(index.timeNs(e + 1)), events.to);
        const Slot slot = index.slotAfter(e);
        if (stop > start && slot < ranNs_.size()) {
            ranNs_[slot] += stop - start;
            total += stop - start;
        }
    }
    if (total <= 0)
        return;
    Slot dominant = NoSlot;
    for (Slot slot = 0; slot < ranNs_.size(); ++slot) {
        if (ranNs_[slot] <= 0)
            continue;
        if (dominant == NoSlot || ranNs_[slot] > ranNs_[dominant])
            dominant = slot;
        const int lane = scene.styles[slot].lane;
        if (lane <= 0 || lane >= scene.lanes)
            continue;
        const size_t cell = size_t(lane) * size_t(width) + size_t(column);
        activity_[cell] = slot;
        fill_[cell] =
            uint8_t(std::clamp(std::lround(ranNs_[slot] / total * FullFill), 1L, long(FullFill)));
    }
    activity_[size_t(column)] = dominant;
    mixed_[size_t(column)] = ranNs_[dominant] < total * 2 / 3;
}

const std::vector<Argb>& LaneRenderer::barRows(Slot slot, const ColourScheme& scheme, int height) {
    BarRows& bar = barRows_[slot];
    if (bar.height != height) {
        bar.height = height;
        gradientRows(scheme.light, scheme.middle, scheme.dark, height, bar.rows);
    }
    return bar.rows;
}

void LaneRenderer::drawRuns(const LaneScene& scene, PixelCanvas& canvas, int width) {
    for (int lane = 0; lane < scene.lanes; ++lane) {
        const LaneSpan span = laneSpan(lane, scene.rowHeight);
        const int height = span.bottom - span.top;
        const Slot* row = activity_.data() + size_t(lane) * size_t(width);
        const uint8_t* fill = fill_.data() + size_t(lane) * size_t(width);
        for (int column = 0; column < width;) {
            const Slot slot = row[column];
            int runEnd = column + 1;
            if (fill[column] != FullFill) {
                // Part of the column: a plain bar from the lane's bottom.
                if (slot < scene.styles.size()) {
                    const int shown =
                        std::max(1, (height * fill[column] + FullFill / 2) / FullFill);
                    canvas.verticalLine(column, span.bottom - shown, span.bottom,
                                        scene.styles[slot].scheme.middle);
                }
                column = runEnd;
                continue;
            }
            while (runEnd < width && row[runEnd] == slot && fill[runEnd] == FullFill)
                ++runEnd;
            if (slot != NoSlot && slot < scene.styles.size()) {
                const ColourScheme& scheme = scene.styles[slot].scheme;
                canvas.fillRows(column, runEnd, span.top, barRows(slot, scheme, height));
                if (runEnd - column >= 3) {
                    canvas.verticalLine(column, span.top, span.bottom, scheme.dark);
                    canvas.verticalLine(runEnd - 1, span.top, span.bottom, scheme.dark);
                }
            }
            column = runEnd;
        }
    }
    const LaneSpan unified = laneSpan(0, scene.rowHeight);
    for (int column = 0; column < width; ++column)
        if (mixed_[size_t(column)])
            canvas.verticalLine(column, unified.top, unified.top + MixedMarkHeight, MixedMark);
}

void LaneRenderer::drawTaskTints(const LaneScene& scene, PixelCanvas& canvas) {
    const int lastColumn = columnOf(scene, scene.index->lastNs()) + 1;
    for (const LaneStyle& style : scene.styles) {
        if (style.lane <= 0 || style.taskSinceNs == NotATask)
            continue;
        const LaneSpan span = laneSpan(style.lane, scene.rowHeight);
        // Drawn first over the plain background, so the blend is the same for every pixel.
        const Argb tint = blendOver(LaneBackground, withAlpha(style.scheme.light, TaskTintAlpha));
        canvas.fillRect(columnOf(scene, style.taskSinceNs), span.top, lastColumn, span.bottom,
                        tint);
    }
}

void LaneRenderer::drawReadyBars(const LaneScene& scene, PixelCanvas& canvas) {
    const TimelineIndex& index = *scene.index;
    const double end = timeAtColumn(scene, canvas.width());
    auto firstStartingAt = [](const std::vector<ReadySpan>& spans, size_t from, double t) {
        return size_t(
            std::partition_point(spans.begin() + ptrdiff_t(from), spans.end(),
                                 [t](const ReadySpan& s) { return double(s.startNs) < t; }) -
            spans.begin());
    };
    for (Slot slot = 0; slot < scene.styles.size(); ++slot) {
        const int lane = scene.styles[slot].lane;
        const std::vector<ReadySpan>& spans = index.readySpans(slot);
        if (lane <= 0 || spans.empty())
            continue;
        const LaneSpan laneRows = laneSpan(lane, scene.rowHeight);
        const std::vector<Argb>& rows =
            barRows(readyBarSlot(scene), ReadyBarScheme, laneRows.bottom - laneRows.top);
        size_t k = firstStartingAt(spans, 0, double(scene.startNs));
        k = k > 0 ? k - 1 : 0;
        int drawnTo = -1;
        while (k < spans.size() && double(spans[k].startNs) < end) {
            const ReadySpan& span = spans[k];
            const int x0 = columnOf(scene, span.startNs);
            const int x1 =
                std::max(columnOf(scene, span.endNs ? span.endNs : index.lastNs()), x0 + 1);
            if (x1 > drawnTo) {
                canvas.fillRows(x0, x1, laneRows.top, rows);
                // Zoomed out, a border at every start would paint the lane solid.
                if (x1 - x0 >= MinimumBorderedBar)
                    canvas.verticalLine(x0, laneRows.top + 1, laneRows.bottom - 1,
                                        ReadyBarScheme.dark);
                drawnTo = x1;
            }
            // Spans starting inside drawn pixels end before the next one starts, so only the
            // last of them can reach further.
            const double drawnEnd = timeAtColumn(scene, drawnTo);
            if (k + 1 < spans.size() && double(spans[k + 1].startNs) < drawnEnd) {
                const size_t next = firstStartingAt(spans, k + 1, drawnEnd);
                k = std::max(k + 1, next - 1);
            } else {
                ++k;
            }
        }
    }
}

void LaneRenderer::drawSwitchLines(const LaneScene& scene, PixelCanvas& canvas) {
    for (const SwitchLine& line : switches_) {
        const LaneSpan from = laneSpan(line.fromLane, scene.rowHeight);
        const LaneSpan to = laneSpan(line.toLane, scene.rowHeight);
        const int top = std::min(from.top, to.top);
        const int bottom = std::max(from.bottom, to.bottom);
        canvas.verticalLine(line.x, top, bottom, SwitchLineColour);
    }
}

void LaneRenderer::drawApiMarks(const LaneScene& scene, PixelCanvas& canvas) {
    const TimelineIndex& index = *scene.index;
    forMarks(scene, index.apiCalls(), canvas.width(), [&](uint32_t position, int x) {
        const Slot owner = index.slotOwner(position);
        if (owner >= scene.styles.size() || scene.styles[owner].lane <= 0)
            return;
        const LaneStyle& style = scene.styles[owner];
        const LaneSpan span = laneSpan(style.lane, scene.rowHeight);
        const int x1 = std::max(columnOf(scene, spanEndNs(index, position)), x + 1);
        // An outline with the lane's background inside: no run of a context looks like it.
        const int top = span.bottom - ApiMarkHeight;
        canvas.fillRect(x, top, x1, span.bottom, ApiMark);
        if (x1 - x > 2)
            canvas.fillRect(x + 1, top + 1, x1 - 1, span.bottom - 1, LaneBackground);
    });
}

void LaneRenderer::drawMessageMarks(const LaneScene& scene, PixelCanvas& canvas) {
    const TimelineIndex& index = *scene.index;
    forMarks(scene, index.messages(), canvas.width(), [&](uint32_t position, int x) {
        const uint32_t level = index.node(position)->record.param2 & 15;
        const Slot owner = index.slotOwner(position);
        if (!messageIndicated(level, scene.indicatorLevel) || owner >= scene.styles.size() ||
            scene.styles[owner].lane <= 0)
            return;
        const LaneSpan span = laneSpan(scene.styles[owner].lane, scene.rowHeight);
        const Argb colour = level == 2 ? ErrorMark : level == 1 ? WarningMark : MessageMark;
        canvas.verticalLine(x, span.top, span.bottom, colour);
        canvas.fillRect(x + 1, span.top, x + 1 + MessageFlagSize, span.top + MessageFlagSize,
                        colour);
    });
}

} // namespace kavrin
