#pragma once

#include "engine/OverviewSummary.h"
#include "views/PixelCanvas.h"

#include <cstdint>
#include <vector>

namespace kavrin {

// The overview strip's horizontal scale: the bins the recording fills spread over the width,
// one group of bins per pixel column.
struct OverviewScale {
    uint64_t originTicks = 0;
    uint64_t spanTicks = 0; // across the whole width
    uint32_t bins = 0;
    int width = 0;

    static OverviewScale of(const OverviewSummary& summary, int width);
    bool valid() const { return spanTicks != 0 && width > 0; }
    // Pixel position of a time (may lie outside the strip).
    double xOf(uint64_t ticks) const;
    // The time in the middle of pixel column `x`, clamped to the strip.
    uint64_t ticksAt(int x) const;
    OverviewRange binsOf(int column) const { return overviewGroup(uint32_t(column), width, bins); }
};

// One context's layer of the stacked load, in the order drawn from the bottom up.
struct OverviewLayer {
    size_t slot;
    Argb colour;
};

inline constexpr int OverviewMarkBand = 5; // rows at the top kept for message marks

// Draws the stacked load of every column and the message marks above it into `canvas`.
void renderOverview(const OverviewSummary& summary, const std::vector<OverviewLayer>& layers,
                    PixelCanvas& canvas);

} // namespace kavrin
