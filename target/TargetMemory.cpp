#include "target/TargetMemory.h"

#include <cstring>

namespace kavrin {

TargetMemory::TargetMemory(const std::vector<RamRegion>& regions) : regions_(regions) {
    for (const RamRegion& region : regions_)
        bytes_.emplace_back(region.size, 0);
}

uint8_t* TargetMemory::locate(uint32_t address, uint32_t size) {
    for (size_t i = 0; i < regions_.size(); ++i) {
        const uint64_t offset = uint64_t(address) - regions_[i].start;
        if (address >= regions_[i].start && offset + size <= regions_[i].size)
            return bytes_[i].data() + offset;
    }
    return nullptr;
}

bool TargetMemory::read(uint32_t address, void* out, uint32_t size) {
    std::lock_guard guard(lock_);
    const uint8_t* source = locate(address, size);
    if (!source)
        return false;
    std::memcpy(out, source, size);
    return true;
}

bool TargetMemory::write(uint32_t address, const void* data, uint32_t size) {
    std::lock_guard guard(lock_);
    uint8_t* target = locate(address, size);
    if (!target)
        return false;
    std::memcpy(target, data, size);
    return true;
}

} // namespace kavrin
