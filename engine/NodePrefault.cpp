#include "engine/NodePrefault.h"

#include "engine/EventStore.h"

#include <algorithm>

namespace kavrin {

NodePrefault::NodePrefault(EventStore& store, size_t nodes) {
    std::vector<std::span<std::byte>> blocks = store.reserveNodes(nodes);
    if (!blocks.empty())
        thread_ = std::thread(&NodePrefault::run, this, std::move(blocks));
}

NodePrefault::~NodePrefault() {
    stop_.store(true, std::memory_order_relaxed);
    finish();
}

void NodePrefault::finish() {
    if (thread_.joinable())
        thread_.join();
}

void NodePrefault::run(std::vector<std::span<std::byte>> blocks) {
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
