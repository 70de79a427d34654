// Device-independent bitmaps: palettes, pixel offsets, row order and padding,
// and bytes that end too early.
#include "ui/controls/dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Put16(Bytes& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A 40-byte info header; `clrUsed` is the field the loader must not consult.
Bytes InfoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t clrUsed = 0)
{
    Bytes bytes;
    Put32(bytes, 40);
    Put32(bytes, static_cast<std::uint32_t>(width));
    Put32(bytes, static_cast<std::uint32_t>(height));
    Put16(bytes, 1);  // planes
    Put16(bytes, bitCount);
    Put32(bytes, 0);  // uncompressed
    Put32(bytes, 0);  // image size
    Put32(bytes, 3780);
    Put32(bytes, 3780);
    Put32(bytes, clrUsed);
    Put32(bytes, 0);
    return bytes;
}

std::size_t Stride(int width, int bitCount)
{
    return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

// A 24-bit DIB whose pixel (x, y from the top) is (x, y, 7), rows stored in
// the given order with their padding filled with 0xEE.
Bytes Dib24(int width, int height, bool topDown)
{
    Bytes bytes = InfoHeader(width, topDown ? -height : height, 24);
    for (int stored = 0; stored < height; ++stored) {
        const int y = topDown ? stored : height - 1 - stored;
        for (int x = 0; x < width; ++x) {
            bytes.push_back(7);  // blue
            bytes.push_back(static_cast<std::uint8_t>(y));
            bytes.push_back(static_cast<std::uint8_t>(x));
        }
        bytes.resize(bytes.size() + Stride(width, 24) - static_cast<std::size_t>(width) * 3, 0xEE);
    }
    return bytes;
}

void ExpectPattern24(const CQBXBitmap& image)
{
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            ASSERT_EQ(image.Pixel(x, y), (std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7}))
                << "at " << x << "," << y;
        }
    }
}

TEST(DibTest, TwentyFourBitHasNoPaletteAndPixelsRightAfterTheHeader)
{
    const Bytes dib = Dib24(2, 1, false);
    int count = -1;
    EXPECT_FALSE(CreateDibPalette(dib, count).has_value());
    EXPECT_EQ(count, 0);

    std::optional<DibPalette> palette = DibPalette{};
    const auto image = LoadDib(dib, &palette);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(palette.has_value());
    ExpectPattern24(*image);
}

TEST(DibTest, PaddedWidthsOfTheWindowImagesDecodeBottomUpAndTopDown)
{
    for (const int width : {301, 22, 14, 16}) {
        for (const bool topDown : {false, true}) {
            const auto image = LoadDib(Dib24(width, 5, topDown));
            ASSERT_NE(image, nullptr) << width;
            EXPECT_EQ(image->Width(), width);
            EXPECT_EQ(image->Height(), 5);
            ExpectPattern24(*image);
        }
    }
}

TEST(DibTest, FourBitHasSixteenEntriesAndPixelsSixtyFourBytesAfterTheHeader)
{
    // Used-colours says 2: the table still has 16 entries.
    Bytes dib = InfoHeader(3, 2, 4, 2);
    for (int i = 0; i < 16; ++i) {
        dib.insert(dib.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 2), static_cast<std::uint8_t>(i * 3), 0x55});
    }
    ASSERT_EQ(dib.size(), 40u + 64u);
    dib.insert(dib.end(), {0x45, 0x60, 0, 0});  // bottom row: 4, 5, 6
    dib.insert(dib.end(), {0x12, 0x30, 0, 0});  // top row: 1, 2, 3

    int count = 0;
    const std::optional<DibPalette> palette = CreateDibPalette(dib, count);
    EXPECT_EQ(count, 16);
    ASSERT_TRUE(palette.has_value());
    EXPECT_EQ(palette->version, 0x300);
    ASSERT_EQ(palette->entries.size(), 16u);
    EXPECT_EQ(palette->entries[5], (PaletteEntry{15, 10, 5, 0}));  // red from the third byte, flags 0

    std::optional<DibPalette> handedOver;
    const auto image = LoadDib(dib, &handedOver);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(handedOver.has_value());
    EXPECT_EQ(image->Pixel(0, 0), (std::array<std::uint8_t, 3>{3, 2, 1}));
    EXPECT_EQ(image->Pixel(2, 0), (std::array<std::uint8_t, 3>{9, 6, 3}));
    EXPECT_EQ(image->Pixel(1, 1), (std::array<std::uint8_t, 3>{15, 10, 5}));
}

