// The bitmaps and icons embedded in the program, found by resource ID. Every
// BMP file of resources/ is compiled in, so the program needs no image files
// beside it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The device-independent bitmap of bitmap resource `id` (info header, colour
// table, pixels), or an empty span when the program has no such bitmap.
std::span<const std::uint8_t> FindBitmapResource(int id);

// The bitmaps of icon resource `id`, one per size, smallest first; empty
// when the program has no such icon.
std::vector<std::span<const std::uint8_t>> FindIconResource(int id);
