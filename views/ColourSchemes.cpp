#include "views/ColourSchemes.h"

#include <array>

namespace kavrin {

namespace {

constexpr ColourScheme scheme(uint32_t light, uint32_t middle, uint32_t dark) {
    return {opaque(light), opaque(middle), opaque(dark)};
}

constexpr std::array<ColourScheme, SchemeCount> Schemes{
    scheme(0xF2B1B1, 0xE56A6F, 0xA71D23),
    scheme(0xF9CCA7, 0xF49758, 0xAD4D0D),
    scheme(0xFFE9A8, 0xFFCC53, 0xB48002),
    scheme(0xFFFCB3, 0xFFF959, 0x9A9519),
    scheme(0xC4E8BE, 0x86D27E, 0x377E2D),
    scheme(0xB9E8DA, 0x7FD3B7, 0x2C7E65),
    scheme(0xD8E1C6, 0xB3C38E, 0x64743E),
    scheme(0xB7C9EE, 0x769DDA, 0x28518E),
    scheme(0xCABBE8, 0x957BD2, 0x4D318D),
    scheme(0xE3C4D2, 0xC587A5, 0x813D5F),
    scheme(0xEBE9ED, 0xC7CEDE, 0x455677),
    scheme(0x7C89A4, 0x4B5978, 0x2F394D),
    scheme(0xD1D1D1, 0xA8A8A8, 0x4F4F4F),
    scheme(0x808080, 0x505050, 0x333333),
    scheme(0x5B5B5B, 0x070707, 0x000000),
    scheme(0xD62430, 0xAA1D24, 0x661217),
    scheme(0xF06D15, 0xB14F0D, 0x662E08),
    scheme(0xD8AA40, 0xAB7B05, 0x664901),
    scheme(0xCAC401, 0x999401, 0x7A7A1D),
    scheme(0x44A639, 0x35792B, 0x2C6625),
    scheme(0x3CB08B, 0x2E7D64, 0x266652),
    scheme(0x869A55, 0x5F6C3A, 0x434D29),
    scheme(0x3467B8, 0x2A5191, 0x1F3A66),
    scheme(0x694AB3, 0x50328F, 0x2B1B4D),
    scheme(0xA44F79, 0x82375F, 0x4D2539),
    // Idle: white to silver with a mid-grey border.
    scheme(0xFFFFFF, 0xC0C0C0, 0x808080),
};

constexpr uint32_t FallbackSchemes = 10;

} // namespace

ColourScheme colourScheme(uint32_t colourCode, uint32_t contextId) {
    const uint32_t code = colourCode & 0xFFu;
    if (code >= 1 && code <= SchemeCount)
        return Schemes[code - 1];
    return Schemes[contextId % FallbackSchemes];
}

} // namespace kavrin
