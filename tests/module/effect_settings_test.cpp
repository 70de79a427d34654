// Reverb and chorus from the module's configuration: names, levels, the
// explicit defaults, and values that are not understood.

#include "module/fluid/effect_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EffectSettingsTest, WithoutLinesTheDefaultsAreWrittenOut) {
    std::string problem;
    const EffectSettings effects = EffectsFromConfig("gain = 0.2\n", "/m/QNStaff.conf", problem);
    EXPECT_EQ(problem, "");
    // The reverb and chorus FluidSynth 2.4 starts with, whatever the library's own are.
    EXPECT_TRUE(effects.reverb.active);
    EXPECT_DOUBLE_EQ(effects.reverb.roomSize, 0.5);
    EXPECT_DOUBLE_EQ(effects.reverb.damp, 0.3);
    EXPECT_DOUBLE_EQ(effects.reverb.width, 0.8);
    EXPECT_DOUBLE_EQ(effects.reverb.level, 0.7);
    EXPECT_TRUE(effects.chorus.active);
    EXPECT_EQ(effects.chorus.voices, 3);
    EXPECT_DOUBLE_EQ(effects.chorus.level, 0.6);
    EXPECT_DOUBLE_EQ(effects.chorus.speedHz, 0.2);
    EXPECT_DOUBLE_EQ(effects.chorus.depthMs, 4.25);
}

TEST(EffectSettingsTest, NamesAndLevels) {
    EXPECT_FALSE(ReverbNamed("off")->active);
    EXPECT_DOUBLE_EQ(ReverbNamed("room")->roomSize, 0.5);
    EXPECT_GT(ReverbNamed("hall")->roomSize, ReverbNamed("room")->roomSize);
    EXPECT_TRUE(ReverbNamed("hall")->active);
    EXPECT_DOUBLE_EQ(ReverbNamed("0.25")->level, 0.25);
    EXPECT_DOUBLE_EQ(ReverbNamed("0.25")->roomSize, 0.5);
    EXPECT_DOUBLE_EQ(ReverbNamed("0")->level, 0.0);
    EXPECT_DOUBLE_EQ(ReverbNamed("1")->level, 1.0);
    EXPECT_FALSE(ChorusNamed("off")->active);
    EXPECT_TRUE(ChorusNamed("on")->active);
    EXPECT_DOUBLE_EQ(ChorusNamed("on")->level, 0.6);
    EXPECT_DOUBLE_EQ(ChorusNamed("0.1")->level, 0.1);
    for (const char* bad : {"", "Off", "1.5", "-0.1", "nan", "0.5x", "loud"}) {
        EXPECT_EQ(ReverbNamed(bad), std::nullopt) << bad;
        EXPECT_EQ(ChorusNamed(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(ReverbNamed("on"), std::nullopt);
    EXPECT_EQ(ChorusNamed("hall"), std::nullopt);
}

TEST(EffectSettingsTest, TheFirstLineOfAKeyCountsAndBadValuesAreTold) {
    std::string problem;
    EffectSettings effects = EffectsFromConfig("reverb = off\nchorus=0.3\nreverb = hall\n", "/m/QNStaff.conf", problem);
    EXPECT_EQ(problem, "");
    EXPECT_FALSE(effects.reverb.active);
    EXPECT_DOUBLE_EQ(effects.chorus.level, 0.3);

    effects = EffectsFromConfig("reverb = cave\nchorus = lots\n", "/m/QNStaff.conf", problem);
    EXPECT_TRUE(effects.reverb.active);
    EXPECT_DOUBLE_EQ(effects.reverb.level, 0.7);
    EXPECT_TRUE(effects.chorus.active);
    EXPECT_EQ(problem,
              "\"reverb = cave\" in /m/QNStaff.conf is not off, room, hall or a level from 0 to 1; the room reverb is "
              "used; \"chorus = lots\" in /m/QNStaff.conf is not off, on or a level from 0 to 1; the chorus is on");
}

}  // namespace
