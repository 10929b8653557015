#include "views/PixelCanvas.h"
#include "views/ColourSchemes.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavrin {
namespace {

constexpr uint32_t Guard = 0xDEADBEEF;
constexpr Argb White = opaque(0xFFFFFF);
constexpr Argb Red = opaque(0xFF0000);

// A 10 x 10 canvas inside a 12 x 12 buffer whose border is a guard pattern, so that any write
// outside the canvas shows.
struct GuardedCanvas {
    std::vector<uint32_t> buffer = std::vector<uint32_t>(12 * 12, Guard);
    PixelCanvas canvas{buffer.data() + 12 + 1, 10, 10, 12};
    GuardedCanvas() { canvas.fill(White); }
    bool guardsIntact() const {
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                if ((x == 0 || y == 0 || x == 11 || y == 11) && buffer[size_t(y * 12 + x)] != Guard)
                    return false;
        return true;
    }
};

TEST(PixelCanvasTest, RectanglesAreClippedAtEveryEdge) {
    GuardedCanvas g;
    g.canvas.fillRect(-5, -5, 2, 2, Red); // top left corner
    EXPECT_EQ(g.canvas.pixel(0, 0), Red);
    EXPECT_EQ(g.canvas.pixel(1, 1), Red);
    EXPECT_EQ(g.canvas.pixel(2, 2), White);

    g.canvas.fillRect(8, 8, 50, 50, Red); // bottom right corner
    EXPECT_EQ(g.canvas.pixel(9, 9), Red);
    EXPECT_EQ(g.canvas.pixel(7, 9), White);

    g.canvas.fillRect(-100, 5, 100, 6, Red); // wider than the canvas
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(g.canvas.pixel(x, 5), Red);

    g.canvas.fillRect(3, -40, 4, 40, Red); // taller than the canvas
    EXPECT_EQ(g.canvas.pixel(3, 0), Red);
    EXPECT_EQ(g.canvas.pixel(3, 9), Red);

    g.canvas.fillRect(20, 20, 30, 30, Red);   // wholly outside
    g.canvas.fillRect(5, 5, 2, 2, Red);       // reversed
    g.canvas.verticalLine(-1, -10, 100, Red); // lines beside the canvas
    g.canvas.verticalLine(10, -10, 100, Red);
    std::vector<Argb> rows;
    gradientRows(Red, White, std::nullopt, 30, rows);
    g.canvas.fillRows(-10, 100, -10, rows); // rows above, below and beside
    g.canvas.fillRows(-10, 100, 10, rows);
    g.canvas.fillRows(-10, 100, -40, rows);
    EXPECT_TRUE(g.guardsIntact());
}

TEST(PixelCanvasTest, GradientsRunFromTopToBottomRowAndKeepColoursWhenClipped) {
    GuardedCanvas g;
    std::vector<Argb> rows;
    gradientRows(opaque(0x000000), opaque(0x0000FF), std::nullopt, 5, rows);
    g.canvas.fillRows(2, 3, 0, rows);
    EXPECT_EQ(g.canvas.pixel(2, 0), opaque(0x000000));
    EXPECT_EQ(g.canvas.pixel(2, 2), opaque(0x00007F)); // 255 * 2 / 4
    EXPECT_EQ(g.canvas.pixel(2, 4), opaque(0x0000FF));
    EXPECT_EQ(g.canvas.pixel(2, 5), White);

    // The same bar starting two rows above the canvas: row 0 shows its third row.
    g.canvas.fillRows(4, 5, -2, rows);
    EXPECT_EQ(g.canvas.pixel(4, 0), opaque(0x00007F));
    EXPECT_EQ(g.canvas.pixel(4, 2), opaque(0x0000FF));
    EXPECT_EQ(g.canvas.pixel(4, 3), White);

    // Every channel moves on its own.
    gradientRows(opaque(0x10FF40), opaque(0x3000C0), std::nullopt, 3, rows);
    g.canvas.fillRows(6, 7, 0, rows);
    EXPECT_EQ(g.canvas.pixel(6, 1), opaque(0x208080));

    // A border takes the end rows; the rows between keep their gradient colours.
    gradientRows(opaque(0x000000), opaque(0x0000FF), Red, 5, rows);
    EXPECT_EQ(rows.front(), Red);
    EXPECT_EQ(rows[2], opaque(0x00007F));
    EXPECT_EQ(rows.back(), Red);
    gradientRows(opaque(0x000000), opaque(0x0000FF), Red, 1, rows);
    EXPECT_EQ(rows, std::vector<Argb>{Red});
    EXPECT_TRUE(g.guardsIntact());
}

TEST(PixelCanvasTest, AlphaBlendsEachChannelAndTheResultIsOpaque) {
    const Argb below = opaque(0x102030);
    EXPECT_EQ(blendOver(below, withAlpha(0xF0E0D0, 0)), below);
    EXPECT_EQ(blendOver(below, withAlpha(0xF0E0D0, 255)), opaque(0xF0E0D0));
    // (s * 128 + d * 127) / 255 per channel.
    const uint32_t r = (0xF0 * 128 + 0x10 * 127) / 255;
    const uint32_t gr = (0xE0 * 128 + 0x20 * 127) / 255;
    const uint32_t b = (0xD0 * 128 + 0x30 * 127) / 255;
    EXPECT_EQ(blendOver(below, withAlpha(0xF0E0D0, 128)), opaque((r << 16) | (gr << 8) | b));

    GuardedCanvas g;
    g.canvas.fillRect(0, 0, 10, 10, opaque(0x000000));
    g.canvas.fillRect(0, 0, 5, 5, withAlpha(0xFFFFFF, 51));
    EXPECT_EQ(g.canvas.pixel(4, 4), opaque(0x333333));
    EXPECT_EQ(g.canvas.pixel(5, 5), opaque(0x000000));
}

TEST(ColourSchemesTest, LowByteSelectsTheSchemeAndOtherCodesFallBackByContext) {
    EXPECT_EQ(colourScheme(1, 0).middle, opaque(0xE56A6F));
    EXPECT_EQ(colourScheme(0xF1A, 0).light, opaque(0xFFFFFF));  // Idle
    EXPECT_EQ(colourScheme(0xF0F, 0).dark, opaque(0x000000));   // Scheduler
    EXPECT_EQ(colourScheme(0xF0C, 0).middle, opaque(0x4B5978)); // Timer
    EXPECT_EQ(colourScheme(0, 3).middle, colourScheme(4, 0).middle);
    EXPECT_EQ(colourScheme(27, 12).middle, colourScheme(3, 0).middle);
}

} // namespace
} // namespace kavrin