TEST(DibTest, OneAndEightBitPixelsIndexTheirTables)
{
    Bytes mono = InfoHeader(10, 1, 1);
    mono.insert(mono.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    mono.insert(mono.end(), {0b1000'0000, 0b0100'0000, 0, 0});  // pixels 0 and 9 set
    const auto monoImage = LoadDib(mono);
    ASSERT_NE(monoImage, nullptr);
    EXPECT_EQ(monoImage->Pixel(0, 0)[0], 255);
    EXPECT_EQ(monoImage->Pixel(1, 0)[0], 0);
    EXPECT_EQ(monoImage->Pixel(8, 0)[0], 0);
    EXPECT_EQ(monoImage->Pixel(9, 0)[0], 255);

    Bytes grey = InfoHeader(1, 1, 8);
    for (int i = 0; i < 256; ++i) {
        grey.insert(grey.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    }
    grey.insert(grey.end(), {200, 0, 0, 0});
    int count = 0;
    EXPECT_TRUE(CreateDibPalette(grey, count).has_value());
    EXPECT_EQ(count, 256);
    const auto greyImage = LoadDib(grey);
    ASSERT_NE(greyImage, nullptr);
    EXPECT_EQ(greyImage->Pixel(0, 0), (std::array<std::uint8_t, 3>{200, 200, 200}));
}

TEST(DibTest, BytesThatEndTooEarlyGiveNothing)
{
    const Bytes whole = Dib24(301, 3, false);
    ASSERT_NE(LoadDib(whole), nullptr);
    // Even the last row's padding must be there.
    for (const std::size_t size : {whole.size() - 1, std::size_t{41}, std::size_t{39}, std::size_t{0}}) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(LoadDib(cut), nullptr) << size;
    }

    Bytes shortTable = InfoHeader(1, 1, 8);
    shortTable.resize(shortTable.size() + 100);
    int count = 0;
    EXPECT_FALSE(CreateDibPalette(shortTable, count).has_value());
    EXPECT_EQ(count, 256);
    EXPECT_EQ(LoadDib(shortTable), nullptr);
}

TEST(DibTest, MalformedHeadersGiveNothing)
{
    const auto withField = [](std::size_t at, std::uint32_t value, int bytes) {
        Bytes dib = Dib24(4, 4, false);
        for (int i = 0; i < bytes; ++i) {
            dib[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        return dib;
    };
    EXPECT_EQ(LoadDib(withField(0, 12, 4)), nullptr);          // header size below the info header
    EXPECT_EQ(LoadDib(withField(0, 1u << 30, 4)), nullptr);    // header size past the data
    EXPECT_EQ(LoadDib(withField(4, 0, 4)), nullptr);           // width 0
    EXPECT_EQ(LoadDib(withField(4, 0xFFFFFFFF, 4)), nullptr);  // width -1
    EXPECT_EQ(LoadDib(withField(8, 0, 4)), nullptr);           // height 0
    EXPECT_EQ(LoadDib(withField(8, 0x80000000, 4)), nullptr);  // the most negative height
    EXPECT_EQ(LoadDib(withField(8, 0x7FFFFFFF, 4)), nullptr);  // rows far past the data
    EXPECT_EQ(LoadDib(withField(14, 16, 2)), nullptr);         // 16 bits a pixel
    EXPECT_EQ(LoadDib(withField(16, 1, 4)), nullptr);          // run-length compressed
}

TEST(DibTest, MissingResourceGivesNothing)
{
    const Bytes dib = Dib24(3, 3, true);
    const BitmapResourceSource source = [&dib](int id) {
        return id == 7 ? std::span<const std::uint8_t>(dib) : std::span<const std::uint8_t>();
    };
    std::optional<DibPalette> palette = DibPalette{};
    EXPECT_EQ(LoadDibResource(8, &palette, source), nullptr);
    EXPECT_FALSE(palette.has_value());
    EXPECT_NE(LoadDibResource(7, nullptr, source), nullptr);
    EXPECT_EQ(LoadDibResource(99999), nullptr);  // not among the program's own
}

}  // namespace
