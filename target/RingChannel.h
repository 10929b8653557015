#pragma once

#include "target/MemoryAccess.h"

#include <cstdint>

namespace kavrin {

// One channel's ring buffer, reached through its descriptor in target memory. The producer
// moves the write offset, the consumer the read offset; one byte stays free so that equal
// offsets always mean empty. Descriptor values are checked before use: a ring whose size or
// offsets make no sense, or whose memory cannot be reached, gives -1.
class RingChannel {
public:
    RingChannel(MemoryAccess& memory, uint32_t descriptor)
        : memory_(memory), descriptor_(descriptor) {}

    // Bytes written (0 when full), or -1.
    int32_t produce(const uint8_t* data, uint32_t size);
    // Bytes read (0 when empty), or -1.
    int32_t consume(uint8_t* out, uint32_t capacity);
    // The producer makes room by dropping up to `size` of the oldest bytes; how many, or -1.
    int32_t discard(uint32_t size);
    // Free space for the producer, or -1.
    int64_t freeSpace();
    // Bytes waiting for the consumer, or -1.
    int64_t used();

private:
    struct State {
        uint32_t buffer = 0;
        uint32_t size = 0;
        uint32_t writeOffset = 0;
        uint32_t readOffset = 0;
        uint32_t used() const {
            return uint32_t((uint64_t(writeOffset) + size - readOffset) % size);
        }
    };
    bool load(State& state);

    MemoryAccess& memory_;
    uint32_t descriptor_;
};

} // namespace kavrin
