// The skin against the readability figures the window promises: channel
// names on a lit row bar and the key and click status line on the panel's
// foot at 4.5:1 or more, the empty PRE COUNT box at 3:1
// or more against the panel around it, no lit lamp on a part switch
// while no song is loaded, the name of a removed part at 4.5:1 on its key,
// and a muted channel's key told from an unmuted one by its whole face.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "resources/resource_ids.h"
#include "ui/controls/dib.h"
#include "ui/window/main_window.h"

namespace {

using Rgb = std::array<std::uint8_t, 3>;

double Channel(std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(const Rgb& rgb) {
    return 0.2126 * Channel(rgb[0]) + 0.7152 * Channel(rgb[1]) + 0.0722 * Channel(rgb[2]);
}

double Contrast(const Rgb& a, const Rgb& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ArtworkContrastTest, ChannelNamesReachFourAndAHalfToOneOnEveryPixelTheyCover) {
    const auto bar = LoadDibResource(ResourceId::kRowUsed);
    ASSERT_NE(bar, nullptr);
    const Rgb text{kChannelNameColour.red, kChannelNameColour.green, kChannelNameColour.blue};
    // Names start 4 pixels into the bar and stay within its inner face, left of the pilot lamp.
    for (int y = 2; y < bar->Height() - 2; ++y) {
        for (int x = 4; x < 280; ++x) {
            ASSERT_GE(Contrast(text, bar->Pixel(x, y)), 4.5) << "at " << x << "," << y;
        }
    }
}

TEST(ArtworkContrastTest, TheStatusLineReachesFourAndAHalfToOneOnTheStripItSitsOn) {
    const auto background = LoadDibResource(ResourceId::kBackground);
    ASSERT_NE(background, nullptr);
    const Rgb text{kPracticeStatusColour.red, kPracticeStatusColour.green, kPracticeStatusColour.blue};
    const PixelRect& strip = kPracticeStatusRect;
    for (int y = strip.y; y < strip.y + strip.height; ++y) {
        for (int x = strip.x; x < strip.x + strip.width; ++x) {
            ASSERT_GE(Contrast(text, background->Pixel(x, y)), 4.5) << "at " << x << "," << y;
        }
    }
}

TEST(ArtworkContrastTest, TheEmptyPreCountBoxStandsOutFromThePanel) {
    const auto box = LoadDibResource(ResourceId::kPreCountOff);
    const auto background = LoadDibResource(ResourceId::kBackground);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(background, nullptr);
    // The box's rim (released half) against the panel just left of the box at (248, 101).
    double best = 0;
    for (int i = 1; i < 13; ++i) best = std::max(best, Contrast(box->Pixel(1, i), background->Pixel(246, 101 + i)));
    EXPECT_GE(best, 3.0);
}

TEST(ArtworkContrastTest, PartSwitchesShowNoLitLampWithoutASong) {
    for (const int id : {ResourceId::kMelodyDisabled, ResourceId::kGuitarDisabled, ResourceId::kBassDisabled,
                         ResourceId::kDrumsDisabled}) {
        const auto image = LoadDibResource(id);
        ASSERT_NE(image, nullptr) << id;
        // Against the lamp of a part that plays: far darker.
        const auto playing = LoadDibResource(ResourceId::kMelodyOff);
        ASSERT_NE(playing, nullptr);
        EXPECT_LT(Luminance(image->Pixel(8, 7)) * 4, Luminance(playing->Pixel(8, 7))) << id;
    }
}

TEST(ArtworkContrastTest, ARemovedPartsNameReachesFourAndAHalfToOneOnItsKey) {
    for (const int id : {ResourceId::kMelodyOn, ResourceId::kGuitarOn, ResourceId::kBassOn, ResourceId::kDrumsOn}) {
        const auto image = LoadDibResource(id);
        ASSERT_NE(image, nullptr) << id;
        // The name's letters (released half, rows 36-43) against the key's face beside them.
        double best = 0;
        for (int y = 36; y < 44; ++y)
            for (int x = 14; x < 66; ++x) best = std::max(best, Contrast(image->Pixel(x, y), image->Pixel(12, y)));
        EXPECT_GE(best, 4.5) << id;
    }
}

TEST(ArtworkContrastTest, AMutedChannelsKeyDiffersByMoreThanItsLamp) {
    const auto on = LoadDibResource(ResourceId::kMuteOn);
    const auto off = LoadDibResource(ResourceId::kChannelSwitchOff);
    ASSERT_NE(on, nullptr);
    ASSERT_NE(off, nullptr);
    // Pixels at 3:1 or more from the unmuted key, outside the 8-pixel lamp in the middle.
    int differing = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool lamp = (x - 8) * (x - 8) + (y - 7) * (y - 7) <= 16;
            if (!lamp && Contrast(on->Pixel(x, y), off->Pixel(x, y)) >= 3.0) ++differing;
        }
    }
    EXPECT_GE(differing, 48);
}

}  // namespace
