#pragma once

namespace kavrin {

// What the program is doing; recording control drives most transitions.
enum class RunState {
    Created = 0,
    Started = 1,
    Idle = 2,
    Connecting = 3,
    Recording = 4,
    Loading = 5,
    Stopping = 6,
    Stopped = 7,
};

} // namespace kavrin
