#include "engine/PoolBlock.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kavrin {

PoolBlock allocateLargePageBlock(size_t bytes) {
    const size_t rounded = (bytes + LargePageSize - 1) / LargePageSize * LargePageSize;
    PoolBlock block(static_cast<std::byte*>(std::aligned_alloc(LargePageSize, rounded)));
#if defined(__linux__)
    // Only a hint: without it the block works the same, in small pages.
    if (block)
        madvise(block.get(), rounded, MADV_HUGEPAGE);
#endif
    return block;
}

PoolBlock allocatePoolBlock(size_t bytes) {
    if (bytes >= LargePageSize)
        return allocateLargePageBlock(bytes);
    return PoolBlock(static_cast<std::byte*>(std::malloc(bytes)));
}

bool prefaultPages(std::byte* start, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    return madvise(start, bytes, MADV_POPULATE_WRITE) == 0;
#else
    (void)start;
    (void)bytes;
    return false;
#endif
}

} // namespace kavrin
