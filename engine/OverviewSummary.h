#pragma once

#include "engine/ActivityTotals.h"
#include "engine/EventRecord.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace kavrin {

inline constexpr uint32_t OverviewBins = 4096;
// Contexts past this many share no bins: their time is left out and `contextsCapped` says so.
inline constexpr uint32_t OverviewContextLimit = 256;
inline constexpr size_t OverviewMessageLevels = MessageLevels;
inline constexpr uint32_t NoOverviewEvent = 0xFFFF'FFFFu;

// Summary bins [first, end): a group of neighbouring bins shown as one.
struct OverviewRange {
    uint32_t first = 0;
    uint32_t end = 0;
};
// Group `group` of `groups` equal groups over `bins` bins: the bins that start inside it.
// Never empty while bins > 0: a group narrower than a bin gets the bin it lies in.
OverviewRange overviewGroup(uint32_t group, uint32_t groups, uint32_t bins);

// What one time bin of the whole recording holds.
struct OverviewBin {
    uint32_t events = 0;
    uint32_t apiCalls = 0;
    std::array<uint32_t, OverviewMessageLevels> messages{};
    uint32_t firstIndex = NoOverviewEvent; // the bin's first event, or none
    uint32_t firstOffset = 0;              // its stream position
};

// What the analysis pass keeps of the summary in its own loop: the time reached, the end of the
// current bin, and the tracker's totals when the summary last counted them into its bin.
struct OverviewCursor {
    uint64_t lastTime = 0;
    uint64_t binEnd = 0; // equal to lastTime: the next event goes to the summary itself
    ActivityTotals counted;
    bool indexesFollow = false; // false: the summary's next index is already the right one
};

// A summary of the whole recording in a fixed number of equal time bins: the run time of every
// context, the event counts and where each bin begins in the stream. It is fed every interpreted
// event once, in index order; when the recording outgrows the bins, neighbouring bins merge by
// pairs and the bin width doubles, so memory stays bins x contexts whatever the length.
class OverviewSummary {
public:
    explicit OverviewSummary(uint32_t bins = OverviewBins);
    // The running context's times may point into the summary itself.
    OverviewSummary(const OverviewSummary&) = delete;
    OverviewSummary& operator=(const OverviewSummary&) = delete;

    // Takes in an event after the tracker interpreted it. Events at an index the summary has
    // passed already (a window reloaded over them) are ignored.
    void add(const EventRecord& record) {
        if (record.index < nextIndex_)
            return;
        // One comparison for both a time before the last event's and one past the bin.
        const uint64_t t = record.timestamp;
        if (t - lastTime_ >= currentBinEnd_ - lastTime_ || record.index != nextIndex_ ||
            record.id == OverflowEvent || record.id == LogOutputEvent) {
            take(record);
            return;
        }
        lastTime_ = t;
        nextIndex_ = record.index + 1;
        bins_[currentBin_].apiCalls += record.id >= FirstCallId ? 1 : 0;
        followSwitch(record.contextAfter, t);
    }

    // The analysis pass feeds every event of a range in index order, after the tracker counted
    // it in `totals`; an event the pass does not feed (a Sync record) goes to skip(). Most
    // events stay in the current bin: the cursor then only notes their time. The summary is up
    // to date after finishFeed().
    OverviewCursor startFeed(const ActivityTotals& totals) const {
        // The range's first event goes to the summary itself, which checks its index.
        return {lastTime_, lastTime_, totals, false};
    }
    void feed(const EventRecord& record, OverviewCursor& cursor, const ActivityTotals& totals) {
        const uint64_t t = record.timestamp;
        if (t - cursor.lastTime >= cursor.binEnd - cursor.lastTime || record.id == OverflowEvent) {
            takeFed(record, cursor, totals);
            return;
        }
        cursor.lastTime = t;
    }
    // The event just fed switched to `contextAfter` (a switch to the running context only
    // splits its run).
    void followSwitch(uint32_t contextAfter, const OverviewCursor& cursor) {
        switchTo(contextAfter, cursor.lastTime);
    }
    void skip(uint32_t index, OverviewCursor& cursor, const ActivityTotals& totals) {
        if (cursor.indexesFollow)
            settle(cursor, totals, index);
        cursor.indexesFollow = false;
        cursor.binEnd = cursor.lastTime;
    }
    // `end` is the index after the last event fed or skipped.
    void finishFeed(OverviewCursor& cursor, const ActivityTotals& totals, uint32_t end) {
        settle(cursor, totals, cursor.indexesFollow ? end : nextIndex_);
    }

    void clear();
    // Fewer bins make each input cheap for the fuzzers; clears the summary.
    void setBinCount(uint32_t bins);
    uint32_t binCount() const { return binCount_; }

    bool hasEvents() const { return started_; }
    uint64_t origin() const { return origin_; }                    // timestamp of the first event
    uint64_t lastTime() const { return lastTime_; }                // timestamp of the last event
    uint64_t binWidth() const { return uint64_t(1) << binShift_; } // in ticks
    // Bins from the first to the one holding the last event (0 without events).
    uint32_t usedBins() const;
    // Saturated at the end of the clock: the last bins may reach past 2^64 ticks.
    uint64_t binStart(uint32_t bin) const {
        const uint64_t room = ~uint64_t(0) - origin_;
        return bin > room >> binShift_ ? ~uint64_t(0) : origin_ + (uint64_t(bin) << binShift_);
    }
    // The bin holding timestamp `t` (clamped to the used bins).
    uint32_t binOf(uint64_t t) const;
    OverviewBin bin(uint32_t index) const;
    // An event at about time `t`: the first of t's bin, else of the next bin holding events,
    // else of the last one before. NoOverviewEvent without events.
    uint32_t eventNear(uint64_t t) const;

