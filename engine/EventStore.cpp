#include "engine/EventStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kavrin {
namespace {

// Node blocks grow from small (a short recording stays small) to blocks of large pages.
constexpr size_t FirstNodeBlockSize = 1'024;
constexpr size_t SmallNodeBlocks = 4;
constexpr size_t LargeNodeBlockSize = 2 * LargePageSize / sizeof(EventNode);

size_t nodeBlockSize(size_t block) {
    return block < SmallNodeBlocks ? FirstNodeBlockSize << block : LargeNodeBlockSize;
}

} // namespace

EventClass eventClassOf(uint32_t id) {
    switch (id) {
    case 2:
    case 3:
    case 18:
        return EventClass::Interrupt;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 17:
    case 19:
    case 20:
    case 21:
        return EventClass::Task;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 22:
    case 24:
    case 25:
    case 27:
        return EventClass::System;
    case 15:
    case 16:
        return EventClass::User;
    case 26:
        return EventClass::Message;
    case 28:
        return EventClass::Api;
    default:
        return id >= FirstCallId ? EventClass::Api : EventClass::AlwaysShown;
    }
}

// Appending classifies coarsely (the full table applies on the next rebuild), so that a
// message appended under an active filter stays visible until then.
static EventClass appendClassOf(uint32_t id) {
    if (id == 2 || id == 3)
        return EventClass::Interrupt;
    if (id >= 4 && id <= 7)
        return EventClass::Task;
    return id < 32 ? EventClass::AlwaysShown : EventClass::Api;
}

EventStore::EventStore() = default;

// Nodes come from the free list, else from the unused part of the newest block. A block's
// memory is touched only as its nodes are handed out, so the first touch of new memory is
// spread over the events instead of stalling one slice for a whole block.
EventNode* EventStore::makeNode(const EventRecord& record) {
    EventNode* node = freeList_;
    if (node) {
        freeList_ = node->next;
    } else {
        if (unusedNodes_ == 0) {
            if (blocksInUse_ == nodeBlocks_.size() && !appendNodeBlock())
                throw std::bad_alloc();
            unused_ = nodeBlocks_[blocksInUse_].get();
            unusedNodes_ = nodeBlockSize(blocksInUse_++);
        }
        node = new (unused_) EventNode;
        unused_ += sizeof(EventNode);
        --unusedNodes_;
    }
    node->next = nullptr;
    node->previous = nullptr;
    node->endTime = 0;
    node->record = record;
    node->row = 0;
    if (record.text)
        node->record.text = reinterpret_cast<char*>(
            blocks_.keep(record.text, uint32_t(std::strlen(record.text)), true, record.index));
    node->record.payload = nullptr;
    if (record.payload && record.payloadSize != 0)
        node->record.payload =
            blocks_.keep(record.payload, record.payloadSize, false, record.index);
    else
        node->record.payloadSize = 0;
    return node;
}

// The node's blocks go with their chunk (see dropFront and clear).
void EventStore::freeNode(EventNode* node) {
    node->next = freeList_;
    freeList_ = node;
}

bool EventStore::shown(const EventNode* node) const {
    const EventClass eventClass = eventClassOf(node->record.id);
    return eventClass == EventClass::AlwaysShown || classShown_[size_t(eventClass)];
}

void EventStore::append(EventNode* node) {
    node->previous = last_;
    node->next = nullptr;
    if (last_)
        last_->next = node;
    else
        first_ = node;
    last_ = node;
    node->row = total_++;
    if (!filterActive_)
        return;
    const EventClass eventClass = appendClassOf(node->record.id);
    if (eventClass == EventClass::AlwaysShown || classShown_[size_t(eventClass)]) {
        node->row = rowCount();
        rowTable_.push_back(node);
    } else {
        node->row = lastShownRow();
    }
}

void EventStore::insertBefore(EventNode* node) {
    // Earlier events arrive in index order: go on from the node inserted last.
    EventNode* after = first_;
    if (insertHint_ && insertHint_->record.index < node->record.index)
        after = insertHint_;
    while (after && after->record.index < node->record.index)
        after = after->next;
    if (!after) {
        append(node);
        return;
    }
    node->next = after;
    node->previous = after->previous;
    if (after->previous)
        after->previous->next = node;
    else
        first_ = node;
    after->previous = node;
    ++total_;
    cursor_ = nullptr;
    insertHint_ = node;
}

EventNode* EventStore::nodeAt(uint32_t row) {
    if (row >= rowCount())
        return nullptr;
    if (filterActive_)
        return rowTable_[row];
    EventNode* node = cursor_ ? cursor_ : first_;
    // Start from whichever of cursor, first or last is nearest.
    const uint32_t fromCursor = node->row > row ? node->row - row : row - node->row;
    if (row < fromCursor)
        node = first_;
    else if (total_ - 1 - row < fromCursor)
        node = last_;
    while (node && node->row < row)
        node = node->next;
    while (node && node->row > row)
        node = node->previous;
    cursor_ = node;
    return node;
}

