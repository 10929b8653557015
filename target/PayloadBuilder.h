#pragma once

#include "target/Encoding.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kavrin {

// The parameter block of one API event, built on the stack. Bytes beyond the decoder's
// 2048-byte limit are dropped, so a block is always acceptable.
class PayloadBuilder {
public:
    static constexpr size_t Capacity = 2048;

    PayloadBuilder& number(uint32_t value) {
        encoding::putVarint(*this, value);
        return *this;
    }
    PayloadBuilder& text(std::string_view value) {
        encoding::putString(*this, value);
        return *this;
    }
    void push_back(uint8_t byte) {
        if (size_ < Capacity)
            bytes_[size_++] = byte;
    }
    std::span<const uint8_t> bytes() const { return {bytes_.data(), size_}; }
    void clear() { size_ = 0; }

private:
    std::array<uint8_t, Capacity> bytes_;
    size_t size_ = 0;
};

} // namespace kavrin
