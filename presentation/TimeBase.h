#pragma once

#include <cstdint>

namespace kavrin {

// Conversion of target timestamp ticks to nanoseconds: ns = ticks * numerator / denominator,
// with the fraction reduced so that the products stay small.
struct TimeBase {
    uint64_t frequency = 0; // ticks per second
    uint64_t numerator = 0;
    uint64_t denominator = 0;
    bool valid = false; // false until a non-zero frequency was set

    void setFrequency(uint64_t ticksPerSecond);
    void clear() { setFrequency(0); }
};

// Both round to the nearest unit and give 0 while the time base is not valid. The products
// are formed in 128 bits, so recordings of any length convert without overflow; a result that
// does not fit in 64 bits saturates.
uint64_t TicksToNs(const TimeBase& timeBase, uint64_t ticks);
uint64_t NsToTicks(const TimeBase& timeBase, uint64_t ns);

} // namespace kavrin
