#include "views/PixelCanvas.h"

#include <algorithm>

namespace kavrin {

namespace {

uint32_t channel(Argb colour, int shift) {
    return (colour >> shift) & 0xFFu;
}

} // namespace

Argb blendOver(Argb destination, Argb source) {
    const uint32_t alpha = source >> 24;
    if (alpha == 0)
        return destination;
    if (alpha == 255)
        return source;
    Argb result = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t mixed =
            (channel(source, shift) * alpha + channel(destination, shift) * (255 - alpha)) / 255;
        result |= mixed << shift;
    }
    return result;
}

Argb interpolate(Argb from, Argb to, int step, int steps) {
    Argb result = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const int a = int(channel(from, shift));
        const int b = int(channel(to, shift));
        result |= uint32_t(a + (b - a) * step / steps) << shift;
    }
    return result;
}

void gradientRows(Argb top, Argb bottom, std::optional<Argb> border, int height,
                  std::vector<Argb>& rows) {
    rows.resize(size_t(std::max(height, 0)));
    const int steps = std::max(height - 1, 1);
    for (int row = 0; row < height; ++row)
        rows[size_t(row)] = border && (row == 0 || row == height - 1)
                                ? *border
                                : interpolate(top, bottom, row, steps);
}

void PixelCanvas::blendRow(uint32_t* row, int x0, int x1, Argb colour) {
    const uint32_t alpha = colour >> 24;
    if (alpha == 255) {
        std::fill(row + x0, row + x1, colour);
        return;
    }
    if (alpha == 0)
        return;
    for (int x = x0; x < x1; ++x)
        row[x] = blendOver(row[x], colour);
}

void PixelCanvas::fillRect(int x0, int y0, int x1, int y1, Argb colour) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    for (int y = y0; y < y1 && x0 < x1; ++y)
        blendRow(bits_ + y * stride_, x0, x1, colour);
}

void PixelCanvas::fillRows(int x0, int x1, int y0, std::span<const Argb> rowColours) {
    const int firstRow = std::max(y0, 0);
    const int endRow = std::min(y0 + int(rowColours.size()), height_);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    for (int y = firstRow; y < endRow && x0 < x1; ++y)
        blendRow(bits_ + y * stride_, x0, x1, rowColours[size_t(y - y0)]);
}

} // namespace kavrin
