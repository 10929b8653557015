#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <thread>
#include <vector>

namespace kavrin {

// Takes the first touch of memory reserved for a million-event window on a thread of its own,
// from the last block back: the node pool a load pass will fill (EventStore::reserveNodes), beside
// the analysis pass or while the load pass hands out nodes from the first block; the timeline's
// arrays alongside (TimelineIndex::reserveAhead). On two cores the page zeroing then runs beside
// the passes instead of inside them. Nothing is written to the blocks, so their users and this
// thread share no data; the blocks must stay allocated until this object is gone.
class PagePrefault {
public:
    explicit PagePrefault(std::vector<std::span<std::byte>> blocks);
    PagePrefault(const PagePrefault&) = delete;
    PagePrefault& operator=(const PagePrefault&) = delete;
    // Stops after the piece in hand and joins.
    ~PagePrefault();

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
