#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kavrin {

// Colours are 0xAARRGGBB. Alpha 255 overwrites, 0 leaves the pixel alone, anything between
// is blended per channel; the result is always opaque.
using Argb = uint32_t;

inline constexpr Argb opaque(uint32_t rgb) {
    return 0xFF000000u | rgb;
}
inline constexpr Argb withAlpha(uint32_t rgb, uint32_t alpha) {
    return (alpha << 24) | (rgb & 0xFFFFFFu);
}

Argb blendOver(Argb destination, Argb source);
// Channel-wise interpolation: `step` of `steps` from `from` towards `to` (steps > 0).
Argb interpolate(Argb from, Argb to, int step, int steps);

// Row colours of a bar `height` pixels high: a vertical gradient from `top` in its first row
// to `bottom` in its last, the two end rows in `border` when given. Drawn with fillRows.
void gradientRows(Argb top, Argb bottom, std::optional<Argb> border, int height,
                  std::vector<Argb>& rows);

// Direct drawing into 32-bit pixels (a QImage's bits, or any buffer). Rectangles are half-open,
// [x0, x1) x [y0, y1); everything is clipped to the canvas, so any coordinates are safe.
class PixelCanvas {
public:
    PixelCanvas(uint32_t* bits, int width, int height, int stridePixels)
        : bits_(bits), width_(width), height_(height), stride_(stridePixels) {}

    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t pixel(int x, int y) const { return bits_[y * stride_ + x]; }

    void fill(Argb colour) { fillRect(0, 0, width_, height_, colour); }
    void fillRect(int x0, int y0, int x1, int y1, Argb colour);
    // Row y0 + i of [x0, x1) gets rowColours[i]: a precomputed gradient, drawn many times.
    void fillRows(int x0, int x1, int y0, std::span<const Argb> rowColours);
    void verticalLine(int x, int y0, int y1, Argb colour) { fillRect(x, y0, x + 1, y1, colour); }

private:
    void blendRow(uint32_t* row, int x0, int x1, Argb colour);

    uint32_t* bits_;
    int width_;
    int height_;
    int stride_;
};

} // namespace kavrin
