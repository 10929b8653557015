#pragma once

#include <cstdint>

namespace kavrin {

// What Go To goes to, in the order of its dialog's combo box.
enum class GoToType : int { Event = 0, TargetTimestamp = 1, RecordingTimestamp = 2 };

// What there is to go to: the stored events and the one selected in the event list.
struct GoToRange {
    bool hasEvents = false;
    uint32_t firstIndex = 0; // event indexes (numbers shown are index + 1)
    uint32_t lastIndex = 0;
    uint64_t firstTicks = 0; // timestamps
    uint64_t lastTicks = 0;
    uint32_t selectedIndex = 0; // the first event's when none is selected
    uint64_t selectedTicks = 0;
};

// Where to go: an event index, or a target timestamp in ticks.
struct GoToTarget {
    GoToType type = GoToType::Event;
    uint64_t value = 0;
};

} // namespace kavrin