    // Contexts in the order first met; their run time per bin, in ticks.
    size_t contextCount() const { return contextIds_.size(); }
    uint32_t contextId(size_t slot) const { return contextIds_[slot]; }
    uint64_t runTime(size_t slot, uint32_t bin) const {
        return runTime_[slot][bin] + openRun(slot, {bin, bin + 1});
    }
    bool contextsCapped() const { return contextsCapped_; }
    // Summed over a range of bins.
    uint64_t runTime(size_t slot, OverviewRange range) const;
    // The ticks of the recording that a range of bins covers (the last bin ends at the last
    // event).
    uint64_t coveredTicks(OverviewRange range) const;

    uint64_t eventCount() const {
        return started_ ? uint64_t(nextIndex_ - firstEventIndex_) - skipped_ : 0;
    }
    uint32_t nextIndex() const { return nextIndex_; }

private:
    static void count(OverviewBin& bin, const EventRecord& record) {
        bin.apiCalls += record.id >= FirstCallId ? 1 : 0;
        if (record.id == LogOutputEvent)
            ++bin.messages[messageLevel(record.param2)];
    }
    void take(const EventRecord& record);
    // An event the cursor cannot count: the totals up to it go to the current bin first.
    void takeFed(const EventRecord& record, OverviewCursor& cursor, const ActivityTotals& totals);
    // The current bin takes what the tracker counted since the cursor last looked, and the
    // summary the cursor's time; `nextIndex` follows the last event counted.
    void settle(OverviewCursor& cursor, const ActivityTotals& totals, uint32_t nextIndex);
    void followSwitch(uint32_t contextAfter, uint64_t at) {
        if (contextAfter != runningId_)
            switchTo(contextAfter, at);
    }
    void fitTime(uint64_t t);
    // Every group of 2^shift neighbouring bins becomes one.
    void mergeGroups(unsigned shift);
    // The running context's time is added up when it stops running or its bin ends.
    void closeRun(uint64_t at) {
        runningTimes_[currentBin_] += at - runStart_;
        runStart_ = at;
    }
    void switchTo(uint32_t contextId, uint64_t at) {
        closeRun(at);
        setRunning(contextId);
    }
    void setRunning(uint32_t contextId) {
        const CachedRun& cached = runCache_[cacheSlot(contextId)];
        if (cached.times == nullptr || cached.contextId != contextId) {
            cacheRun(contextId);
            return;
        }
        runningId_ = contextId;
        runningTimes_ = cached.times;
    }
    // A context the cache does not hold yet becomes the running one.
    void cacheRun(uint32_t contextId);
    // The time of the running context not yet added to a bin, if `slot` is its and the range
    // holds the current bin.
    uint64_t openRun(size_t slot, OverviewRange range) const;
    // The current bin's events: its indexes up to the last event, without those skipped.
    uint32_t currentBinEvents() const {
        return nextIndex_ - bins_[currentBin_].firstIndex - skippedInBin_;
    }
    // Moves on to a later bin than the current one: the run time up to `t`, bin by bin.
    void advanceTo(uint64_t t);
    size_t slotOf(uint32_t contextId);

    static constexpr size_t NoSlot = ~size_t(0);

    uint32_t binCount_;
    std::vector<OverviewBin> bins_;
    std::vector<std::vector<uint64_t>> runTime_; // per context slot, one per bin
    std::vector<uint32_t> contextIds_;
    std::unordered_map<uint32_t, size_t> slots_;
    struct CachedRun {
        uint32_t contextId = 0;
        uint64_t* times = nullptr; // the context's run time per bin; none: an empty entry
    };
    // Fibonacci hashing: Idle, the scheduler, the timer and small ids all land apart.
    static uint32_t cacheSlot(uint32_t contextId) {
        return uint32_t(contextId * 0x9E37'79B1u) >> RunCacheShift;
    }
    static constexpr unsigned RunCacheShift = 26; // 64 entries: the top 6 bits of a hash
    std::array<CachedRun, size_t(1) << (32 - RunCacheShift)> runCache_{};
    uint64_t origin_ = 0;
    uint64_t lastTime_ = 0;
    unsigned binShift_ = 0; // bins are 2^binShift_ ticks wide
    bool started_ = false;
    uint32_t firstEventIndex_ = 0;
    uint32_t nextIndex_ = 0;
    // Indexes never added (Sync records): in all, and in the current bin's range of indexes.
    uint64_t skipped_ = 0;
    uint32_t skippedInBin_ = 0;
    uint32_t runningId_ = 0;
    // Where the time of contexts past the limit goes, never read.
    std::vector<uint64_t> unkeptTimes_;
    uint64_t* runningTimes_ = nullptr; // per bin, of the running context
    uint64_t runStart_ = 0;            // since when it runs in the current bin
    uint32_t currentBin_ = 0;          // the bin of the last event
    uint64_t currentBinEnd_ = 0;       // 0 before the first event: it takes the slow path
    bool contextsCapped_ = false;
};

} // namespace kavrin
