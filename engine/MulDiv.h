#pragma once

#include <cstdint>

namespace kavrin {

__extension__ typedef unsigned __int128 WideUint;

// a * b / c without intermediate overflow, quotient truncated (c must not be 0).
inline uint64_t mulDiv(uint64_t a, uint64_t b, uint64_t c) {
    return uint64_t(WideUint(a) * b / c);
}

} // namespace kavrin
