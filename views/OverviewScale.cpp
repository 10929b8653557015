#include "views/OverviewScale.h"

#include "views/LaneRenderer.h"

#include <algorithm>
#include <cmath>

namespace kavrin {

namespace {
constexpr Argb StripBackground = opaque(0xFFFFFF);
} // namespace

OverviewScale OverviewScale::of(const OverviewSummary& summary, int width) {
    OverviewScale scale;
    scale.bins = summary.usedBins();
    scale.originTicks = summary.origin();
    // Bins of a time rebased near the clock's end can reach past it: saturate, never wrap.
    const uint64_t binWidth = summary.binWidth();
    scale.spanTicks = scale.bins != 0 && binWidth > ~uint64_t(0) / scale.bins
                          ? ~uint64_t(0)
                          : uint64_t(scale.bins) * binWidth;
    scale.width = std::max(width, 0);
    return scale;
}

double OverviewScale::xOf(uint64_t ticks) const {
    if (!valid())
        return 0;
    const double offset = double(ticks) - double(originTicks);
    return offset * double(width) / double(spanTicks);
}

uint64_t OverviewScale::ticksAt(int x) const {
    if (!valid())
        return originTicks;
    const double column = std::clamp(double(x) + 0.5, 0.0, double(width));
    const double offset = column * double(spanTicks) / double(width);
    const uint64_t room = ~uint64_t(0) - originTicks;
    return offset >= double(room) ? ~uint64_t(0) : originTicks + uint64_t(offset);
}

void renderOverview(const OverviewSummary& summary, const std::vector<OverviewLayer>& layers,
                    PixelCanvas& canvas) {
    canvas.fill(StripBackground);
    const OverviewScale scale = OverviewScale::of(summary, canvas.width());
    if (!scale.valid())
        return;
    const int bottom = canvas.height();
    const double loadHeight = double(bottom - OverviewMarkBand);
    for (int x = 0; x < canvas.width(); ++x) {
        const OverviewRange range = scale.binsOf(x);
        const uint64_t covered = summary.coveredTicks(range);
        if (covered == 0)
            continue;
        // Layers are stacked from the bottom; each ends where the rounded sum so far ends, so
        // rounding never makes the column taller than the load.
        uint64_t ranSoFar = 0;
        int top = bottom;
        for (const OverviewLayer& layer : layers) {
            const uint64_t ran = summary.runTime(layer.slot, range);
            if (ran == 0)
                continue;
            ranSoFar += ran;
            const int end =
                bottom - int(std::lround(loadHeight * double(std::min(ranSoFar, covered)) /
                                         double(covered)));
            canvas.verticalLine(x, end, top, layer.colour);
            top = end;
        }
        uint32_t errors = 0, warnings = 0, messages = 0;
        for (uint32_t bin = range.first; bin < range.end; ++bin) {
            const auto& levels = summary.bin(bin).messages;
            messages += levels[0] + levels[3];
            warnings += levels[1];
            errors += levels[2];
        }
        if (errors)
            canvas.verticalLine(x, 0, OverviewMarkBand, ErrorMark);
        else if (warnings)
            canvas.verticalLine(x, 0, OverviewMarkBand, WarningMark);
        else if (messages)
            canvas.verticalLine(x, 0, OverviewMarkBand - 2, MessageMark);
    }
}

} // namespace kavrin
