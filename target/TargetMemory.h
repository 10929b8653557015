#pragma once

#include "target/MemoryAccess.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kavrin {

struct RamRegion {
    uint32_t start = 0;
    uint32_t size = 0;
};

// The RAM of the simulated target: a few regions at their addresses, zeroed at start.
// Accesses from the firmware and from the probe may come from different threads.
class TargetMemory : public MemoryAccess {
public:
    explicit TargetMemory(const std::vector<RamRegion>& regions);

    bool read(uint32_t address, void* out, uint32_t size) override;
    bool write(uint32_t address, const void* data, uint32_t size) override;

    const std::vector<RamRegion>& regions() const { return regions_; }

private:
    uint8_t* locate(uint32_t address, uint32_t size);

    std::vector<RamRegion> regions_;
    std::vector<std::vector<uint8_t>> bytes_;
    std::mutex lock_;
};

} // namespace kavrin
