#pragma once

#include "engine/EventRecord.h"
#include "engine/PoolBlock.h"
#include "engine/StoredBlocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

namespace kavrin {

class EventStore;

struct EventNode {
    EventNode* next = nullptr;
    EventNode* previous = nullptr;
    uint64_t endTime = 0; // end of the span the views draw; 0 until known
    // Text and payload live in the store's block memory. `row` fills the record's tail padding.
    [[no_unique_address]] EventRecord record;
    uint32_t row = 0;
};

// A million stored events: the node is most of their memory.
static_assert(sizeof(EventNode) <= 88);

// Nodes live in raw pooled blocks and are never destroyed, only reused.
static_assert(std::is_trivially_destructible_v<EventNode>);

// Filter classes of the event list.
enum class EventClass : uint8_t { Interrupt, Task, System, User, Message, Api, AlwaysShown };
inline constexpr size_t FilterClassCount = 6;

EventClass eventClassOf(uint32_t id);

// The stored window of events: a doubly linked list of pooled nodes in index order, the
// filtered row table and the time index (second of target time -> node).
class EventStore {
public:
    EventStore();
    // Nodes need no destruction: the pool's blocks go as they are, without a walk over a
    // million nodes to list them as free.
    ~EventStore() = default;
    EventStore(const EventStore&) = delete;
    EventStore& operator=(const EventStore&) = delete;

    // A node holding `record` with copies of its text and payload in the store's block memory.
    EventNode* makeNode(const EventRecord& record);
    // Allocates the pool's blocks for `nodes` nodes in all, untouched; returns the blocks of
    // large pages this added, so that another thread can take their first touch (PagePrefault).
    std::vector<std::span<std::byte>> reserveNodes(size_t nodes);
    // Nodes the pool's blocks hold, handed out or not.
    size_t pooledNodes() const { return pooledNodes_; }

    void append(EventNode* node);
    void insertBefore(EventNode* node);
    EventNode* nodeAt(uint32_t row);
    uint32_t rowCount() const { return filterActive_ ? uint32_t(rowTable_.size()) : total_; }
    uint32_t total() const { return total_; }
    EventNode* first() const { return first_; }
    EventNode* last() const { return last_; }
    // The first stored event's timestamp, 0 when none: the event list's time origin.
    uint64_t firstTimestamp() const { return first_ ? first_->record.timestamp : 0; }

    void setClassShown(EventClass eventClass, bool shown);
    bool classShown(EventClass eventClass) const;
    bool filterActive() const { return filterActive_; }
    void rebuildFilter();
    // Numbers the rows again (after a drop or insertions), under the filter if one is active.
    void renumber();

    // Frees the first min(total, n) nodes; returns how many. Called before the nodes go, so
    // that holders of node references can let go of them.
    uint32_t dropFront(uint32_t n);
    void clear();
    std::function<void(EventNode* firstKept)> beforeDrop;

    // Time index: the first stored node of each second of target time. Files `node`, at
    // `ticks`, if it is the first of a second later than every one filed.
    void indexTime(uint64_t ticks, uint32_t frequency, EventNode* node) {
        // Most events fall in the second filed last: no division, no look into the map.
        if (ticks < indexedUntil_ && frequency == indexedFrequency_)
            return;
        indexLaterSecond(ticks, frequency, node);
    }
    bool timeIndexEmpty() const { return timeIndex_.empty(); }
    const std::map<uint64_t, EventNode*>& timeIndex() const { return timeIndex_; }

    // The node with the largest timestamp not after `timestamp` (first node if none).
    EventNode* nodeAtTime(uint64_t timestamp) const;

    // Bytes of the stored texts and payloads, for measurements.
    size_t blockBytes() const { return blocks_.bytes(); }

private:
    void freeNode(EventNode* node);
    void numberFilteredRows();
    bool shown(const EventNode* node) const;

    EventNode* first_ = nullptr;
    EventNode* last_ = nullptr;
    uint32_t total_ = 0;
    EventNode* cursor_ = nullptr;
    EventNode* insertHint_ = nullptr;

    // A hidden node takes the row of the last shown one.
    uint32_t lastShownRow() const { return rowTable_.empty() ? 0 : uint32_t(rowTable_.size() - 1); }

    std::vector<EventNode*> rowTable_; // the shown nodes while a filter is active
    bool filterActive_ = false;
    std::array<bool, FilterClassCount> classShown_{true, true, true, true, true, true};

    void indexLaterSecond(uint64_t ticks, uint32_t frequency, EventNode* node);
    // Forgets where the last second filed ends, after the map changed.
    void timeIndexChanged() { indexedFrequency_ = 0; }

    std::map<uint64_t, EventNode*> timeIndex_;
    uint64_t indexedUntil_ = 0;     // the end of the last second filed, in ticks
    uint32_t indexedFrequency_ = 0; // the frequency of that end; 0: not known

    // Adds a block to the node pool; false when memory ran out.
    bool appendNodeBlock();

    // Node pool: blocks of nodes, a free list through `next`. Blocks from `blocksInUse_` on
    // were reserved and no node was handed out from them yet.
    std::vector<PoolBlock> nodeBlocks_;
    size_t blocksInUse_ = 0;
    size_t pooledNodes_ = 0;
    EventNode* freeList_ = nullptr;
    std::byte* unused_ = nullptr; // the newest block's nodes not handed out yet
    size_t unusedNodes_ = 0;

    StoredBlocks blocks_;
};

} // namespace kavrin
