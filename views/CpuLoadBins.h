#pragma once

#include "views/TimelineIndex.h"

#include <cstdint>
#include <vector>

namespace kavrin {

inline constexpr int DefaultBinCount = 50;

// Run time per bin and context over the timeline's window, in hundredths of a nanosecond.
// Idle is never accumulated: the empty part of a bin is idle.
struct CpuLoadBins {
    enum class Outcome { NoEvents, NoDuration, BinsTooNarrow, Ready };

    Outcome outcome = Outcome::NoEvents;
    int bins = 0;
    uint64_t binWidth = 0;      // hundredths of a nanosecond
    size_t slotCount = 0;       // context slots of the index
    std::vector<uint64_t> sums; // bins x slotCount

    uint64_t sum(int bin, Slot slot) const {
        return slot < slotCount ? sums[size_t(bin) * slotCount + slot] : 0;
    }
    bool binPresent(int bin) const;

    // Refills from the events of [startNs, endNs]; keeps its buffers between calls.
    void accumulate(const TimelineIndex& index, uint64_t startNs, uint64_t endNs, int binCount);
};

// One stacked piece of a CPU load column, in contents coordinates (bottom exclusive).
struct LoadSegment {
    int left;
    int width;
    int top;
    int bottom;
    Slot slot;
};

// The stacked columns: bins left to right, each from the bottom upwards in the order of
// `slotsBottomUp` (the contexts list from its last row to its first).
void stackSegments(const CpuLoadBins& load, const std::vector<Slot>& slotsBottomUp,
                   int contentsWidth, int contentsHeight, int nameColumnWidth,
                   std::vector<LoadSegment>& out);

} // namespace kavrin
