#pragma once

#include "engine/PoolBlock.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace kavrin {

// For the timeline index's arrays over a million events: blocks of a large page and more
// come in large pages, so that filling them costs a few page faults instead of thousands.
template <class T> struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <class U> LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

    T* allocate(size_t count) {
        PoolBlock block = allocatePoolBlock(count * sizeof(T));
        if (!block)
            throw std::bad_alloc();
        return reinterpret_cast<T*>(block.release());
    }
    void deallocate(T* items, size_t) noexcept { std::free(items); }

    friend bool operator==(const LargePageAllocator&, const LargePageAllocator&) = default;
};

template <class T> using LargePageVector = std::vector<T, LargePageAllocator<T>>;

} // namespace kavrin
