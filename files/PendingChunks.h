#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kavrin {

// Chunks handed to the GUI thread but not yet processed. The loader thread counts up and
// waits for zero; the GUI thread counts down.
class PendingChunks {
public:
    void increment() { count_.fetch_add(1, std::memory_order_acq_rel); }
    void decrement() {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) <= 1) {
            std::lock_guard lock(mutex_);
            zero_.notify_all();
        }
    }
    int32_t value() const { return count_.load(std::memory_order_acquire); }

    // Returns once every chunk has been processed, or the wait was cancelled; looks at the
    // counter at least every `slice` in case a wake-up is missed.
    void waitForZero(std::chrono::milliseconds slice = std::chrono::milliseconds(100)) {
        std::unique_lock lock(mutex_);
        while (value() > 0 && !cancelled())
            zero_.wait_for(lock, slice);
    }

    // The GUI side goes away: no chunk will be processed any more.
    void cancel() {
        cancelled_.store(true, std::memory_order_release);
        std::lock_guard lock(mutex_);
        zero_.notify_all();
    }
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

private:
    std::atomic<int32_t> count_{0};
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::condition_variable zero_;
};

} // namespace kavrin
