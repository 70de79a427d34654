// A bitmap loaded from the program's resources: its size and its pixels as
// RGB bytes, ready for any canvas to draw.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CQBXBitmap {
public:
    // Takes `rgb`: `height` rows from the top, `width` pixels of red, green,
    // blue bytes each, no row padding. Its size must be width x height x 3.
    CQBXBitmap(int width, int height, std::vector<std::uint8_t> rgb);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // All pixels: rows from the top, three bytes (red, green, blue) a pixel.
    const std::vector<std::uint8_t>& Rgb() const { return rgb_; }
    // Red, green and blue of the pixel at column x, row y from the top
    // (both inside the bitmap).
    std::array<std::uint8_t, 3> Pixel(int x, int y) const;

    // A slot where a toolkit keeps its own copy of the pixels (a cairo
    // surface, say), made on first draw and freed with the bitmap.
    std::shared_ptr<void>& ToolkitCache() const { return toolkitCache_; }

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> rgb_;
    mutable std::shared_ptr<void> toolkitCache_;
};
