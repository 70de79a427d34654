// The artwork's BMP files: the headers a resource compiler expects, rows
// bottom-up with their padding, and pixels that read back unchanged.
#include "tools/artgen/bmp_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "ui/controls/dib.h"

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Writes a width x 3 image whose pixel (x, y) is (x, 50 y, 200) and returns
// the file's bytes.
std::vector<std::uint8_t> WritePattern(int width)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, 3);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < 3; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
        for (int x = 0; x < width; ++x) {
            row[x] = static_cast<std::uint32_t>((x & 0xFF) << 16 | (50 * y) << 8 | 200);
        }
    }
    cairo_surface_mark_dirty(surface);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ombrix_bmp_file_test.bmp";
    EXPECT_TRUE(WriteBmp24(surface, path.string()));
    cairo_surface_destroy(surface);
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::filesystem::remove(path);
    return bytes;
}

TEST(BmpFileTest, PaddedWidthsWriteHeadersAndRowsTheLoaderReadsBack)
{
    for (const int width : {301, 22, 14, 16}) {
        const std::vector<std::uint8_t> bytes = WritePattern(width);
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 54 + 3 * rowBytes) << width;
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(U32At(bytes, 2), bytes.size());
        EXPECT_EQ(U32At(bytes, 10), 54u);  // pixels right after the info header
        EXPECT_EQ(U32At(bytes, 14), 40u);
        EXPECT_EQ(U32At(bytes, 22), 3u);  // positive height: bottom-up
        // The first stored row is the bottom one: its first pixel is (0, 100, 200), stored blue first.
        EXPECT_EQ(bytes[54], 200);
        EXPECT_EQ(bytes[55], 100);
        EXPECT_EQ(bytes[56], 0);

        // What the program embeds: the file without its 14-byte file header.
        const auto image = LoadDib(std::span<const std::uint8_t>(bytes).subspan(14));
        ASSERT_NE(image, nullptr) << width;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(image->Pixel(x, y),
                          (std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(50 * y), 200}))
                    << width << " at " << x << "," << y;
            }
        }
    }
}

TEST(BmpFileTest, UnwritablePathFails)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 2);
    EXPECT_FALSE(WriteBmp24(surface, "/nonexistent-folder/x.bmp"));
    cairo_surface_destroy(surface);
}

}  // namespace
