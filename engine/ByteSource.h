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

// A source that can also show the bytes it holds from the read position on, so that the
// decoder reads whole packets without a check per byte.
template <class S>
concept ContiguousByteSource = ByteSource<S> && requires(S source, uint32_t n) {
    { source.contiguousData() } -> std::convertible_to<const uint8_t*>;
    { source.contiguousSize() } -> std::convertible_to<size_t>;
    source.skip(n);
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
    const uint8_t* contiguousData() const { return data_ + pos_; }
    size_t contiguousSize() const { return size_ - pos_; }
    // Moves on by n of the contiguous bytes.
    void skip(uint32_t n) { pos_ += n; }
    size_t consumed() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t start_;
    bool overrun_ = false;
};

} // namespace kavrin