void EventStore::setClassShown(EventClass eventClass, bool shownFlag) {
    if (eventClass != EventClass::AlwaysShown)
        classShown_[size_t(eventClass)] = shownFlag;
}

bool EventStore::classShown(EventClass eventClass) const {
    return eventClass == EventClass::AlwaysShown || classShown_[size_t(eventClass)];
}

void EventStore::renumber() {
    cursor_ = nullptr;
    if (filterActive_) {
        numberFilteredRows();
        return;
    }
    uint32_t row = 0;
    for (EventNode* node = first_; node; node = node->next)
        node->row = row++;
}

void EventStore::numberFilteredRows() {
    rowTable_.clear();
    rowTable_.reserve(total_);
    for (EventNode* node = first_; node; node = node->next) {
        if (shown(node)) {
            node->row = uint32_t(rowTable_.size());
            rowTable_.push_back(node);
        } else {
            node->row = lastShownRow();
        }
    }
}

void EventStore::rebuildFilter() {
    filterActive_ =
        !std::all_of(classShown_.begin(), classShown_.end(), [](bool on) { return on; });
    renumber();
}

uint32_t EventStore::dropFront(uint32_t n) {
    const uint32_t dropCount = std::min(total_, n);
    if (dropCount == 0)
        return 0;
    EventNode* firstKept = first_;
    for (uint32_t i = 0; i < dropCount; ++i)
        firstKept = firstKept->next;
    if (beforeDrop)
        beforeDrop(firstKept);
    // The row table never names a freed node; rows are right again after renumber().
    if (filterActive_) {
        const auto kept = firstKept ? std::partition_point(rowTable_.begin(), rowTable_.end(),
                                                           [firstKept](const EventNode* node) {
                                                               return node->record.index <
                                                                      firstKept->record.index;
                                                           })
                                    : rowTable_.end();
        rowTable_.erase(rowTable_.begin(), kept);
    }
    for (EventNode* node = first_; node != firstKept;) {
        EventNode* next = node->next;
        freeNode(node);
        node = next;
    }
    first_ = firstKept;
    if (first_)
        first_->previous = nullptr;
    else
        last_ = nullptr;
    total_ -= dropCount;
    cursor_ = nullptr;
    insertHint_ = nullptr;
    blocks_.releaseBefore(first_ ? first_->record.index : uint64_t(UINT32_MAX) + 1);
    // Entries pointing at dropped nodes must go, whatever second they are filed under.
    std::erase_if(timeIndex_, [this](const auto& entry) {
        return !first_ || entry.second->record.index < first_->record.index;
    });
    timeIndexChanged();
    return dropCount;
}

void EventStore::indexLaterSecond(uint64_t ticks, uint32_t frequency, EventNode* node) {
    const uint64_t second = ticks / frequency;
    if (timeIndex_.empty() || second > timeIndex_.rbegin()->first)
        timeIndex_.emplace_hint(timeIndex_.end(), second, node);
    const uint64_t last = timeIndex_.rbegin()->first;
    // A second that ends past the largest tick count never ends.
    indexedUntil_ = last < UINT64_MAX / frequency ? (last + 1) * frequency : UINT64_MAX;
    indexedFrequency_ = frequency;
}

bool EventStore::appendNodeBlock() {
    const size_t block = nodeBlocks_.size();
    const size_t size = nodeBlockSize(block);
    nodeBlocks_.push_back(allocatePoolBlock(size * sizeof(EventNode)));
    if (!nodeBlocks_.back()) {
        nodeBlocks_.pop_back();
        return false;
    }
    pooledNodes_ += size;
    return true;
}

std::vector<std::span<std::byte>> EventStore::reserveNodes(size_t nodes) {
    std::vector<std::span<std::byte>> added;
    while (pooledNodes_ < nodes && appendNodeBlock()) {
        const size_t block = nodeBlocks_.size() - 1;
        if (block >= SmallNodeBlocks)
            added.emplace_back(nodeBlocks_[block].get(), nodeBlockSize(block) * sizeof(EventNode));
    }
    return added;
}

void EventStore::clear() {
    for (EventNode* node = first_; node;) {
        EventNode* next = node->next;
        freeNode(node);
        node = next;
    }
    first_ = last_ = cursor_ = insertHint_ = nullptr;
    total_ = 0;
    rowTable_.clear();
    timeIndex_.clear();
    timeIndexChanged();
    blocks_.clear();
}

EventNode* EventStore::nodeAtTime(uint64_t timestamp) const {
    if (!first_)
        return nullptr;
    // Start at the indexed node of the latest second not after the time (or the first node).
    EventNode* node = first_;
    for (auto entry = timeIndex_.rbegin(); entry != timeIndex_.rend(); ++entry) {
        if (entry->second->record.timestamp <= timestamp) {
            node = entry->second;
            break;
        }
    }
    while (node->next && node->next->record.timestamp <= timestamp)
        node = node->next;
    return node;
}

} // namespace kavrin
