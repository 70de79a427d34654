// Parsing of device-independent bitmaps, byte by byte, little-endian.
#include "ui/controls/dib.h"

#include <cstddef>
#include <utility>

#include "resources/resource_table.h"

namespace {

// Offsets of the info header's fields, and the smallest header we read.
constexpr std::size_t kHeaderSizeField = 0;
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kPlanesField = 12;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kMinInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::size_t kColourTableEntrySize = 4;  // blue, green, red, reserved
static_assert(kCompressionField + 4 <= kMinInfoHeaderSize, "every field read lies inside the smallest header");

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t U16At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// The fields of the info header that decoding needs.
struct DibHeader {
    std::size_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows top-down
    int planes = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
};

std::optional<DibHeader> ReadHeader(std::span<const std::uint8_t> dib)
{
    if (dib.size() < kMinInfoHeaderSize) {
        return std::nullopt;
    }
    DibHeader header;
    header.headerSize = U32At(dib, kHeaderSizeField);
    if (header.headerSize < kMinInfoHeaderSize || header.headerSize > dib.size()) {
        return std::nullopt;
    }
    header.width = static_cast<std::int32_t>(U32At(dib, kWidthField));
    header.height = static_cast<std::int32_t>(U32At(dib, kHeightField));
    header.planes = U16At(dib, kPlanesField);
    header.bitCount = U16At(dib, kBitCountField);
    header.compression = U32At(dib, kCompressionField);
    return header;
}

int ColourTableCount(int bitCount)
{
    return bitCount > 8 ? 0 : 1 << bitCount;
}

bool IsSupportedDepth(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

// The colour-table index of pixel x of a 1-, 4- or 8-bit row.
int IndexAt(const std::uint8_t* row, std::int64_t x, int bitCount)
{
    const std::int64_t bitOffset = x * bitCount;
    const std::uint8_t byte = row[bitOffset / 8];
    const int shift = 8 - bitCount - static_cast<int>(bitOffset % 8);
    return (byte >> shift) & ((1 << bitCount) - 1);
}

}  // namespace

std::optional<DibPalette> CreateDibPalette(std::span<const std::uint8_t> dib, int& count)
{
    count = 0;
    const std::optional<DibHeader> header = ReadHeader(dib);
    if (!header) {
        return std::nullopt;
    }
    count = ColourTableCount(header->bitCount);
    if (count == 0 || header->headerSize + static_cast<std::size_t>(count) * kColourTableEntrySize > dib.size()) {
        return std::nullopt;
    }
    DibPalette palette;
    palette.entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t at = header->headerSize + static_cast<std::size_t>(i) * kColourTableEntrySize;
        palette.entries.push_back({dib[at + 2], dib[at + 1], dib[at], 0});
    }
    return palette;
}

std::unique_ptr<CQBXBitmap> LoadDib(std::span<const std::uint8_t> dib, std::optional<DibPalette>* palette)
{
    if (palette != nullptr) {
        palette->reset();
    }
    const std::optional<DibHeader> header = ReadHeader(dib);
    if (!header || header->planes != 1 || header->compression != kUncompressed || !IsSupportedDepth(header->bitCount) ||
        header->width <= 0 || header->height == 0) {
        return nullptr;
    }
    int count = 0;
    std::optional<DibPalette> colours = CreateDibPalette(dib, count);
    if (count > 0 && !colours) {
        return nullptr;
    }
    const bool topDown = header->height < 0;
    const std::int64_t width = header->width;
    const std::int64_t height = topDown ? -header->height : header->height;
    const std::size_t pixelOffset = header->headerSize + static_cast<std::size_t>(count) * kColourTableEntrySize;
    // Each row is padded to a whole number of 32-bit words.
    const std::int64_t stride = (width * header->bitCount + 31) / 32 * 4;
    const std::int64_t available = static_cast<std::int64_t>(dib.size() - pixelOffset);
    if (stride > available / height) {
        return nullptr;
    }

    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t storedRow = topDown ? y : height - 1 - y;
        const std::uint8_t* row = dib.data() + pixelOffset + storedRow * stride;
        std::uint8_t* out = rgb.data() + y * width * 3;
        for (std::int64_t x = 0; x < width; ++x, out += 3) {
            if (header->bitCount == 24) {
                out[0] = row[x * 3 + 2];
                out[1] = row[x * 3 + 1];
                out[2] = row[x * 3];
            } else {
                const PaletteEntry& entry = colours->entries[static_cast<std::size_t>(IndexAt(row, x, header->bitCount))];
                out[0] = entry.red;
                out[1] = entry.green;
                out[2] = entry.blue;
            }
        }
    }
    if (palette != nullptr) {
        *palette = std::move(colours);
    }
    return std::make_unique<CQBXBitmap>(static_cast<int>(width), static_cast<int>(height), std::move(rgb));
}

std::unique_ptr<CQBXBitmap> LoadDibResource(int id, std::optional<DibPalette>* palette, const BitmapResourceSource& source)
{
    const std::span<const std::uint8_t> dib = source ? source(id) : FindBitmapResource(id);
    if (dib.empty()) {
        if (palette != nullptr) {
            palette->reset();
        }
        return nullptr;
    }
    return LoadDib(dib, palette);
}

std::vector<CQBXBitmap> LoadIconImages(int id)
{
    std::vector<CQBXBitmap> images;
    for (const std::span<const std::uint8_t> dib : FindIconResource(id)) {
        if (std::unique_ptr<CQBXBitmap> image = LoadDib(dib)) {
            images.push_back(std::move(*image));
        }
    }
    return images;
}
