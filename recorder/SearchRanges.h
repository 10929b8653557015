#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kavrin {

struct MemoryRange {
    uint32_t start = 0;
    uint32_t size = 0;
};

inline constexpr std::size_t MaxSearchRanges = 8;

struct SearchRangeList {
    enum Outcome { Ranges, Empty, Malformed };
    Outcome outcome = Empty;
    std::vector<MemoryRange> ranges; // at most MaxSearchRanges; a search skips those of size 0
};

// The user's control-block search ranges: pairs of start address (hexadecimal, "0x" optional)
// and size (hexadecimal after "0x", else decimal), separated by ",". Blank text is Empty; a
// pair beyond the eighth is dropped; a missing or digitless number makes the text Malformed.
SearchRangeList parseSearchRanges(std::string_view text);

} // namespace kavrin
