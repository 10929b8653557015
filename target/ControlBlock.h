#pragma once

#include <cstdint>
#include <string_view>

namespace kavrin::ztx {

// The control block the recorder module keeps in target RAM (little-endian):
//   0  identifier, 16 bytes: "NORVAN ZTX" and six NUL bytes
//   16 number of up-channel descriptors (signed 32-bit)
//   20 number of down-channel descriptors (signed 32-bit)
//   24 the up-channel descriptors, then the down-channel descriptors, 24 bytes each
inline constexpr std::string_view Identifier = "NORVAN ZTX";
inline constexpr uint32_t IdentifierSize = 16;
inline constexpr uint32_t UpCountOffset = 16;
inline constexpr uint32_t DownCountOffset = 20;
inline constexpr uint32_t HeaderSize = 24;
inline constexpr int32_t MaxChannels = 64;

// A channel descriptor: six unsigned 32-bit fields.
inline constexpr uint32_t DescriptorSize = 24;
inline constexpr uint32_t NameField = 0;
inline constexpr uint32_t BufferField = 4;
inline constexpr uint32_t SizeField = 8;
inline constexpr uint32_t WriteOffsetField = 12;
inline constexpr uint32_t ReadOffsetField = 16;
inline constexpr uint32_t FlagsField = 20;

enum Direction : uint32_t { Up = 0, Down = 1 }; // up: target to host

inline constexpr std::string_view KavrinChannel = "Kavrin";
inline constexpr std::string_view TerminalChannel = "Terminal";

// Address of descriptor `index` of `direction` in the block at `block`.
inline uint32_t descriptorAddress(uint32_t block, int32_t upCount, Direction direction,
                                  uint32_t index) {
    const uint32_t first = direction == Up ? 0 : uint32_t(upCount);
    return block + HeaderSize + (first + index) * DescriptorSize;
}

// The 16 identifier bytes as they stand in memory.
inline constexpr char IdentifierBytes[IdentifierSize] = {'N', 'O', 'R', 'V', 'A', 'N', ' ', 'Z',
                                                         'T', 'X', 0,   0,   0,   0,   0,   0};

} // namespace kavrin::ztx
