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

OverviewSummary::OverviewSummary(uint32_t bins) {
    setBinCount(bins);
}

void OverviewSummary::setBinCount(uint32_t bins) {
    binCount_ = std::max(bins, 2u); // one bin could not halve its width's growth
    clear();
}

uint64_t OverviewSummary::runTime(size_t slot, OverviewRange range) const {
    uint64_t sum = 0;
    const std::vector<uint64_t>& times = runTime_[slot];
    for (uint32_t bin = range.first; bin < range.end; ++bin)
        sum += times[bin];
    return sum + openRun(slot, range);
}

uint64_t OverviewSummary::openRun(size_t slot, OverviewRange range) const {
    const bool open = started_ && runningTimes_ == runTime_[slot].data() &&
                      currentBin_ >= range.first && currentBin_ < range.end;
    return open ? lastTime_ - runStart_ : 0;
}

uint64_t OverviewSummary::coveredTicks(OverviewRange range) const {
    if (!hasEvents() || range.first >= range.end)
        return 0;
    const uint64_t from = binStart(range.first);
    const uint64_t to = std::min(binStart(range.end), lastTime_);
    return to > from ? to - from : 0;
}

void OverviewSummary::clear() {
    bins_.clear(); // filled at the first event: a summary that sees none costs nothing
    runTime_.clear();
    contextIds_.clear();
    slots_.clear();
    runCache_.fill({});
    origin_ = 0;
    lastTime_ = 0;
    binShift_ = 0;
    started_ = false;
    firstEventIndex_ = 0;
    nextIndex_ = 0;
    skipped_ = 0;
    skippedInBin_ = 0;
    runningId_ = 0;
    runningTimes_ = nullptr;
    runStart_ = 0;
    currentBin_ = 0;
    currentBinEnd_ = 0;
    contextsCapped_ = false;
}

OverviewBin OverviewSummary::bin(uint32_t index) const {
    if (!started_)
        return {};
    OverviewBin bin = bins_[index];
    if (started_ && index == currentBin_)
        bin.events = currentBinEvents(); // the others were counted when the summary left them
    return bin;
}

uint32_t OverviewSummary::usedBins() const {
    return hasEvents() ? binOf(lastTime_) + 1 : 0;
}

