#include "engine/StagingBuffer.h"

#include <algorithm>
#include <cstdlib>

namespace kavrin {

StagingBuffer::~StagingBuffer() {
    discardPending();
    std::free(records_);
}

void StagingBuffer::discardPending() {
    if (!records_)
        return;
    for (EventRecord* record = pendingBegin(); record != pendingEnd(); ++record)
        freeRecordBlocks(*record);
}

void StagingBuffer::compactIfConsumed() {
    const uint32_t count = count_.load(std::memory_order_relaxed);
    if (count == 0)
        return;
    const uint32_t base = base_.load(std::memory_order_relaxed);
    if (consumedUpTo_.load(std::memory_order_acquire) != int64_t(base) + count - 1)
        return;
    std::lock_guard guard(lock_);
    peakCount_ = std::max(peakCount_, count);
    base_.store(base + count, std::memory_order_release);
    count_.store(0, std::memory_order_release);
}

bool StagingBuffer::full() {
    compactIfConsumed();
    return count_.load(std::memory_order_relaxed) >= Capacity;
}

EventRecord* StagingBuffer::nextSlot() {
    compactIfConsumed();
    const uint32_t count = count_.load(std::memory_order_relaxed);
    if (count >= Capacity)
        return nullptr;
    if (count == capacity_) {
        const uint32_t grown = std::min(Capacity, capacity_ + GrowthStep);
        std::lock_guard guard(lock_);
        auto* records =
            static_cast<EventRecord*>(std::realloc(records_, sizeof(EventRecord) * grown));
        if (!records)
            return nullptr;
        records_ = records;
        capacity_ = grown;
    }
    records_[count] = EventRecord{};
    return &records_[count];
}

EventRecord* StagingBuffer::pendingBegin() {
    const uint32_t base = base_.load(std::memory_order_relaxed);
    const int64_t done = consumedUpTo_.load(std::memory_order_acquire);
    const int64_t taken = std::max<int64_t>(0, done + 1 - int64_t(base));
    return records_ + std::min<int64_t>(taken, count_.load(std::memory_order_relaxed));
}

EventRecord* StagingBuffer::pendingEnd() {
    return records_ + count_.load(std::memory_order_relaxed);
}

int StagingBuffer::copyOut(uint32_t index, EventRecord& out) {
    const uint32_t base = base_.load(std::memory_order_acquire);
    const uint32_t count = count_.load(std::memory_order_acquire);
    if (index < base || index - base >= count)
        return -1;
    std::lock_guard guard(lock_);
    // The producer may have compacted between the check and the lock.
    if (index < base_.load(std::memory_order_relaxed))
        return -1;
    out = records_[index - base];
    return 0;
}

void StagingBuffer::consumed(uint32_t index) {
    consumedUpTo_.store(index, std::memory_order_release);
}

void StagingBuffer::restartAt(uint32_t index) {
    discardPending();
    std::lock_guard guard(lock_);
    if (count_.load(std::memory_order_relaxed) > 0)
        peakCount_ = std::max(peakCount_, count_.load(std::memory_order_relaxed));
    base_.store(index, std::memory_order_release);
    count_.store(0, std::memory_order_release);
    consumedUpTo_.store(int64_t(index) - 1, std::memory_order_release);
}

void StagingBuffer::release() {
    discardPending();
    std::lock_guard guard(lock_);
    std::free(records_);
    records_ = nullptr;
    capacity_ = 0;
    base_.store(0, std::memory_order_release);
    count_.store(0, std::memory_order_release);
    consumedUpTo_.store(-1, std::memory_order_release);
    peakCount_ = 0;
}

} // namespace kavrin
