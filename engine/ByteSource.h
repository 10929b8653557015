#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace kavrin {

// The decoder's only way to bytes. Sources are template parameters so that the per-byte
// calls inline.
template <class S>
concept ByteSource = requires(S source) {
    { source.hasData() } -> std::convertible_to<int32_t>;
    { source.readByte() } -> std::convertible_to<uint8_t>;
    { source.position() } -> std::convertible_to<uint32_t>;
};

// Bytes held in memory, with the stream offset of the first one. Reading past the end
// yields 0 bytes, leaves the position at the end and is reported by overrun().
class MemorySource {
public:
    MemorySource(const uint8_t* data, size_t size, uint32_t startPosition = 0)
        : data_(data), size_(size), start_(startPosition) {}

    int32_t hasData() const { return pos_ < size_ ? 1 : 0; }
    uint8_t readByte() {
        if (pos_ < size_)
            return data_[pos_++];
        overrun_ = true;
        return 0;
    }
    bool overrun() const { return overrun_; }
    uint32_t position() const { return start_ + uint32_t(pos_); }
    size_t consumed() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t start_;
    bool overrun_ = false;
};

} // namespace kavrin
