#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace kavrin {

// Pool memory, freed with std::free.
struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};
using PoolBlock = std::unique_ptr<std::byte[], FreeBlock>;

// Bytes in whole pages of LargePageSize, which the system may back by large pages: a
// pool of a million events then costs a few dozen page faults instead of tens of thousands.
// Memory is only touched when used. Null when memory ran out.
inline constexpr size_t LargePageSize = 2 * 1024 * 1024;
PoolBlock allocateLargePageBlock(size_t bytes);
// Large pages for a block of a large page or more, the heap for a smaller one.
PoolBlock allocatePoolBlock(size_t bytes);

// Takes the first touch (the system's page zeroing) of untouched pool memory ahead of its use,
// without writing to it; false where the system cannot.
bool prefaultPages(std::byte* start, size_t bytes);

} // namespace kavrin
