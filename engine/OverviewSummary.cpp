#include "engine/OverviewSummary.h"

#include <algorithm>

namespace kavrin {

OverviewRange overviewGroup(uint32_t group, uint32_t groups, uint32_t bins) {
    if (groups == 0 || bins == 0)
        return {};
    // A group holds the bins that start inside it; one that none starts in lies inside the
    // bin before.
    const auto ceilDiv = [groups](uint64_t n) { return uint32_t((n + groups - 1) / groups); };
    const uint32_t first = std::min(ceilDiv(uint64_t(group) * bins), bins);
    const uint32_t end = std::min(ceilDiv(uint64_t(group + 1) * bins), bins);
    if (end > first)
        return {first, end};
    return {first - 1, first};
}

OverviewSummary::OverviewSummary() {
    clear();
}

uint64_t OverviewSummary::runTime(size_t slot, OverviewRange range) const {
    uint64_t sum = 0;
    const std::vector<uint64_t>& times = runTime_[slot];
    for (uint32_t bin = range.first; bin < range.end; ++bin)
        sum += times[bin];
    return sum;
}

uint64_t OverviewSummary::coveredTicks(OverviewRange range) const {
    if (!hasEvents() || range.first >= range.end)
        return 0;
    const uint64_t from = binStart(range.first);
    const uint64_t to = std::min(binStart(range.end), lastTime_);
    return to > from ? to - from : 0;
}

void OverviewSummary::clear() {
    bins_.assign(OverviewBins, OverviewBin{});
    runTime_.clear();
    contextIds_.clear();
    slots_.clear();
    runCache_.fill({});
    origin_ = 0;
    lastTime_ = 0;
    binWidth_ = 1;
    eventCount_ = 0;
    nextIndex_ = 0;
    runningId_ = 0;
    runningTimes_ = nullptr;
    currentBin_ = 0;
    currentBinEnd_ = 1;
    contextsCapped_ = false;
}

uint32_t OverviewSummary::usedBins() const {
    return hasEvents() ? binOf(lastTime_) + 1 : 0;
}

uint32_t OverviewSummary::binOf(uint64_t t) const {
    if (t <= origin_)
        return 0;
    return uint32_t(std::min<uint64_t>((t - origin_) / binWidth_, OverviewBins - 1));
}

uint32_t OverviewSummary::eventNear(uint64_t t) const {
    const uint32_t used = usedBins();
    const uint32_t start = binOf(t);
    for (uint32_t bin = start; bin < used; ++bin)
        if (bins_[bin].firstIndex != NoOverviewEvent)
            return bins_[bin].firstIndex;
    for (uint32_t bin = std::min(start, used); bin-- > 0;)
        if (bins_[bin].firstIndex != NoOverviewEvent)
            return bins_[bin].firstIndex;
    return NoOverviewEvent;
}

// The first event, one in a later bin, one that steps back in time, and overflows.
void OverviewSummary::take(const EventRecord& record) {
    uint64_t t = record.timestamp;
    if (eventCount_ == 0) {
        origin_ = lastTime_ = t;
        currentBin_ = 0;
        currentBinEnd_ = origin_ + binWidth_;
    } else {
        t = std::max(t, lastTime_); // time never runs backwards inside the summary
        // What ran before an overflow is unknown: the views show that gap as Idle.
        if (record.id == OverflowEvent && runningId_ != IdleContext)
            setRunning(IdleContext);
        if (t < currentBinEnd_) {
            if (runningTimes_)
                runningTimes_[currentBin_] += t - lastTime_;
        } else {
            advanceTo(t);
        }
    }
    OverviewBin& bin = bins_[currentBin_];
    if (bin.firstIndex == NoOverviewEvent) {
        bin.firstIndex = record.index;
        bin.firstOffset = record.streamPosition;
    }
    count(bin, record);
    if (eventCount_ == 0 || record.contextAfter != runningId_)
        setRunning(record.contextAfter);
    ++eventCount_;
    lastTime_ = t;
    nextIndex_ = record.index + 1;
}

// Called at every context switch: a few contexts take turns, so most answers come from the
// cache rather than the map.
void OverviewSummary::setRunning(uint32_t contextId) {
    // Fibonacci hashing: Idle, the scheduler, the timer and small ids all land apart.
    CachedRun& cached = runCache_[uint32_t(contextId * 0x9E37'79B1u) >> RunCacheShift];
    if (!cached.valid || cached.contextId != contextId) {
        const size_t slot = slotOf(contextId);
        cached = {contextId, slot == NoSlot ? nullptr : runTime_[slot].data(), true};
    }
    runningId_ = contextId;
    runningTimes_ = cached.times;
}

void OverviewSummary::advanceTo(uint64_t t) {
    fitTime(t);
    uint32_t bin = binOf(lastTime_);
    for (uint64_t from = lastTime_; from < t; ++bin) {
        const uint64_t pieceEnd = std::min(t, binStart(bin) + binWidth_);
        if (runningTimes_)
            runningTimes_[bin] += pieceEnd - from;
        from = pieceEnd;
    }
    currentBin_ = binOf(t);
    currentBinEnd_ = binStart(currentBin_) + binWidth_;
}

void OverviewSummary::fitTime(uint64_t t) {
    while (t - origin_ >= binWidth_ * OverviewBins)
        mergePairs();
}

void OverviewSummary::mergePairs() {
    for (uint32_t k = 0; k < OverviewBins / 2; ++k) {
        const OverviewBin& low = bins_[2 * k];
        const OverviewBin& high = bins_[2 * k + 1];
        OverviewBin merged = low.firstIndex != NoOverviewEvent ? low : high;
        merged.events = low.events + high.events;
        merged.apiCalls = low.apiCalls + high.apiCalls;
        for (size_t level = 0; level < OverviewMessageLevels; ++level)
            merged.messages[level] = low.messages[level] + high.messages[level];
        bins_[k] = merged;
    }
    std::fill(bins_.begin() + OverviewBins / 2, bins_.end(), OverviewBin{});
    for (std::vector<uint64_t>& times : runTime_) {
        for (uint32_t k = 0; k < OverviewBins / 2; ++k)
            times[k] = times[2 * k] + times[2 * k + 1];
        std::fill(times.begin() + OverviewBins / 2, times.end(), 0);
    }
    binWidth_ *= 2;
}

size_t OverviewSummary::slotOf(uint32_t contextId) {
    if (const auto it = slots_.find(contextId); it != slots_.end())
        return it->second;
    if (contextIds_.size() >= OverviewContextLimit) {
        contextsCapped_ = true;
        return NoSlot;
    }
    contextIds_.push_back(contextId);
    runTime_.emplace_back(OverviewBins, 0);
    slots_.emplace(contextId, contextIds_.size() - 1);
    return contextIds_.size() - 1;
}

} // namespace kavrin
