#include "engine/ContextTables.h"

#include <algorithm>

namespace kavrin {

void ContextInfo::resetRunStatistics() {
    lastRunTime = 0;
    maxRunTime = 0;
    minRunTime = 0xFFFFFFFFu;
    minRunIndex = 0;
    maxRunIndex = 0;
    lastIntervalRunTime = 0;
    minIntervalRunTime = 0xFFFFFFFFu;
    maxIntervalRunTime = 0;
    intervalRunTimeSum = 0;
    intervalCount = 0;
    lastIntervalRuns = 0;
    runTimeInInterval = 0;
    totalRunTime = 0;
    runsInInterval = 0;
    runCount = 0;
}

ContextInfo* ContextTable::lookUpAndCache(uint32_t id) const {
    auto found = index_.find(id);
    if (found == index_.end())
        return nullptr;
    cacheEntry(id) = {id, found->second};
    return found->second;
}

ContextInfo& ContextTable::add(uint32_t id) {
    entries_.push_back({id, std::make_unique<ContextInfo>()});
    ContextInfo* info = entries_.back().info.get();
    index_.emplace(id, info);
    changed = true;
    cacheEntry(id) = {id, info};
    return *info;
}

void ContextTable::clear() {
    index_.clear();
    entries_.clear();
    cache_ = {};
    changed = true;
}

std::vector<uint32_t> ContextTable::sortedIds() const {
    std::vector<uint32_t> ids;
    ids.reserve(index_.size());
    for (const auto& entry : index_)
        ids.push_back(entry.first);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::pair<IsrEntry&, bool> IsrTable::insert(uint32_t number) {
    auto [entry, inserted] = entries_.try_emplace(number);
    if (inserted) {
        entry->second.number = number;
        if (number < SmallNumbers)
            small_.set(number);
    }
    return {entry->second, inserted};
}

IsrEntry& IsrTable::registerIsr(uint32_t number) {
    auto [entry, inserted] = insert(number);
    if (inserted) {
        entry.name = "ISR #" + std::to_string(number);
        entry.sortKey = int32_t(number + 1000);
    }
    return entry;
}

IsrEntry& IsrTable::obtain(uint32_t number) {
    return insert(number).first;
}

const IsrEntry* IsrTable::find(uint32_t number) const {
    auto found = entries_.find(number);
    return found == entries_.end() ? nullptr : &found->second;
}

} // namespace kavrin
