#pragma once

#include <cstdint>

namespace kavrin {

// Reads and writes of target memory, as a debug probe does them. An access fails as a whole
// when any of its bytes lies outside the target's RAM.
class MemoryAccess {
public:
    virtual ~MemoryAccess() = default;
    virtual bool read(uint32_t address, void* out, uint32_t size) = 0;
    virtual bool write(uint32_t address, const void* data, uint32_t size) = 0;

    bool readWord(uint32_t address, uint32_t& value) { return read(address, &value, 4); }
    bool writeWord(uint32_t address, uint32_t value) { return write(address, &value, 4); }
};

} // namespace kavrin
