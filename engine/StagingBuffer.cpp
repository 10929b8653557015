#include "engine/StagingBuffer.h"

#include <algorithm>
#include <cstdlib>

namespace kavrin {

StagingBuffer::~StagingBuffer() {
    freeBlocksFrom(0);
}

uint32_t StagingBuffer::firstPending() const {
    const uint64_t state = state_.load(std::memory_order_relaxed);
    const int64_t taken = consumedUpTo_.load(std::memory_order_acquire) + 1 - baseOf(state);
    return uint32_t(std::clamp<int64_t>(taken, 0, countOf(state)));
}

void StagingBuffer::compact(uint64_t state) {
    const uint32_t count = countOf(state);
    peakCount_ = std::max(peakCount_, count);
    state_.store(stateOf(baseOf(state) + count, 0), std::memory_order_release);
    blocks_.rewind();
}

bool StagingBuffer::full() {
    compactIfConsumed();
    return countOf(state_.load(std::memory_order_relaxed)) >= Capacity;
}

bool StagingBuffer::grow(uint32_t count) {
    if (count >= Capacity)
        return false;
    std::lock_guard guard(lock_);
    PoolBlock block = allocateLargePageBlock(sizeof(EventRecord) * GrowthStep);
    if (!block)
        return false;
    records_[capacity_ / GrowthStep] = reinterpret_cast<EventRecord*>(block.release());
    capacity_ = std::min(capacity_ + GrowthStep, Capacity); // the last block is not all used
    return true;
}

void StagingBuffer::restartAt(uint32_t index) {
    blocks_.rewind();
    peakCount_ = std::max(peakCount_, count());
    state_.store(stateOf(index, 0), std::memory_order_release);
    consumedUpTo_.store(int64_t(index) - 1, std::memory_order_release);
}

void StagingBuffer::trim() {
    freeBlocksFrom(1);
}

void StagingBuffer::freeBlocksFrom(size_t keptBlocks) {
    std::lock_guard guard(lock_);
    for (size_t k = keptBlocks; k < records_.size(); ++k) {
        std::free(records_[k]);
        records_[k] = nullptr;
    }
    capacity_ = std::min(capacity_, uint32_t(keptBlocks) * GrowthStep);
    blocks_.release();
    state_.store(0, std::memory_order_release);
    consumedUpTo_.store(-1, std::memory_order_release);
    peakCount_ = 0;
}

} // namespace kavrin
