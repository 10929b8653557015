#pragma once

#include <atomic>
#include <cstdint>

namespace kavrin {

// Marks where one thread hands what it wrote to another: publish() on the giving side before
// the hand-over (a queued signal, the end of a thread), take() on the receiving side after it.
// Qt's event queue and QThread::wait already order the two sides, but through locks the thread
// sanitizer does not see; this release and acquire it does, so it checks everything else.
class ThreadHandOver {
public:
    void publish() { handOvers_.fetch_add(1, std::memory_order_release); }
    void take() const { (void)handOvers_.load(std::memory_order_acquire); }

private:
    std::atomic<uint32_t> handOvers_{0};
};

} // namespace kavrin
