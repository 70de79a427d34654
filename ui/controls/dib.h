// Device-independent bitmaps (DIBs) from the program's resources: an info
// header, a colour table for 1-, 4- and 8-bit pixels, then the pixel rows.
// Every read is checked against the data; a bitmap that does not fit in its
// bytes gives nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "ui/controls/qbx_bitmap.h"

// One palette entry, as the colour table gives it.
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

// A logical palette built from a DIB's colour table.
struct DibPalette {
    std::uint16_t version = 0x300;
    std::vector<PaletteEntry> entries;
};

// Where bitmap resources come from: the DIB bytes of an ID, empty if none.
using BitmapResourceSource = std::function<std::span<const std::uint8_t>(int id)>;

// The palette of `dib`: none (and `count` 0) above 8 bits a pixel, else
// 2 to the power of the bits a pixel entries from the colour table (the
// header's used-colours field is not consulted). `count` is the number of
// colour-table entries, also when the table lies past the data, which gives
// no palette. A header too short to read gives count 0 and no palette.
std::optional<DibPalette> CreateDibPalette(std::span<const std::uint8_t> dib, int& count);

// Decodes `dib` (1, 4, 8 or 24 bits a pixel, uncompressed; rows bottom-up,
// or top-down for a negative height; rows padded to 4 bytes; the pixels
// start after the header's own size plus 4 bytes a colour-table entry).
// Null when the bytes are not such a bitmap or end too early. When `palette`
// is given it receives the palette (or nothing).
std::unique_ptr<CQBXBitmap> LoadDib(std::span<const std::uint8_t> dib, std::optional<DibPalette>* palette = nullptr);

// Loads bitmap resource `id` from `source` (the program's own resources by
// default) as LoadDib does; null when the resource is missing or malformed.
std::unique_ptr<CQBXBitmap> LoadDibResource(int id, std::optional<DibPalette>* palette = nullptr,
                                            const BitmapResourceSource& source = nullptr);

// The images of icon resource `id`, smallest first; malformed ones are left
// out, and a missing icon gives none.
std::vector<CQBXBitmap> LoadIconImages(int id);
