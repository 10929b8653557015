#pragma once

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
// Message levels 0 (message), 1 (warning), 2 (error); every other level counts in the last.
inline constexpr size_t OverviewMessageLevels = 4;
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
        countEvent(record);
        followSwitch(record);
    }
    // The per-event part of add(), for a caller that calls followSwitch() itself when the
    // event switched contexts. Indexes must not step back.
    void countEvent(const EventRecord& record) {
        // Most events follow the one before in the same bin: counted here, the rest in take().
        // A bin's event count comes from the first indexes, so this path looks only at what
        // needs the event itself.
        const uint64_t t = record.timestamp;
        // One comparison for both a time before the last event's and one past the bin.
        if (t - lastTime_ >= currentBinEnd_ - lastTime_ || record.index != nextIndex_ ||
            record.id == OverflowEvent || record.id == LogOutputEvent) {
            take(record);
            return;
        }
        lastTime_ = t;
        nextIndex_ = record.index + 1;
        bins_[currentBin_].apiCalls += record.id >= FirstCallId ? 1 : 0;
    }
    // The event just counted left another context running than before it.
    void followSwitch(const EventRecord& record) {
        if (record.contextAfter != runningId_)
            switchTo(record.contextAfter, lastTime_);
    }
    void clear();
    // Fewer bins make each input cheap for the fuzzers; clears the summary.
    void setBinCount(uint32_t bins);
    uint32_t binCount() const { return binCount_; }

    bool hasEvents() const { return started_; }
    uint64_t origin() const { return origin_; }     // timestamp of the first event
    uint64_t lastTime() const { return lastTime_; } // timestamp of the last event
    uint64_t binWidth() const { return binWidth_; } // in ticks
    // Bins from the first to the one holding the last event (0 without events).
    uint32_t usedBins() const;
    // Saturated at the end of the clock: the last bins may reach past 2^64 ticks.
    uint64_t binStart(uint32_t bin) const {
        const uint64_t room = ~uint64_t(0) - origin_;
        return bin > room / binWidth_ ? ~uint64_t(0) : origin_ + uint64_t(bin) * binWidth_;
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
    static constexpr uint32_t FirstCallId = 32;
    static constexpr uint32_t MessageLevelMask = 15;

    static void count(OverviewBin& bin, const EventRecord& record) {
        bin.apiCalls += record.id >= FirstCallId ? 1 : 0;
        if (record.id == LogOutputEvent)
            countMessage(bin, record);
    }
    static void countMessage(OverviewBin& bin, const EventRecord& record) {
        ++bin.messages[std::min<size_t>(record.param2 & MessageLevelMask,
                                        OverviewMessageLevels - 1)];
    }
    void take(const EventRecord& record);
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
        runningSlot_ = cached.slot;
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
        size_t slot = NoSlot;
    };
    // Fibonacci hashing: Idle, the scheduler, the timer and small ids all land apart.
    static uint32_t cacheSlot(uint32_t contextId) {
        return uint32_t(contextId * 0x9E37'79B1u) >> RunCacheShift;
    }
    static constexpr unsigned RunCacheShift = 26; // 64 entries: the top 6 bits of a hash
    std::array<CachedRun, size_t(1) << (32 - RunCacheShift)> runCache_{};
    uint64_t origin_ = 0;
    uint64_t lastTime_ = 0;
    uint64_t binWidth_ = 1;
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
    size_t runningSlot_ = NoSlot;
    uint64_t runStart_ = 0;      // since when it runs in the current bin
    uint32_t currentBin_ = 0;    // the bin of the last event
    uint64_t currentBinEnd_ = 0; // 0 before the first event: it takes the slow path
    bool contextsCapped_ = false;
};

} // namespace kavrin
