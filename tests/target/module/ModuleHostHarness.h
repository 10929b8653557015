#pragma once

#include "kavrin.h"

#include "target/MemoryAccess.h"
#include "target/ZtxFrontEnd.h"

#include <cstdint>
#include <vector>

namespace kavrin::test {

// What the module's port functions answer: the test sets the clock.
struct ModulePort {
    uint32_t timestamp = 0;
    uint64_t micros = 0;
    int lockDepth = 0;
};
ModulePort& modulePort();

inline constexpr uint32_t ModuleAreaAddress = 0x20000000;

// The module's area as target RAM at ModuleAreaAddress.
class ModuleMemory : public MemoryAccess {
public:
    bool read(uint32_t address, void* out, uint32_t size) override;
    bool write(uint32_t address, const void* data, uint32_t size) override;
};

// The host side: finds the control block by searching "RAM", reads the "Kavrin" channel and
// writes command bytes, as the probe library's channel terminal does.
class ModuleHost {
public:
    ModuleHost();

    ModuleMemory memory;
    ZtxFrontEnd terminal{memory};
    int32_t channel = -1;

    // Everything waiting in the channel, read `piece` bytes at a time.
    std::vector<uint8_t> drain(uint32_t piece = 32768);
    // The same, appended to `bytes`.
    void drainInto(std::vector<uint8_t>& bytes, uint32_t piece);
    // Command bytes into the down-channel, then kavrin_poll().
    void command(std::initializer_list<uint8_t> bytes);
};

} // namespace kavrin::test
