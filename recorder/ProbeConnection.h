#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace kavrin {

// The recorder's up-channel.
inline constexpr std::string_view KavrinChannelName = "Kavrin";

// A NUL-terminated text of fixed capacity, as the probe library takes it. Longer input is cut
// to the capacity less one byte; it never overflows.
template <std::size_t Capacity> struct FixedText {
    std::array<char, Capacity> bytes{};

    void assign(std::string_view text) {
        const std::size_t length = std::min(text.size(), Capacity - 1);
        text.copy(bytes.data(), length);
        bytes[length] = 0;
        std::fill(bytes.begin() + std::ptrdiff_t(length) + 1, bytes.end(), 0);
    }
    const char* c_str() const { return bytes.data(); }
    std::string_view view() const { return bytes.data(); }
    bool empty() const { return bytes[0] == 0; }
};

// How the probe reaches the target; zeroed by the reset of all data, filled by configure.
struct ProbeConnection {
    int32_t hostInterface = 0; // 0 USB, 1 TCP/IP
    uint32_t serialNumber = 0; // USB probe; 0 lets the library choose
    FixedText<128> host;       // network probe, "HOST:PORT"
    FixedText<128> device;
    FixedText<256> searchRanges;
    int32_t targetInterface = 0; // 0 JTAG, 1 SWD
    int32_t speed = 0;           // kHz
};

// What is known of the recorder's control block in target memory.
struct ControlBlockInfo {
    static constexpr uint32_t HeaderSize = 24;
    static constexpr uint32_t DescriptorWords = 6;

    uint32_t address = 0; // 0: unknown
    bool found = false;   // a configured address counts as found
    int32_t channelIndex = -1;
    FixedText<8> channelName;
    std::array<uint8_t, HeaderSize> header{};
    std::array<uint32_t, DescriptorWords> descriptor{};

    int32_t upChannelCount() const;
};

} // namespace kavrin
