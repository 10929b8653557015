#include "presentation/TimeBase.h"

#include <limits>

namespace kavrin {

namespace {

constexpr uint64_t NsPerSecond = 1'000'000'000;

__extension__ using Wide = unsigned __int128;

uint64_t greatestCommonDivisor(uint64_t a, uint64_t b) {
    while (b != 0) {
        const uint64_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

// (value * multiplier + divisor / 2) / divisor, rounded to nearest.
uint64_t scaleRounded(uint64_t value, uint64_t multiplier, uint64_t divisor) {
    constexpr uint64_t largest = std::numeric_limits<uint64_t>::max();
    // The timeline converts every event: 64-bit arithmetic while it suffices.
    if (uint64_t product;
        !__builtin_mul_overflow(value, multiplier, &product) && product <= largest - divisor / 2)
        return (product + divisor / 2) / divisor;
    const Wide result = (Wide(value) * multiplier + divisor / 2) / divisor;
    return result > largest ? largest : uint64_t(result);
}

} // namespace

void TimeBase::setFrequency(uint64_t ticksPerSecond) {
    frequency = ticksPerSecond;
    valid = ticksPerSecond != 0;
    if (!valid) {
        numerator = denominator = 0;
        return;
    }
    const uint64_t divisor = greatestCommonDivisor(ticksPerSecond, NsPerSecond);
    numerator = NsPerSecond / divisor;
    denominator = ticksPerSecond / divisor;
}

uint64_t TicksToNs(const TimeBase& timeBase, uint64_t ticks) {
    if (!timeBase.valid)
        return 0;
    return scaleRounded(ticks, timeBase.numerator, timeBase.denominator);
}

uint64_t NsToTicks(const TimeBase& timeBase, uint64_t ns) {
    if (!timeBase.valid)
        return 0;
    return scaleRounded(ns, timeBase.denominator, timeBase.numerator);
}

} // namespace kavrin
