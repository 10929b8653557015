#pragma once

#include <cstdint>

namespace kavrin {

// Every byte received since the recording started, in order and in one piece, so that the
// recording can be saved from memory and the stream offsets are plain indexes. It grows
// geometrically; when memory or the size limit runs out, append refuses and keeps what it has.
class StreamBuffer {
public:
    // A data file holds less than 4 GiB; leave room for its header.
    static constexpr uint64_t DefaultLimit = 0xFFF0'0000;

    StreamBuffer() = default;
    StreamBuffer(const StreamBuffer&) = delete;
    StreamBuffer& operator=(const StreamBuffer&) = delete;
    ~StreamBuffer();

    // False, with nothing appended, when the buffer cannot grow to hold the bytes.
    bool append(const uint8_t* bytes, uint32_t count);
    // Frees the bytes; the buffer starts again empty.
    void release();
    void setLimit(uint64_t bytes) { limit_ = bytes; }

    const uint8_t* data() const { return data_; }
    uint32_t size() const { return size_; }

private:
    bool grow(uint64_t needed, uint32_t count);

    uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
    uint64_t capacity_ = 0;
    uint64_t limit_ = DefaultLimit;
};

} // namespace kavrin
