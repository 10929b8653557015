#pragma once

#include "engine/EventRecord.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kavrin {

// Decoded records waiting for the processing driver. One producer (the decoder, possibly on
// the recorder or loader thread) and one consumer (the processing driver).
//
// Emptying the buffer is deferred to the producer: `consumed` only notes how far the consumer
// got, and the producer compacts before it takes the next slot. This way a record being
// filled can never be lost to a concurrent reset of the count.
class StagingBuffer {
public:
    static constexpr uint32_t Capacity = 1'000'000;
    static constexpr uint32_t GrowthStep = 10'000;

    StagingBuffer() = default;
    StagingBuffer(const StagingBuffer&) = delete;
    StagingBuffer& operator=(const StagingBuffer&) = delete;
    ~StagingBuffer();

    // Producer: the slot at `count`, grown if needed; null when full or out of memory.
    EventRecord* nextSlot();
    // Producer: makes the slot returned by nextSlot() visible to the consumer.
    void commit() {
        count_.store(count_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    // Producer: the staged records not yet taken, for rebasing timestamps.
    EventRecord* pendingBegin();
    EventRecord* pendingEnd();

    // Consumer: copies the record with that index; -1 when it is not staged.
    int copyOut(uint32_t index, EventRecord& out);
    // Consumer: the record with that index has been processed.
    void consumed(uint32_t index);

    // Decoding restarts at this event index (nobody produces or consumes meanwhile); records
    // not yet taken are discarded.
    void restartAt(uint32_t index);
    // Frees the array; the buffer starts again empty with no capacity.
    void release();

    uint32_t base() const { return base_.load(std::memory_order_acquire); }
    uint32_t count() const { return count_.load(std::memory_order_acquire); }
    uint32_t peakCount() const { return peakCount_; }
    bool full();

private:
    void compactIfConsumed();
    // Frees the blocks of records nobody has taken: they die with the buffer's contents.
    void discardPending();

    std::mutex lock_; // the staging lock: around growth and copy-out
    EventRecord* records_ = nullptr;
    uint32_t capacity_ = 0;
    std::atomic<uint32_t> base_{0};
    std::atomic<uint32_t> count_{0};
    std::atomic<int64_t> consumedUpTo_{-1}; // last index the consumer finished, -1 for none
    uint32_t peakCount_ = 0;
};

} // namespace kavrin
