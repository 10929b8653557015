#include "engine/Checkpoints.h"

namespace kavrin {

void Checkpoints::take(const EventRecord& record, TrackerSnapshot state, uint64_t lastTime) {
    auto [entry, inserted] = entries_.try_emplace(record.index);
    if (!inserted)
        return;
    entry->second.record = deepCopy(record);
    entry->second.state = std::move(state);
    entry->second.lastTime = lastTime;
}

const Checkpoint* Checkpoints::find(uint32_t index) const {
    auto found = entries_.find(index);
    return found == entries_.end() ? nullptr : &found->second;
}

void Checkpoints::clear() {
    for (auto& entry : entries_)
        freeRecordBlocks(entry.second.record);
    entries_.clear();
}

} // namespace kavrin
