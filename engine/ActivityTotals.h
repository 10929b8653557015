#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace kavrin {

// Message levels 0 (message), 1 (warning), 2 (error); every other level counts in the last.
inline constexpr size_t MessageLevels = 4;

inline size_t messageLevel(uint32_t logOptions) {
    return std::min<size_t>(logOptions & 15, MessageLevels - 1);
}

// API calls and log messages by level, counted by the tracker's own cases since its reset: the
// overview summary of an analysis pass takes per-bin counts as differences of these.
struct ActivityTotals {
    uint64_t apiCalls = 0;
    std::array<uint64_t, MessageLevels> messages{};
};

} // namespace kavrin
