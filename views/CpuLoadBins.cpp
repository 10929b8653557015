#include "views/CpuLoadBins.h"

#include "engine/EventStore.h"

#include <algorithm>
#include <cmath>

namespace kavrin {

bool CpuLoadBins::binPresent(int bin) const {
    const auto first = sums.begin() + ptrdiff_t(size_t(bin) * slotCount);
    return std::any_of(first, first + ptrdiff_t(slotCount), [](uint64_t s) { return s != 0; });
}

void CpuLoadBins::accumulate(const TimelineIndex& index, uint64_t startNs, uint64_t endNs,
                             int binCount) {
    bins = binCount;
    slotCount = index.slotCount();
    sums.assign(size_t(bins) * slotCount, 0);
    binWidth = 0;
    if (index.empty()) {
        outcome = Outcome::NoEvents;
        return;
    }
    if (endNs <= startNs) {
        outcome = Outcome::NoDuration;
        return;
    }
    binWidth = (endNs - startNs) * 100 / uint64_t(bins);
    if (binWidth == 0) {
        outcome = Outcome::BinsTooNarrow;
        return;
    }
    outcome = Outcome::Ready;

    const uint64_t start = startNs * 100;
    const uint64_t limit = start + uint64_t(bins) * binWidth; // first position of bin N
    int bin = 0;
    uint64_t binEnd = start + binWidth;
    // The walk begins with the event whose span covers the window's start.
    for (size_t i = index.lastAtOrBefore(startNs); i + 1 < index.size(); ++i) {
        uint64_t position = std::max(index.timeNs(i), startNs) * 100;
        if (position >= limit)
            break;
        const uint64_t segmentEnd = std::min(index.timeNs(i + 1), endNs) * 100;
        if (index.contextId(index.slotOwner(i)) == IdleContext || position >= segmentEnd)
            continue;
        const Slot slot = index.slotAfter(i);
        const bool idle = index.contextId(slot) == IdleContext;
        while (position >= binEnd) {
            ++bin;
            binEnd += binWidth;
        }
        while (position < segmentEnd && bin < bins) {
            const uint64_t pieceEnd = std::min(segmentEnd, binEnd);
            if (!idle)
                sums[size_t(bin) * slotCount + slot] += pieceEnd - position;
            position = pieceEnd;
            if (position == binEnd) {
                ++bin;
                binEnd += binWidth;
            }
        }
    }
}

void stackSegments(const CpuLoadBins& load, const std::vector<Slot>& slotsBottomUp,
                   int contentsWidth, int contentsHeight, int nameColumnWidth,
                   std::vector<LoadSegment>& out) {
    out.clear();
    if (load.outcome != CpuLoadBins::Outcome::Ready)
        return;
    const int drawing = contentsWidth - nameColumnWidth - 3;
    const int columnWidth = drawing / load.bins - 1;
    for (int bin = 0; bin < load.bins; ++bin) {
        if (!load.binPresent(bin))
            continue;
        const int left = bin * drawing / load.bins + 4 + nameColumnWidth;
        double bottom = contentsHeight;
        for (const Slot slot : slotsBottomUp) {
            const uint64_t sum = load.sum(bin, slot);
            if (sum == 0)
                continue;
            const double height = double(sum) * double(contentsHeight) / double(load.binWidth);
            const double top = bottom - height;
            out.push_back(
                {left, columnWidth, int(std::lround(top)), int(std::lround(bottom)), slot});
            bottom = top - 1.0;
        }
    }
}

} // namespace kavrin
