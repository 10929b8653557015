#include "engine/PagePrefault.h"

#include "engine/PoolBlock.h"

#include <algorithm>

namespace kavrin {

PagePrefault::PagePrefault(std::vector<std::span<std::byte>> blocks) {
    if (!blocks.empty())
        thread_ = std::thread(&PagePrefault::run, this, std::move(blocks));
}

PagePrefault::~PagePrefault() {
    stop_.store(true, std::memory_order_relaxed);
    finish();
}

void PagePrefault::finish() {
    if (thread_.joinable())
        thread_.join();
}

void PagePrefault::run(std::vector<std::span<std::byte>> blocks) {
    // One large page at a time, so that a stop waits for little.
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
        for (size_t offset = 0; offset < block->size(); offset += LargePageSize) {
            if (stop_.load(std::memory_order_relaxed))
                return;
            const size_t bytes = std::min(LargePageSize, block->size() - offset);
            if (!prefaultPages(block->data() + offset, bytes))
                return;
            prefaulted_.fetch_add(bytes, std::memory_order_release);
        }
    }
}

} // namespace kavrin
