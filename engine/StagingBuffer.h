#pragma once

#include "engine/EventRecord.h"

#include "engine/BlockArena.h"
#include "engine/PoolBlock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace kavrin {

// Decoded records waiting for the processing driver. One producer (the decoder, possibly on
// the recorder or loader thread) and one consumer (the processing driver).
//
// Records live in blocks of 32,768 that never move once allocated, so copying a record out
// needs no lock; `base` and `count` change together in one atomic word. Emptying the buffer
// is deferred to the producer: `consumed` only notes how far the consumer got, and the
// producer compacts before it takes the next slot, so a record being filled is never lost
// to a concurrent reset of the count.
//
// The text and payload blocks of staged records live in the buffer's arena, not on the heap:
// a record copied out borrows them until the consumer declares it consumed. A consumer that
// keeps a record makes its own copies (ownBlocks).
//
// A buffer owns whole cache lines: one thread may fill it while another reads its neighbour.
class alignas(64) StagingBuffer {
public:
    static constexpr uint32_t Capacity = 1'000'000;
    // A block is one large page: its first touch is one page fault instead of 512. Not
    // smaller: with blocks of 1,000 records the analysis pass took 70 % longer.
    static constexpr uint32_t GrowthStep = LargePageSize / sizeof(EventRecord);

    StagingBuffer() = default;
    StagingBuffer(const StagingBuffer&) = delete;
    StagingBuffer& operator=(const StagingBuffer&) = delete;
    ~StagingBuffer();

    // Producer: the slot at `count`, grown if needed, with room in the arena for the blocks of
    // one packet; null when full or out of memory.
    EventRecord* nextSlot() {
        compactIfConsumed();
        const uint32_t count = countOf(state_.load(std::memory_order_relaxed));
        // Inline for every packet; a new block of records or of bytes is the rare case.
        if (count >= capacity_ && !grow(count))
            return nullptr;
        if (!blocks_.reserve())
            return nullptr;
        EventRecord& record = slot(count);
        record = EventRecord{};
        return &record;
    }
    // Producer: a copy of `size` bytes (plus a NUL when `terminate`) that lives as long as the
    // record being filled is staged. The room was reserved by nextSlot().
    uint8_t* keepBlock(const void* data, uint32_t size, bool terminate = false) {
        return blocks_.keep(data, size, terminate);
    }
    // Producer: makes the slot returned by nextSlot() visible to the consumer.
    void commit() {
        state_.store(state_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    // Producer: visits the staged records not yet taken, newest first (rebasing timestamps).
    template <class F> void forEachPendingNewestFirst(F&& visit) {
        std::lock_guard guard(lock_); // a concurrent consumer may be copying one of them
        const uint32_t count = countOf(state_.load(std::memory_order_relaxed));
        const uint32_t first = firstPending(); // rewriting a record taken meanwhile is harmless
        for (uint32_t k = count; k > first; --k)
            visit(slot(k - 1));
    }

    // Consumer alone with the buffer (no producer at work): visits the staged records with
    // indexes first..last in place and in order, as visit(record, index), block by block; returns
    // the index after the last one visited. Their texts and payloads stay valid until consumed()
    // passes them.
    template <class F> uint32_t visitStaged(uint32_t first, uint32_t last, F&& visit) {
        const uint64_t state = state_.load(std::memory_order_acquire);
        const uint32_t base = baseOf(state);
        if (first < base || last < first)
            return first;
        const uint64_t end =
            std::min<uint64_t>(uint64_t(last) + 1, uint64_t(base) + countOf(state));
        uint32_t k = first - base;
        const auto kEnd = uint32_t(end - base);
        while (k < kEnd) {
            EventRecord* block = records_[k / GrowthStep];
            const uint32_t blockStart = k / GrowthStep * GrowthStep;
            const uint32_t blockEnd = std::min(kEnd, blockStart + GrowthStep);
            for (; k < blockEnd; ++k)
                visit(block[k - blockStart], base + k);
        }
        return std::max(first, base + kEnd);
    }
    // Consumer: copies the record with that index; -1 when it is not staged. Its text and
    // payload are borrowed: valid until consumed() passes its index.
    int copyOut(uint32_t index, EventRecord& out) const {
        if (concurrent_) {
            std::lock_guard guard(lock_);
            return copyOutUnlocked(index, out);
        }
        return copyOutUnlocked(index, out);
    }
    // The producer decodes on another thread while the consumer copies records out (a live
    // recording): a pending record may then be rewritten, so copies take the lock.
    void setConcurrent(bool concurrent) { concurrent_ = concurrent; }
    // Consumer: the record with that index has been processed.
    void consumed(uint32_t index) { consumedUpTo_.store(index, std::memory_order_release); }

    // Decoding restarts at this event index (nobody produces or consumes meanwhile); records
    // not yet taken are discarded.
    void restartAt(uint32_t index);
    // Frees every block of records but the first, which a new recording would allocate again at
    // once; the buffer starts again empty.
    void trim();

    uint32_t base() const { return baseOf(state_.load(std::memory_order_acquire)); }
    uint32_t count() const { return countOf(state_.load(std::memory_order_acquire)); }
    uint32_t peakCount() const { return peakCount_; }
    bool full();

private:
    static constexpr size_t BlockCount = (Capacity + GrowthStep - 1) / GrowthStep;
    int copyOutUnlocked(uint32_t index, EventRecord& out) const {
        const uint64_t state = state_.load(std::memory_order_acquire);
        const uint32_t base = baseOf(state);
        if (index < base || index - base >= countOf(state))
            return -1;
        // The slot is not reused before the consumer declares it consumed.
        out = slot(index - base);
        return 0;
    }
    static uint32_t baseOf(uint64_t state) { return uint32_t(state >> 32); }
    static uint32_t countOf(uint64_t state) { return uint32_t(state); }
    static uint64_t stateOf(uint32_t base, uint32_t count) { return uint64_t(base) << 32 | count; }

    EventRecord& slot(uint32_t k) const { return records_[k / GrowthStep][k % GrowthStep]; }
    // Array position of the first record the consumer has not finished.
    uint32_t firstPending() const;
    // Empties the buffer once the consumer has finished every record in it.
    void compactIfConsumed() {
        const uint64_t state = state_.load(std::memory_order_relaxed);
        const int64_t next = int64_t(baseOf(state)) + countOf(state);
        if (countOf(state) != 0 && consumedUpTo_.load(std::memory_order_acquire) + 1 >= next)
            compact(state);
    }
    void compact(uint64_t state);
    // Room for the record at `count`: a new block, or false when full or out of memory.
    bool grow(uint32_t count);
    // Frees the blocks from `keptBlocks` on; the buffer starts again empty.
    void freeBlocksFrom(size_t keptBlocks);

    mutable std::mutex lock_; // the staging lock: around growth, rebases and concurrent copies
    bool concurrent_ = false;
    std::array<EventRecord*, BlockCount> records_{};
    BlockArena blocks_;
    uint32_t capacity_ = 0;
    std::atomic<uint64_t> state_{0};        // base in the high half, count in the low half
    std::atomic<int64_t> consumedUpTo_{-1}; // last index the consumer finished, -1 for none
    uint32_t peakCount_ = 0;
};

} // namespace kavrin
