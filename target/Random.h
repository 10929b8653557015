#pragma once

#include <cstdint>

namespace kavrin {

// SplitMix64: small, fast and the same on every platform, so a seed always gives the same
// recording.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in 0..bound-1; 0 when bound is 0.
    uint32_t below(uint32_t bound) { return bound ? uint32_t((next() >> 32) * bound >> 32) : 0; }
    // `value` varied by up to a quarter either way.
    uint64_t jitter(uint64_t value) { return value - value / 4 + below(uint32_t(value / 2 + 1)); }
    bool chance(uint32_t percent) { return below(100) < percent; }

private:
    uint64_t state_;
};

} // namespace kavrin
