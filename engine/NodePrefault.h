#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <thread>
#include <vector>

namespace kavrin {

class EventStore;

// Takes the first touch of the node pool a load pass will fill on a thread of its own: the
// store's blocks are reserved up front and their pages faulted in from the last block back,
// beside the analysis pass or while the load pass hands out nodes from the first. On two cores
// the page zeroing of a million-event window then runs beside the passes instead of inside
// them. Nothing is written to the nodes, so the passes and this thread share no data.
class NodePrefault {
public:
    // Reserves room for `nodes` nodes in the store's pool (on the store's thread) and starts.
    NodePrefault(EventStore& store, size_t nodes);
    NodePrefault(const NodePrefault&) = delete;
    NodePrefault& operator=(const NodePrefault&) = delete;
    // Stops after the piece in hand and joins.
    ~NodePrefault();

    // Bytes faulted in so far (tests).
    size_t prefaulted() const { return prefaulted_.load(std::memory_order_acquire); }
    // Waits until the thread has nothing left to do (tests).
    void finish();

private:
    void run(std::vector<std::span<std::byte>> blocks);

    std::atomic<bool> stop_{false};
    std::atomic<size_t> prefaulted_{0};
    std::thread thread_;
};

} // namespace kavrin
