#include "target/DeviceRam.h"

#include "target/IniFile.h"

#include <array>

namespace kavrin {

namespace {

struct DeviceEntry {
    std::string_view name;
    std::array<RamRegion, 4> regions; // ended by a region of size 0
};

constexpr DeviceEntry Devices[] = {
    {"STM32F407VG", {{{0x20000000, 0x20000}, {0x10000000, 0x10000}}}},
    {"STM32H743ZI",
     {{{0x20000000, 0x20000},
       {0x24000000, 0x80000},
       {0x30000000, 0x48000},
       {0x38000000, 0x10000}}}},
    {"STM32L476RG", {{{0x20000000, 0x18000}, {0x10000000, 0x8000}}}},
    {"MPS2-AN385", {{{0x20000000, 0x400000}}}},
};

constexpr RamRegion UnknownDevice = {0x20000000, 0x10000};

} // namespace

std::vector<RamRegion> deviceRam(std::string_view device) {
    for (const DeviceEntry& entry : Devices) {
        if (!equalsIgnoringCase(entry.name, device))
            continue;
        std::vector<RamRegion> regions;
        for (const RamRegion& region : entry.regions) {
            if (region.size == 0)
                break;
            regions.push_back(region);
        }
        return regions;
    }
    return {UnknownDevice};
}

} // namespace kavrin
