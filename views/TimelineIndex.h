#pragma once

#include "engine/PagePrefault.h"
#include "presentation/TimeBase.h"
#include "views/LargePageAllocator.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kavrin {

class EventStore;
struct EventNode;

using Slot = uint32_t;

// From a Task Ready event until the task runs; `endNs` is 0 while that is not known.
struct ReadySpan {
    uint64_t startNs;
    uint64_t endNs;
};

// The views' sorted arrays over the stored events: times in ns, nodes and compact context
// slots, plus the positions of the events that get marks. Painting finds the events of a
// window by binary search instead of walking the list.
class TimelineIndex {
public:
    // Extends the index by the nodes appended since the last call; rebuilds it when the front
    // of the store or the time base changed.
    void sync(const EventStore& store, const TimeBase& timeBase);
    void clear();
    // Makes room for `events` events, whose pages another thread faults in meanwhile: a pass
    // about to store that many gets an index that costs no page zeroing when first painted.
    void reserveAhead(size_t events);

    size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    uint64_t timeNs(size_t i) const { return times_[i]; }
    EventNode* node(size_t i) const { return nodes_[i]; }
    Slot slotAfter(size_t i) const { return entries_[i].after; }
    Slot slotBefore(size_t i) const { return entries_[i].before; }
    Slot slotOwner(size_t i) const { return entries_[i].owner; }
    uint64_t firstNs() const { return times_.front(); }
    uint64_t lastNs() const { return times_.back(); }

    size_t slotCount() const { return slotIds_.size(); }
    uint32_t contextId(Slot slot) const { return slotIds_[slot]; }
    // The slot of a context, or slotCount() when the index has not met it.
    Slot findSlot(uint32_t contextId) const;

    // Position of the last event at or before `ns` (0 when all are later).
    size_t lastAtOrBefore(uint64_t ns) const;
    // Position of the first event at or after `ns` (size() when none).
    size_t firstAtOrAfter(uint64_t ns) const;

    // Positions of API calls (id 32 and above) and log outputs, ascending.
    const std::vector<uint32_t>& apiCalls() const { return apiCalls_; }
    const std::vector<uint32_t>& messages() const { return messages_; }
    // Ready spans of the task of `slot`, ascending. A span whose end never became known
    // (the task was made ready again first) ends where the next one starts.
    const std::vector<ReadySpan>& readySpans(Slot slot) const;
    // A tick count as nanoseconds, approximately (for pixel positions).
    double approxNs(uint64_t ticks) const { return double(ticks) * nsPerTick_; }

    // Changes whenever the indexed content changes.
    uint64_t generation() const { return generation_; }

private:
    struct Entry {
        Slot before;
        Slot after;
        Slot owner;
    };
    struct ReadyList {
        std::vector<ReadySpan> spans;
        std::vector<uint32_t> positions;
        size_t firstOpen = 0;
    };
    bool stillMatches(const EventStore& store, const TimeBase& timeBase) const;
    void add(EventNode* node);
    Slot slotFor(uint32_t contextId);
    void resolveReadyEnds(ReadyList& list);

    LargePageVector<uint64_t> times_;
    LargePageVector<EventNode*> nodes_;
    LargePageVector<Entry> entries_;
    // Over the three arrays above, declared after them so that it stops before they go.
    std::optional<PagePrefault> prefault_;
    std::vector<uint32_t> apiCalls_;
    std::vector<uint32_t> messages_;
    std::vector<ReadyList> readyBySlot_;
    std::vector<uint32_t> slotIds_;
    std::unordered_map<uint32_t, Slot> slots_;
    // Each event asks for three slots of a few contexts: most answers come from here.
    struct CachedSlot {
        uint32_t contextId = 0;
        Slot slot = NoSlotCached;
    };
    static constexpr Slot NoSlotCached = ~Slot(0);
    std::array<CachedSlot, 64> slotCache_{};

    const EventNode* firstNode_ = nullptr;
    uint32_t firstIndex_ = 0;
    uint32_t lastIndex_ = 0;
    TimeBase timeBase_;
    double nsPerTick_ = 0;
    uint64_t generation_ = 0;
};

} // namespace kavrin
