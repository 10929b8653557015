#pragma once

#include <atomic>
#include <cstdint>

namespace kavrin {

// Commands the GUI hands to the recorder thread through pendingCommand.
enum RecorderCommand : int32_t {
    NoCommand = 0,
    StartCommand = 1,
    StopCommand = 2,
    QuitCommand = -1
};

// What the GUI thread and the recorder thread share. The GUI writes the command, the seconds
// counter and the module count; the thread clears the command when it has acted on it.
struct RecorderShared {
    std::atomic<int32_t> pendingCommand{NoCommand};
    std::atomic<int32_t> secondsCounter{0};
    std::atomic<uint32_t> moduleCount{0};
    std::atomic<bool> moduleCountChanged{false};
    std::atomic<bool> sessionOpen{false};
    // Set by the GUI before the thread starts, cleared by the thread (release) when its connect
    // attempt is over: what the attempt wrote is then visible to the GUI.
    std::atomic<bool> connecting{false};
};

} // namespace kavrin
