#pragma once

#include <csignal>

namespace kavrin::cli {

// While it lives, SIGINT and SIGTERM ask the running command to stop cleanly instead of
// ending the program; the previous handlers come back afterwards.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool raised() const;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

} // namespace kavrin::cli
