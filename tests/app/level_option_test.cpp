// --level TARGET=DB: reading it, finding the channels its target names in
// an opened song, recording it with the options, and what the module hears.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "app/options/up_to_date.h"
#include "app/song/song_options_logic.h"
#include "option_conversion_fixture.h"

namespace {

ChannelSet Channels(std::initializer_list<int> numbers) {
    ChannelSet set{};
    for (int n : numbers) set[n - 1] = true;
    return set;
}

TEST(LevelOption, ReadsTargetAndDecibelsDividedByTheLastEquals) {
    struct Case {
        const char* text;
        const char* target;
        double db;
    };
    for (const Case& c : {Case{"melody=-6", "melody", -6.0}, Case{"2,5-7=+3.5", "2,5-7", 3.5},
                          Case{"Alto Sax=-9", "Alto Sax", -9.0}, Case{"a=b=-60", "a=b", -60.0},
                          Case{"bass=12", "bass", 12.0}, Case{" bass = -1 ", "bass", -1.0}}) {
        const auto level = ParseLevel(c.text);
        ASSERT_TRUE(level) << c.text;
        EXPECT_EQ(level->target, c.target);
        EXPECT_EQ(level->db, c.db);
    }
    for (const char* bad : {"bass", "=-6", "bass=", "bass=-60.5", "bass=+12.1", "bass=x", "bass=6dB", "bass=nan",
                            "bass=--6"}) {
        EXPECT_FALSE(ParseLevel(bad)) << bad;
    }
}

TEST(LevelOption, IsRepeatableAndABadOneIsAUsageErrorThatSaysTheForm) {
    const ParsedCommandLine parsed = ParseOptionCommandLine({"--level", "bass=-6", "--level=3=+2", "a.mid"});
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.request.levels.size(), 2u);
    EXPECT_EQ(parsed.request.levels[0].target, "bass");
    EXPECT_EQ(parsed.request.levels[1].db, 2.0);

    const ParsedCommandLine bad = ParseOptionCommandLine({"--level", "bass=-70", "a.mid"});
    EXPECT_NE(bad.error.find("'bass=-70'"), std::string::npos) << bad.error;
    EXPECT_NE(bad.error.find("-60"), std::string::npos) << bad.error;
    EXPECT_NE(ParseOptionCommandLine({"--level", "a.mid"}).error, "");
}

TEST(LevelOption, TargetsAreChannelListsThenPartsThenTrackNamesOfAnyCase) {
    SongOptions options;
    ResetSongOptions(options);
    options.channelUsed[1] = options.channelUsed[3] = options.channelUsed[4] = 1;
    options.partChannels[PartKind::kBass] = 1u << 1;
    options.trackNames[3] = {"Alto", "Alto Sax"};
    options.trackNames[4] = {"Bass"};  // a track named as a part: the part wins
    EXPECT_EQ(LevelTargetChannels("2,5-7", options), Channels({2, 5, 6, 7}));
    EXPECT_EQ(LevelTargetChannels("BASS", options), Channels({2}));
    EXPECT_EQ(LevelTargetChannels("alto sax", options), Channels({4}));
    EXPECT_EQ(LevelTargetChannels("alto", options), Channels({4}));
    EXPECT_EQ(LevelTargetChannels("Alt", options), Channels({}));  // whole names only
    EXPECT_EQ(LevelTargetChannels("melody", options), Channels({}));

    ConversionRequest request;
    request.levels = {{"alto", -6.0}, {"tenor", -3.0}, {"4", 2.0}, {"melody", 1.0}};
    EXPECT_EQ(LevelTargetsNotFound(request, options), (std::vector<std::string>{"tenor", "melody"}));
    ApplyRequestedOptions(request, options);
    EXPECT_EQ(options.levelDb[3], 2.0);  // the later request wins
    EXPECT_EQ(options.levelDb[1], 0.0);
}

TEST(LevelOption, AChangedLevelChangesTheRecordedOptions) {
    ConversionRequest plain;
    ConversionRequest cut;
    cut.levels = {{"bass", -6.0}};
    ConversionRequest other = cut;
    other.levels[0].db = -5.0;
    ConversionRequest renamed = cut;
    renamed.levels[0].target = "2";
    // Commas in a target cannot make two lists read the same.
    ConversionRequest one;
    one.levels = {{"a=1.000;1:b", -6.0}};
    ConversionRequest two;
    two.levels = {{"a", 1.0}, {"b", -6.0}};
    const std::vector<std::string> prints = {OptionsFingerprint(plain), OptionsFingerprint(cut), OptionsFingerprint(other),
                                             OptionsFingerprint(renamed), OptionsFingerprint(one), OptionsFingerprint(two)};
    for (std::size_t i = 0; i < prints.size(); ++i) {
        for (std::size_t j = i + 1; j < prints.size(); ++j) EXPECT_NE(prints[i], prints[j]) << i << " " << j;
    }
    // Runs without levels keep the records they already wrote.
    EXPECT_EQ(prints[0].find("level"), std::string::npos);
}

class LevelEffects : public OptionConversionTest {
protected:
    std::vector<QnsTestCall> Convert(const std::vector<std::string>& arguments) { return ConvertWith(PracticeSong(), arguments); }
    // The value of the first `controller` message on `channel`, -1 when none is sent.
    static int FirstControl(const std::vector<QnsTestCall>& calls, int channel, int controller) {
        const auto found = std::find_if(calls.begin(), calls.end(), [&](const QnsTestCall& c) {
            return c.function == QNSTEST_SEND_SHORT && (c.message & 0xFF) == static_cast<std::uint32_t>(0xB0 | (channel - 1)) &&
                   static_cast<int>((c.message >> 8) & 0xFF) == controller;
        });
        return found == calls.end() ? -1 : static_cast<int>((found->message >> 16) & 0xFF);
    }
};

TEST_F(LevelEffects, APartsLevelReachesTheModuleAsScaledVolumeAndExpression) {
    const auto plain = Convert({"--no-precount"});
    EXPECT_EQ(FirstControl(plain, 2, 7), 100);
    EXPECT_EQ(FirstControl(plain, 2, 11), -1);
    const auto cut = Convert({"--no-precount", "--level", "bass=-6", "--level", "4=-20"});
    EXPECT_EQ(FirstControl(cut, 2, 7), 84);    // the song's volume 100
    EXPECT_EQ(FirstControl(cut, 2, 11), 107);  // the default expression 127
    EXPECT_EQ(FirstControl(cut, 4, 7), 56);    // the default volume 100 x 10^(-20/80)
    EXPECT_EQ(FirstControl(cut, 1, 7), FirstControl(plain, 1, 7));
}

}  // namespace
