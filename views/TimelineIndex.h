#pragma once

#include "engine/PagePrefault.h"
#include "presentation/TimeBase.h"
#include "views/LargePageAllocator.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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
    std::span<const uint32_t> apiCalls() const { return apiCalls_; }
    std::span<const uint32_t> messages() const { return messages_; }
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
    // Events the faulted-in arrays hold without moving: the API calls' grows on its own.
    size_t reservedEvents() const { return std::min(times_.capacity(), apiCalls_.capacity()); }
    // Room for `events` in each of the arrays that hold one entry per event, at most.
    void reserveArrays(size_t events);
    void add(EventNode* node);
    // Each event asks for three slots: an open-addressed table of the few contexts answers
    // with one or two compares.
    Slot slotFor(uint32_t contextId) {
        const size_t found = slotPosition(contextId);
        return slotTable_[found].slot != NoSlot ? slotTable_[found].slot
                                                : addSlot(contextId, found);
    }
    // Where the context's entry is, or the free entry where it belongs.
    size_t slotPosition(uint32_t contextId) const {
        const size_t mask = slotTable_.size() - 1;
        size_t position = (contextId * 0x9E37'79B1u) >> (32 - slotTableBits_);
        while (slotTable_[position].slot != NoSlot && slotTable_[position].contextId != contextId)
            position = (position + 1) & mask;
        return position;
    }
    Slot addSlot(uint32_t contextId, size_t position);
    void resolveReadyEnds(ReadyList& list);
    uint64_t readyEndNs(const EventNode& node, uint64_t startNs) const;

    LargePageVector<uint64_t> times_;
    LargePageVector<EventNode*> nodes_;
    LargePageVector<Entry> entries_;
    // Most events of a busy system are API calls: room for one per event, set aside with the
    // arrays above instead of grown by copies while the first paint waits.
    LargePageVector<uint32_t> apiCalls_;
    // Over the four arrays above, declared after them so that it stops before they go.
    std::optional<PagePrefault> prefault_;
    std::vector<uint32_t> messages_;
    std::vector<ReadyList> readyBySlot_;
    std::vector<uint32_t> slotIds_;
    struct SlotEntry {
        uint32_t contextId = 0;
        Slot slot = NoSlot;
    };
    static constexpr Slot NoSlot = ~Slot(0);
    static constexpr unsigned InitialSlotTableBits = 6;
    // At most half full, so that a lookup ends soon.
    std::vector<SlotEntry> slotTable_ = std::vector<SlotEntry>(size_t(1) << InitialSlotTableBits);
    unsigned slotTableBits_ = InitialSlotTableBits;

    const EventNode* firstNode_ = nullptr;
    uint32_t firstIndex_ = 0;
    uint32_t lastIndex_ = 0;
    TimeBase timeBase_;
    double nsPerTick_ = 0;
    uint64_t generation_ = 0;
};

} // namespace kavrin
