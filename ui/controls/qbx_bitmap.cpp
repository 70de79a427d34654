// A bitmap's size and pixels.
#include "ui/controls/qbx_bitmap.h"

#include <cstddef>
#include <utility>

CQBXBitmap::CQBXBitmap(int width, int height, std::vector<std::uint8_t> rgb)
    : width_(width), height_(height), rgb_(std::move(rgb))
{
}

std::array<std::uint8_t, 3> CQBXBitmap::Pixel(int x, int y) const
{
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
    return {rgb_[at], rgb_[at + 1], rgb_[at + 2]};
}
