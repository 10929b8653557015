#pragma once

#include "engine/ContextTracker.h"
#include "engine/EventRecord.h"

#include <cstdint>
#include <map>

namespace kavrin {

struct Checkpoint {
    EventRecord record; // owns its text and payload copies
    TrackerSnapshot state;
    // The running time decoding resumes with: the time of the record before this event (the
    // event's own time for event 0, whose delta counts as 0).
    uint64_t lastTime = 0;
};

// Event index (a multiple of the window step) -> where and how decoding can resume.
class Checkpoints {
public:
    Checkpoints() = default;
    Checkpoints(const Checkpoints&) = delete;
    Checkpoints& operator=(const Checkpoints&) = delete;
    ~Checkpoints() { clear(); }

    bool has(uint32_t index) const { return entries_.count(index) != 0; }
    void take(const EventRecord& record, TrackerSnapshot state, uint64_t lastTime);
    const Checkpoint* find(uint32_t index) const;
    void clear();
    size_t size() const { return entries_.size(); }

private:
    std::map<uint32_t, Checkpoint> entries_;
};

} // namespace kavrin
