#pragma once

#include "target/ControlBlock.h"
#include "target/TargetMemory.h"

#include <cstdint>
#include <vector>

namespace kavrin::layout {

// Where things live in the simulated target's RAM. The control block goes where the
// configuration says, in the block area of the main RAM or anywhere in the CCM; names,
// buffers and the recorder's ring follow the block area.
inline constexpr uint32_t RamStart = 0x20000000;
inline constexpr uint32_t DataArea = 0x20001000; // names and small buffers
inline constexpr uint32_t RingArea = 0x20004000; // the recorder's up-channel
inline constexpr RamRegion Ccm = {0x10000000, 0x10000};

inline constexpr uint32_t TerminalName = DataArea;
inline constexpr uint32_t RecorderName = DataArea + 0x10;
inline constexpr uint32_t TerminalUp = DataArea + 0x100;
inline constexpr uint32_t TerminalUpSize = 1024;
inline constexpr uint32_t TerminalDown = DataArea + 0x500;
inline constexpr uint32_t TerminalDownSize = 16;
inline constexpr uint32_t RecorderDown = DataArea + 0x600;
inline constexpr uint32_t RecorderDownSize = 64;

inline constexpr uint32_t UpChannels = 2;
inline constexpr uint32_t DownChannels = 2;
inline constexpr uint32_t ControlBlockSize =
    ztx::HeaderSize + (UpChannels + DownChannels) * ztx::DescriptorSize;

inline std::vector<RamRegion> regions(uint32_t ringSize) {
    const uint32_t size = (RingArea - RamStart + ringSize + 0xFFFF) & ~0xFFFFu;
    return {{RamStart, size}, Ccm};
}

inline bool controlBlockFits(uint32_t address) {
    const uint64_t end = uint64_t(address) + ControlBlockSize;
    return (address >= RamStart && end <= DataArea) ||
           (address >= Ccm.start && end <= uint64_t(Ccm.start) + Ccm.size);
}

} // namespace kavrin::layout
