#pragma once

#include <cstdint>
#include <string_view>

namespace kavrin::encoding {

// The stream's two building blocks, for any byte sink with push_back.

template <class Sink> void putVarint(Sink& sink, uint32_t value) {
    while (value >= 0x80) {
        sink.push_back(uint8_t(value | 0x80));
        value >>= 7;
    }
    sink.push_back(uint8_t(value));
}

inline constexpr uint8_t StringEscape = 0xFF;
inline constexpr size_t MaxStringLength = 0xFFFF;

// Lengths of 255 and more are escaped to a 16-bit length, high byte first; longer texts are
// cut to what 16 bits can say.
template <class Sink> void putString(Sink& sink, std::string_view text) {
    if (text.size() > MaxStringLength)
        text = text.substr(0, MaxStringLength);
    if (text.size() < StringEscape) {
        sink.push_back(uint8_t(text.size()));
    } else {
        sink.push_back(StringEscape);
        sink.push_back(uint8_t(text.size() >> 8));
        sink.push_back(uint8_t(text.size()));
    }
    for (char c : text)
        sink.push_back(uint8_t(c));
}

constexpr uint32_t varintSize(uint32_t value) {
    uint32_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

constexpr uint32_t stringSize(std::string_view text) {
    const size_t length = text.size() > MaxStringLength ? MaxStringLength : text.size();
    return uint32_t((length < StringEscape ? 1 : 3) + length);
}

} // namespace kavrin::encoding
