#include "views/TimelineIndex.h"

#include "engine/EventStore.h"

#include <algorithm>

namespace kavrin {

void TimelineIndex::clear() {
    times_.clear();
    nodes_.clear();
    entries_.clear();
    apiCalls_.clear();
    messages_.clear();
    readyBySlot_.clear();
    slotIds_.clear();
    slotTable_.assign(size_t(1) << InitialSlotTableBits, {});
    slotTableBits_ = InitialSlotTableBits;
    firstNode_ = nullptr;
    ++generation_;
}

namespace {
// An array in large pages, to fault in; smaller ones come from the heap and are left alone.
template <class T>
void addLargeBlock(LargePageVector<T>& items, std::vector<std::span<std::byte>>& blocks) {
    const size_t bytes = items.capacity() * sizeof(T);
    if (bytes >= LargePageSize)
        blocks.emplace_back(reinterpret_cast<std::byte*>(items.data()), bytes);
}
} // namespace

void TimelineIndex::reserveAhead(size_t events) {
    if (events <= reservedEvents())
        return;
    prefault_.reset(); // the arrays move
    reserveArrays(events);
    std::vector<std::span<std::byte>> blocks;
    addLargeBlock(times_, blocks);
    addLargeBlock(nodes_, blocks);
    addLargeBlock(entries_, blocks);
    addLargeBlock(apiCalls_, blocks);
    prefault_.emplace(std::move(blocks));
}

void TimelineIndex::reserveArrays(size_t events) {
    times_.reserve(events);
    nodes_.reserve(events);
    entries_.reserve(events);
    apiCalls_.reserve(events);
}

bool TimelineIndex::stillMatches(const EventStore& store, const TimeBase& timeBase) const {
    if (timeBase.frequency != timeBase_.frequency || empty())
        return false;
    const EventNode* first = store.first();
    return first == firstNode_ && first->record.index == firstIndex_ && store.total() >= size() &&
           nodes_.back()->record.index == lastIndex_;
}

void TimelineIndex::sync(const EventStore& store, const TimeBase& timeBase) {
    if (store.total() == size() && (empty() || stillMatches(store, timeBase)))
        return;
    if (store.total() > reservedEvents())
        prefault_.reset(); // the arrays move
    EventNode* next = nullptr;
    if (stillMatches(store, timeBase)) {
        // An overflow resets the context after the node appended before it.
        entries_.back().after = slotFor(nodes_.back()->record.contextAfter);
        next = nodes_.back()->next;
    } else {
        clear();
        timeBase_ = timeBase;
        nsPerTick_ = timeBase.frequency ? 1e9 / double(timeBase.frequency) : 0;
        next = store.first();
        if (next) {
            firstNode_ = next;
            firstIndex_ = next->record.index;
        }
        reserveArrays(store.total());
    }
    for (; next; next = next->next)
        add(next);
    if (!empty())
        lastIndex_ = nodes_.back()->record.index;
    for (ReadyList& list : readyBySlot_)
        resolveReadyEnds(list);
    ++generation_;
}

void TimelineIndex::add(EventNode* node) {
    const EventRecord& record = node->record;
    const auto position = uint32_t(times_.size());
    times_.push_back(TicksToNs(timeBase_, record.timestamp));
    nodes_.push_back(node);
    entries_.push_back(
        {slotFor(record.contextBefore), slotFor(record.contextAfter), slotFor(record.context)});
    if (record.id >= FirstCallId)
        apiCalls_.push_back(position);
    else if (record.id == LogOutputEvent)
        messages_.push_back(position);
    else if (record.id == TaskReadyEvent && record.param1 != 0) {
        // Most ends are known by now: taken while the node is at hand, not looked up later.
        ReadyList& list = readyBySlot_[slotFor(record.param1)];
        list.spans.push_back({times_.back(), readyEndNs(*node, times_.back())});
        list.positions.push_back(position);
    }
}

uint64_t TimelineIndex::readyEndNs(const EventNode& node, uint64_t startNs) const {
    return node.endTime != 0 ? std::max(TicksToNs(timeBase_, node.endTime), startNs) : 0;
}

void TimelineIndex::resolveReadyEnds(ReadyList& list) {
    // Spans close in order, so only the ones from the first open span on need a look.
    for (; list.firstOpen < list.spans.size(); ++list.firstOpen) {
        ReadySpan& span = list.spans[list.firstOpen];
        if (span.endNs != 0)
            continue; // known when added
        const EventNode& node = *nodes_[list.positions[list.firstOpen]];
        if (node.endTime != 0)
            span.endNs = readyEndNs(node, span.startNs);
        else if (list.firstOpen + 1 < list.spans.size())
            span.endNs = list.spans[list.firstOpen + 1].startNs;
        else
            break;
    }
}

Slot TimelineIndex::addSlot(uint32_t contextId, size_t position) {
    const auto slot = Slot(slotIds_.size());
    slotIds_.push_back(contextId);
    readyBySlot_.emplace_back();
    if (2 * slotIds_.size() <= slotTable_.size()) {
        slotTable_[position] = {contextId, slot};
        return slot;
    }
    // Twice the room: every context is placed anew, this one with them.
    slotTable_.assign(slotTable_.size() * 2, {});
    ++slotTableBits_;
    for (Slot known = 0; known < slotIds_.size(); ++known)
        slotTable_[slotPosition(slotIds_[known])] = {slotIds_[known], known};
    return slot;
}

Slot TimelineIndex::findSlot(uint32_t contextId) const {
    const Slot slot = slotTable_[slotPosition(contextId)].slot;
    return slot == NoSlot ? Slot(slotIds_.size()) : slot;
}

size_t TimelineIndex::lastAtOrBefore(uint64_t ns) const {
    const auto it = std::upper_bound(times_.begin(), times_.end(), ns);
    return it == times_.begin() ? 0 : size_t(it - times_.begin()) - 1;
}

size_t TimelineIndex::firstAtOrAfter(uint64_t ns) const {
    return size_t(std::lower_bound(times_.begin(), times_.end(), ns) - times_.begin());
}

const std::vector<ReadySpan>& TimelineIndex::readySpans(Slot slot) const {
    static const std::vector<ReadySpan> none;
    return slot < readyBySlot_.size() ? readyBySlot_[slot].spans : none;
}

} // namespace kavrin
