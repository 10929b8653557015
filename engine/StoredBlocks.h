#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kavrin {

// The texts and payloads of stored events, packed into chunks instead of one heap block each.
// The window drops events from its front only, so a chunk is freed as a whole once every
// event with a block in it was dropped.
class StoredBlocks {
public:
    static constexpr uint32_t ChunkSize = 64 * 1024;

    // A copy of `size` bytes (plus a NUL when `terminate`) belonging to the event `index`.
    uint8_t* keep(const void* data, uint32_t size, bool terminate, uint32_t index);
    // Frees the chunks that hold only blocks of events before the index `firstKept`.
    void releaseBefore(uint64_t firstKept);
    void clear();
    // Bytes held in chunks, for measurements.
    size_t bytes() const;

private:
    struct Chunk {
        std::unique_ptr<uint8_t[]> bytes;
        uint32_t size = 0;
        uint32_t used = 0;
        uint32_t lastIndex = 0; // the largest event index with a block here
    };
    Chunk& roomFor(uint32_t size);

    std::vector<Chunk> chunks_; // the last one is filled
    Chunk spare_; // a freed chunk kept for the next, so a sliding window reuses memory
};

} // namespace kavrin
