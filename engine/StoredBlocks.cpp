#include "engine/StoredBlocks.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kavrin {

namespace {

// Blocks stay 8-byte aligned, as from malloc.
uint32_t aligned(uint32_t size) {
    return (size + 7) & ~7u;
}

} // namespace

StoredBlocks::Chunk& StoredBlocks::roomFor(uint32_t size) {
    if (!chunks_.empty() && chunks_.back().size - chunks_.back().used >= size)
        return chunks_.back();
    Chunk chunk;
    if (spare_.bytes && spare_.size >= size) {
        chunk = std::move(spare_);
    } else {
        chunk.size = std::max(ChunkSize, aligned(size));
        chunk.bytes.reset(new (std::nothrow) uint8_t[chunk.size]);
        if (!chunk.bytes)
            throw std::bad_alloc();
    }
    chunk.used = 0;
    chunk.lastIndex = 0;
    chunks_.push_back(std::move(chunk));
    return chunks_.back();
}

uint8_t* StoredBlocks::keep(const void* data, uint32_t size, bool terminate, uint32_t index) {
    const uint32_t length = size + (terminate ? 1 : 0);
    Chunk& chunk = roomFor(length);
    uint8_t* block = chunk.bytes.get() + chunk.used;
    std::memcpy(block, data, size);
    if (terminate)
        block[size] = 0;
    chunk.used += aligned(length);
    chunk.lastIndex = std::max(chunk.lastIndex, index);
    return block;
}

void StoredBlocks::releaseBefore(uint64_t firstKept) {
    // Earlier events inserted by a reload may sit in any chunk: each chunk judges by its largest.
    size_t kept = 0;
    for (size_t i = 0; i < chunks_.size(); ++i) {
        if (chunks_[i].lastIndex >= firstKept) {
            if (i != kept)
                chunks_[kept] = std::move(chunks_[i]);
            ++kept;
        } else if (chunks_[i].size == ChunkSize && !spare_.bytes) {
            spare_ = std::move(chunks_[i]);
        }
    }
    chunks_.resize(kept);
}

void StoredBlocks::clear() {
    chunks_.clear();
    spare_ = Chunk();
}

size_t StoredBlocks::bytes() const {
    size_t total = 0;
    for (const Chunk& chunk : chunks_)
        total += chunk.size;
    return total;
}

} // namespace kavrin
