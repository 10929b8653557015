#include "cli/StopSignals.h"

#include <atomic>

namespace kavrin::cli {

namespace {

// A signal handler can reach nothing but a lock-free flag.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void requestStop(int) {
    stopRequested = true;
}

} // namespace

StopSignals::StopSignals() {
    stopRequested = false;
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
}

bool StopSignals::raised() const {
    return stopRequested;
}

} // namespace kavrin::cli
