// The program's own images: every one is embedded, loads and has the size
// the window lays out.
#include <gtest/gtest.h>

#include <vector>

#include "resources/resource_ids.h"
#include "ui/controls/dib.h"

namespace {

struct ExpectedImage {
    int id;
    int width;
    int height;
};

const std::vector<ExpectedImage> kWindowImages = {
    {ResourceId::kBackground, 408, 544},
    {ResourceId::kLoad, 40, 80},
    {ResourceId::kConvert, 40, 80},
    {ResourceId::kRowUnused, 301, 16},
    {ResourceId::kRowUsed, 301, 16},
    {ResourceId::kChannelSwitchOff, 16, 32},
    {ResourceId::kVolumeDownOn, 16, 32},
    {ResourceId::kMuteOn, 16, 32},
    {ResourceId::kChannelSwitchDisabled, 16, 16},
    {ResourceId::kTempoUp, 22, 22},
    {ResourceId::kTempoUpPressed, 22, 22},
    {ResourceId::kTempoDown, 22, 22},
    {ResourceId::kTempoDownPressed, 22, 22},
    {ResourceId::kDigits, 12 * kDigitCellWidth, 34},
    {ResourceId::kPreCountOff, 14, 28},
    {ResourceId::kPreCountOn, 14, 28},
    {ResourceId::kMelodyOff, 80, 96},
    {ResourceId::kMelodyOn, 80, 96},
    {ResourceId::kGuitarOff, 80, 96},
    {ResourceId::kGuitarOn, 80, 96},
    {ResourceId::kBassOff, 80, 96},
    {ResourceId::kBassOn, 80, 96},
    {ResourceId::kDrumsOff, 80, 96},
    {ResourceId::kDrumsOn, 80, 96},
    // The part switches' look without a song: single images.
    {ResourceId::kMelodyDisabled, 80, 48},
    {ResourceId::kGuitarDisabled, 80, 48},
    {ResourceId::kBassDisabled, 80, 48},
    {ResourceId::kDrumsDisabled, 80, 48},
};

TEST(ResourceImagesTest, EveryWindowImageLoadsWithItsSizeAndNoPalette)
{
    ASSERT_EQ(kWindowImages.size(), 28u);
    for (const ExpectedImage& expected : kWindowImages) {
        std::optional<DibPalette> palette;
        const auto image = LoadDibResource(expected.id, &palette);
        ASSERT_NE(image, nullptr) << "resource " << expected.id;
        EXPECT_EQ(image->Width(), expected.width) << "resource " << expected.id;
        EXPECT_EQ(image->Height(), expected.height) << "resource " << expected.id;
        EXPECT_FALSE(palette.has_value()) << "resource " << expected.id;
    }
}

TEST(ResourceImagesTest, EveryStripIsTwiceAsHighAsItsSwitch)
{
    // Switch sizes as the window places them, and the strips they show.
    struct SwitchImages {
        int width;
        int height;
        std::vector<int> strips;
    };
    const std::vector<SwitchImages> switches = {
        {40, 40, {ResourceId::kLoad, ResourceId::kConvert}},
        {16, 16, {ResourceId::kChannelSwitchOff, ResourceId::kVolumeDownOn, ResourceId::kMuteOn}},
        {14, 14, {ResourceId::kPreCountOff, ResourceId::kPreCountOn}},
        {80, 48, {ResourceId::kMelodyOff, ResourceId::kMelodyOn, ResourceId::kGuitarOff, ResourceId::kGuitarOn,
                  ResourceId::kBassOff, ResourceId::kBassOn, ResourceId::kDrumsOff, ResourceId::kDrumsOn}},
    };
    for (const SwitchImages& control : switches) {
        for (const int id : control.strips) {
            const auto strip = LoadDibResource(id);
            ASSERT_NE(strip, nullptr) << id;
            EXPECT_EQ(strip->Width(), control.width) << id;
            EXPECT_EQ(strip->Height(), 2 * control.height) << id;
        }
    }
    const auto disabled = LoadDibResource(ResourceId::kChannelSwitchDisabled);
    ASSERT_NE(disabled, nullptr);
    EXPECT_EQ(disabled->Height(), 16);  // a single image, not a strip
}

TEST(ResourceImagesTest, IconComesInThreeSquareSizes)
{
    const std::vector<CQBXBitmap> images = LoadIconImages(ResourceId::kIcon);
    ASSERT_EQ(images.size(), 3u);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = 16 * static_cast<int>(i + 1);
        EXPECT_EQ(images[i].Width(), size);
        EXPECT_EQ(images[i].Height(), size);
    }
    EXPECT_TRUE(LoadIconImages(ResourceId::kBackground).empty());
}

}  // namespace
