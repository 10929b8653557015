#pragma once

#include "views/PixelCanvas.h"

#include <cstdint>

namespace kavrin {

// Light, middle and dark colour of a context's display scheme (opaque).
struct ColourScheme {
    Argb light;
    Argb middle;
    Argb dark;
};

inline constexpr int SchemeCount = 26;

// The scheme selected by the low byte (1..26) of a colour code. Contexts without a valid code
// (tasks and interrupts get none from the stream) take one of the light schemes 1..10 by their
// id, so that neighbouring lanes stay distinguishable.
ColourScheme colourScheme(uint32_t colourCode, uint32_t contextId);

// The "Silver Bar" of ready tasks.
inline constexpr ColourScheme ReadyBarScheme{opaque(0xEBE9ED), opaque(0xC7CEDE), opaque(0x455677)};

} // namespace kavrin
