#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace kavrin {

// Bytes of short-lived blocks (the texts and payloads of staged records), handed out in
// order from chunks that never move and are reused all at once. One producer thread.
class BlockArena {
public:
    static constexpr uint32_t ChunkSize = 64 * 1024;
    // The most one packet can ask for: its text with a NUL, or its payload.
    static constexpr uint32_t LargestRequest = 4096 + 8;

    // Makes sure that the next requests of up to LargestRequest bytes in all find room;
    // false when memory ran out.
    bool reserve() {
        return ChunkSize - used_ >= LargestRequest && current_ < chunks_.size() ? true
                                                                                : nextChunk();
    }
    // A copy of `size` bytes, followed by a NUL when `terminate`; within the reserved room.
    uint8_t* keep(const void* data, uint32_t size, bool terminate) {
        uint8_t* block = chunks_[current_].get() + used_;
        std::memcpy(block, data, size);
        if (terminate)
            block[size++] = 0;
        used_ += (size + 7) & ~7u; // blocks stay 8-byte aligned, as from malloc
        return block;
    }
    // Every block handed out is dead: the chunks are used again from the first.
    void rewind() {
        current_ = 0;
        used_ = 0;
    }
    // Frees the chunks.
    void release() {
        chunks_.clear();
        rewind();
    }

private:
    bool nextChunk();

    std::vector<std::unique_ptr<uint8_t[]>> chunks_;
    size_t current_ = 0;
    uint32_t used_ = 0;
};

} // namespace kavrin
