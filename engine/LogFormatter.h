#pragma once

#include <cstdint>

namespace kavrin {

struct FormattedLog {
    char* text = nullptr; // malloc block, NUL-terminated
    uint32_t length = 0;  // without the NUL
    uint32_t options = 0; // level in bits 0-7, indentation in bits 8-15
};

// Formats a Log Output block (format string, options, argument count, arguments) with the
// target's small printf into a buffer of max(size, 512) bytes.
FormattedLog formatLogOutput(const uint8_t* block, uint32_t size);
// Only the options of a Log Output block, without formatting (nor allocating) anything.
uint32_t logOutputOptionsRead(const uint8_t* block, uint32_t size);
inline uint32_t logOutputOptions(const uint8_t* block, uint32_t size) {
    // Mostly a short format (one length byte) and options of one byte: read in place.
    if (size != 0) {
        const uint32_t at = uint32_t(block[0]) + 1;
        if (block[0] != 0xFF && at < size && block[at] < 0x80)
            return block[at];
    }
    return logOutputOptionsRead(block, size);
}

} // namespace kavrin