uint32_t OverviewSummary::binOf(uint64_t t) const {
    if (t <= origin_)
        return 0;
    return uint32_t(std::min<uint64_t>((t - origin_) >> binShift_, binCount_ - 1));
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

// The first event, one after skipped indexes, one in a later bin, one that steps back in time,
// and overflows.
void OverviewSummary::take(const EventRecord& record) {
    if (record.index < nextIndex_)
        return;
    uint64_t t = record.timestamp;
    const bool first = !started_;
    if (first) {
        bins_.assign(binCount_, OverviewBin{});
        unkeptTimes_.assign(binCount_, 0);
        runningTimes_ = unkeptTimes_.data();
        started_ = true;
        firstEventIndex_ = record.index;
        origin_ = lastTime_ = runStart_ = t;
        currentBin_ = 0;
        currentBinEnd_ = binStart(1);
    } else {
        const uint32_t skipped = record.index - nextIndex_;
        skipped_ += skipped;
        t = std::max(t, lastTime_); // time never runs backwards inside the summary
        // What ran before an overflow is unknown: the views show that gap as Idle.
        if (record.id == OverflowEvent && runningId_ != IdleContext)
            switchTo(IdleContext, lastTime_);
        // Indexes skipped between two events of a bin are not its events.
        if (t >= currentBinEnd_)
            advanceTo(t);
        else
            skippedInBin_ += skipped;
    }
    OverviewBin& bin = bins_[currentBin_];
    if (bin.firstIndex == NoOverviewEvent) {
        bin.firstIndex = record.index;
        bin.firstOffset = record.streamPosition;
    }
    count(bin, record);
    if (first || record.contextAfter != runningId_)
        switchTo(record.contextAfter, t);
    lastTime_ = t;
    nextIndex_ = record.index + 1;
}

void OverviewSummary::takeFed(const EventRecord& record, OverviewCursor& cursor,
                              const ActivityTotals& totals) {
    // take() counts the event itself in its own bin.
    ActivityTotals before = totals;
    before.apiCalls -= record.id >= FirstCallId ? 1 : 0;
    if (record.id == LogOutputEvent)
        --before.messages[messageLevel(record.param2)];
    settle(cursor, before, cursor.indexesFollow ? record.index : nextIndex_);
    take(record);
    cursor = {lastTime_, currentBinEnd_, totals, true};
}

void OverviewSummary::settle(OverviewCursor& cursor, const ActivityTotals& totals,
                             uint32_t nextIndex) {
    if (started_) {
        OverviewBin& bin = bins_[currentBin_];
        bin.apiCalls += uint32_t(totals.apiCalls - cursor.counted.apiCalls);
        for (size_t level = 0; level < OverviewMessageLevels; ++level)
            bin.messages[level] +=
                uint32_t(totals.messages[level] - cursor.counted.messages[level]);
        lastTime_ = cursor.lastTime;
        nextIndex_ = nextIndex;
    }
    cursor.counted = totals;
}

// From the map, or a new slot.
void OverviewSummary::cacheRun(uint32_t contextId) {
    CachedRun& cached = runCache_[cacheSlot(contextId)];
    const size_t slot = slotOf(contextId);
    cached = {contextId, slot == NoSlot ? unkeptTimes_.data() : runTime_[slot].data()};
    runningId_ = contextId;
    runningTimes_ = cached.times;
}

void OverviewSummary::advanceTo(uint64_t t) {
    closeRun(lastTime_);
    bins_[currentBin_].events = currentBinEvents();
    skippedInBin_ = 0;
    fitTime(t);
    uint32_t bin = binOf(lastTime_);
    for (uint64_t from = lastTime_; from < t; ++bin) {
        const uint64_t pieceEnd = std::min(t, binStart(bin + 1));
        runningTimes_[bin] += pieceEnd - from;
        from = pieceEnd;
    }
    currentBin_ = binOf(t);
    currentBinEnd_ = binStart(currentBin_ + 1);
    runStart_ = t;
}

void OverviewSummary::fitTime(uint64_t t) {
    if (((t - origin_) >> binShift_) < binCount_)
        return;
    // Bins that cover the whole clock are the widest (at most 2^63 ticks), so the width never
    // overflows; a jump far ahead merges once, however many doublings it needs.
    const uint64_t needed = (t - origin_) / binCount_;
    unsigned shift = 0;
    while ((binWidth() << shift) <= needed)
        ++shift;
    if (shift != 0)
        mergeGroups(shift);
}

namespace {

// Group k of 2^shift neighbouring values among the first `used` takes the sum of the group
// (`add` sums into its first argument); the values after the groups are reset. Pairs, the
// usual case, take the short loop.
template <class T, class Add> void mergeValues(T* values, uint32_t used, unsigned shift, Add add) {
    uint32_t merged = 0;
    if (shift == 1) {
        for (uint32_t from = 0; from + 1 < used; from += 2, ++merged) {
            values[merged] = values[from];
            add(values[merged], values[from + 1]);
        }
        if (used % 2 != 0)
            values[merged++] = values[used - 1];
    } else {
        const uint64_t group = uint64_t(1) << std::min(shift, 32u);
        for (uint64_t first = 0; first < used; first += group, ++merged) {
            const uint32_t end = uint32_t(std::min<uint64_t>(first + group, used));
            values[merged] = values[first];
            for (uint32_t from = uint32_t(first) + 1; from < end; ++from)
                add(values[merged], values[from]);
        }
    }
    std::fill(values + merged, values + used, T{});
}

} // namespace

// Bins after the current one are empty: only the used ones merge.
void OverviewSummary::mergeGroups(unsigned shift) {
    const uint32_t used = binOf(lastTime_) + 1;
    mergeValues(bins_.data(), used, shift, [](OverviewBin& sum, const OverviewBin& part) {
        if (sum.firstIndex == NoOverviewEvent) {
            sum.firstIndex = part.firstIndex;
            sum.firstOffset = part.firstOffset;
        }
        sum.events += part.events;
        sum.apiCalls += part.apiCalls;
        for (size_t level = 0; level < OverviewMessageLevels; ++level)
            sum.messages[level] += part.messages[level];
    });
    for (std::vector<uint64_t>& times : runTime_)
        mergeValues(times.data(), used, shift, [](uint64_t& sum, uint64_t part) { sum += part; });
    binShift_ += shift;
}

size_t OverviewSummary::slotOf(uint32_t contextId) {
    if (const auto it = slots_.find(contextId); it != slots_.end())
        return it->second;
    if (contextIds_.size() >= OverviewContextLimit) {
        contextsCapped_ = true;
        return NoSlot;
    }
    contextIds_.push_back(contextId);
    runTime_.emplace_back(binCount_, 0);
    slots_.emplace(contextId, contextIds_.size() - 1);
    return contextIds_.size() - 1;
}

} // namespace kavrin
