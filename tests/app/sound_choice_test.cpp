// The sound a run converts with: the reverb and chorus choices, the
// installed SoundFonts and the check of a chosen one, the settings the
// module receives, and the sound the options records and reports name.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/options/loudness_set.h"
#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/up_to_date.h"
#include "app/options/run_report.h"
#include "app/options/sound_record.h"
#include "app/startup/sound_choice.h"
#include "app/startup/soundfont_catalog.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

// The first bytes of a SoundFont file: a RIFF chunk of form "sfbk".
std::string SoundFontBytes(const std::string& body = "LIST") { return std::string("RIFF\x10\0\0\0sfbk", 12) + body; }

ParsedCommandLine Parse(std::vector<std::string> arguments) { return ParseOptionCommandLine(arguments); }

TEST(SoundChoiceTest, ReverbAndChorusTakeTheirNamesOrALevelFrom0To1) {
    for (const char* good : {"off", "room", "hall", "0", "0.35", "1"}) EXPECT_TRUE(IsReverbChoice(good)) << good;
    for (const char* bad : {"", "on", "Hall", "1.01", "-0.2", "0.5dB", "nan", " 0.5"}) {
        EXPECT_FALSE(IsReverbChoice(bad)) << bad;
    }
    for (const char* good : {"off", "on", "0", "0.6", "1"}) EXPECT_TRUE(IsChorusChoice(good)) << good;
    for (const char* bad : {"", "room", "hall", "2", "x"}) EXPECT_FALSE(IsChorusChoice(bad)) << bad;
}

TEST(SoundChoiceTest, TheModuleIsToldEveryChoiceExplicitly) {
    EXPECT_EQ(ModuleSettingsText(SoundChoice{}), "reverb = room\nchorus = on\n");
    SoundChoice choice{"/fonts/My Font.sf3", "hall", "0.25"};
    EXPECT_EQ(ModuleSettingsText(choice), "soundfont = /fonts/My Font.sf3\nreverb = hall\nchorus = 0.25\n");
    EXPECT_EQ(ModuleSettingsText(SoundChoice{}, true), "reverb = room\nchorus = on\nsynthesizers = per-channel\n");
}

TEST(SoundChoiceTest, TheCommandLineTakesTheSoundOptions) {
    const ParsedCommandLine parsed =
        Parse({"--soundfont", "musescore-general", "--reverb=hall", "--chorus", "0.3", "song.mid"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.request.soundFont, "musescore-general");
    EXPECT_EQ(parsed.request.sound.reverb, "hall");
    EXPECT_EQ(parsed.request.sound.chorus, "0.3");
    const ConversionRequest plain = Parse({"song.mid"}).request;
    EXPECT_EQ(plain.sound, SoundChoice{});
    EXPECT_FALSE(plain.soundFont);
    EXPECT_EQ(Parse({"--reverb", "cathedral", "song.mid"}).error,
              "reverb 'cathedral' is not off, room, hall or a level from 0 to 1");
    EXPECT_EQ(Parse({"--chorus", "1.5", "song.mid"}).error, "chorus '1.5' is not off, on or a level from 0 to 1");
    EXPECT_EQ(Parse({"--soundfont=", "song.mid"}).error,
              "option --soundfont needs a SoundFont file or the name of an installed one");
    // Listing the SoundFonts needs no input.
    const ParsedCommandLine listing = Parse({"--list-soundfonts"});
    EXPECT_EQ(listing.error, "");
    EXPECT_TRUE(listing.request.listSoundFonts);
}

class SoundFontFolderTest : public testing::Test {
protected:
    void SetUp() override {
        system = dir.path() + "/sf2";
        user = dir.path() + "/user";
        fs::create_directories(system);
        fs::create_directories(user);
        std::ofstream(system + "/FluidR3_GM.sf2") << SoundFontBytes("0123456789");
        std::ofstream(system + "/TimGM6mb.SF2") << SoundFontBytes();
        std::ofstream(system + "/readme.txt") << "not listed";
        fs::create_symlink(system + "/FluidR3_GM.sf2", system + "/default-GM.sf2");
        fs::create_directories(system + "/folder.sf2");
        std::ofstream(user + "/My Piano.sf3") << SoundFontBytes();
        std::ofstream(user + "/timgm6mb.sf2") << SoundFontBytes("a later folder's file of the same name");
    }
    TempFolder dir;
    std::string system;
    std::string user;
};

TEST_F(SoundFontFolderTest, ListsSoundFontsAndTheirLinksByNameWithTheirSizes) {
    const std::vector<InstalledSoundFont> fonts = InstalledSoundFonts({system, user, dir.path() + "/missing"});
    ASSERT_EQ(fonts.size(), 4u);
    EXPECT_EQ(fonts[0].name, "default-gm");
    EXPECT_EQ(fonts[0].path, system + "/default-GM.sf2");
    EXPECT_EQ(fonts[0].size, 22u);  // the file the link leads to
    EXPECT_EQ(fonts[1].name, "fluidr3-gm");
    EXPECT_EQ(fonts[2].name, "my-piano");
    EXPECT_EQ(fonts[2].path, user + "/My Piano.sf3");
    EXPECT_EQ(fonts[3].name, "timgm6mb");
    EXPECT_EQ(fonts[3].path, system + "/TimGM6mb.SF2");  // the earlier folder's
    EXPECT_EQ(SoundFontName("/x/MuseScore_General.sf3"), "musescore-general");
}

TEST_F(SoundFontFolderTest, ANameIsLookedUpAndAPathTakenAsGiven) {
    const std::vector<InstalledSoundFont> fonts = InstalledSoundFonts({system, user});
    std::string error;
    EXPECT_EQ(ResolveSoundFont("My-Piano", fonts, error), user + "/My Piano.sf3");
    EXPECT_EQ(ResolveSoundFont("fluidr3-gm", fonts, error), system + "/FluidR3_GM.sf2");
    EXPECT_EQ(ResolveSoundFont("fonts/any.sf2", fonts, error), "fonts/any.sf2");
    EXPECT_EQ(ResolveSoundFont("any.SF3", fonts, error), "any.SF3");
    EXPECT_EQ(error, "");
    EXPECT_EQ(ResolveSoundFont("grand", fonts, error), std::nullopt);
    EXPECT_EQ(error,
              "no installed SoundFont is named 'grand' (installed: default-gm, fluidr3-gm, my-piano, timgm6mb; ombrix "
              "--list-soundfonts shows them, or give a file's path)");
    EXPECT_EQ(ResolveSoundFont("grand", {}, error), std::nullopt);
    EXPECT_NE(error.find("none is installed"), std::string::npos);
}

TEST_F(SoundFontFolderTest, AChosenFileThatIsNoUsableSoundFontIsToldByName) {
    EXPECT_EQ(SoundFontProblem(system + "/FluidR3_GM.sf2"), "");
    EXPECT_EQ(SoundFontProblem(system + "/default-GM.sf2"), "");
    EXPECT_EQ(SoundFontProblem(system + "/gone.sf2"), "the SoundFont " + system + "/gone.sf2 does not exist");
    EXPECT_EQ(SoundFontProblem(system + "/folder.sf2"), "the SoundFont " + system + "/folder.sf2 is not a file");
    EXPECT_EQ(SoundFontProblem(system + "/readme.txt"), "the SoundFont " + system + "/readme.txt is not a SoundFont");
    std::ofstream(system + "/short.sf2") << "RIFF";
    EXPECT_EQ(SoundFontProblem(system + "/short.sf2"), "the SoundFont " + system + "/short.sf2 is not a SoundFont");
    std::ofstream(system + "/wave.sf2") << std::string("RIFF\x10\0\0\0WAVE", 12);
    EXPECT_EQ(SoundFontProblem(system + "/wave.sf2"), "the SoundFont " + system + "/wave.sf2 is not a SoundFont");
    EXPECT_NE(SoundFontProblem(system + "/two\nlines.sf2").find("line break"), std::string::npos);
}

TEST_F(SoundFontFolderTest, TheRecordedSoundNamesTheFilesAsTheyAreNow) {
    const std::string module = dir.path() + "/QNStaff.so";
    std::ofstream(module) << "module";
    // Without a choice the module's QNStaff.conf names the SoundFont, relative to its folder.
    std::ofstream(dir.path() + "/QNStaff.conf") << "# soundfont = /no.sf2\nGain = 0.3\nsoundfont = sf2/TimGM6mb.SF2\n";
    const SoundRecord configured = DescribeSound(SoundChoice{}, module);
    EXPECT_EQ(configured.soundFont.path, dir.path() + "/sf2/TimGM6mb.SF2");
    EXPECT_TRUE(configured.soundFont.exists);
    EXPECT_EQ(configured.soundFont.size, 16u);
    EXPECT_EQ(configured.gain, "0.3");
    EXPECT_EQ(configured.module.size, 6u);

    SoundChoice choice{system + "/FluidR3_GM.sf2", "off", "0.5"};
    const SoundRecord chosen = DescribeSound(choice, module);
    EXPECT_EQ(chosen.soundFont.path, system + "/FluidR3_GM.sf2");
    const std::string line = SoundFingerprint(chosen);
    EXPECT_EQ(line.find("sound module=" + module + " 6 "), 0u) << line;
    EXPECT_NE(line.find(" soundfont=" + system + "/FluidR3_GM.sf2 22 "), std::string::npos) << line;
    EXPECT_TRUE(line.ends_with(" reverb=off chorus=0.5 gain=0.3")) << line;

    // The same SoundFont file changed (a package upgrade): another record.
    fs::last_write_time(system + "/FluidR3_GM.sf2", fs::last_write_time(system + "/FluidR3_GM.sf2") - std::chrono::hours(1));
    EXPECT_NE(SoundFingerprint(DescribeSound(choice, module)), line);
    fs::remove(dir.path() + "/QNStaff.conf");
    EXPECT_EQ(DescribeSound(choice, module).gain, "default");
    choice.soundFont = system + "/gone.sf2";
    EXPECT_NE(SoundFingerprint(DescribeSound(choice, module)).find(" soundfont=" + system + "/gone.sf2 missing "),
              std::string::npos);
}

TEST(SoundReportTest, EachReportLineNamesTheSound) {
    SoundRecord sound;
    sound.module = {"/m/QNStaff.so", true, 10, 5};
    sound.soundFont = {"/f/\"quoted\".sf2", true, 1234, 987654321};
    sound.reverb = "hall";
    sound.chorus = "off";
    sound.gain = "default";
    const std::string json = SoundJson(sound);
    EXPECT_EQ(json, R"({"module":"/m/QNStaff.so","soundfont":"/f/\"quoted\".sf2","soundfont_bytes":1234,)"
                    R"("soundfont_mtime_ns":987654321,"reverb":"hall","chorus":"off","gain":"default"})");
    const FileResult converted{"a.mid", "a.wav", FileStatus::kConverted, "", 1.5, 0.25, 100};
    EXPECT_TRUE(ReportLine(converted, json).ends_with(R"("bytes_written":100,"levels":[],"rehearsal":null,"sound":)" + json + "}"));
    sound.soundFont.exists = false;
    EXPECT_NE(SoundJson(sound).find(R"("soundfont_bytes":null,"soundfont_mtime_ns":null)"), std::string::npos);
}

}  // namespace

namespace {

TEST(LoudnessSetTest, TheLoudestSongReachesTheTargetAndTheOthersKeepTheirDistance) {
    // Songs at -20, -26 and -23 LUFS, one not measured: -20 is brought to -16.
    const std::optional<double> gain = SetGain({-20.0, -26.0, std::nullopt, -23.0}, -16.0);
    ASSERT_TRUE(gain);
    EXPECT_NEAR(20 * std::log10(*gain), 4.0, 1e-9);
    EXPECT_EQ(SetGain({std::nullopt}, -16.0), std::nullopt);
    EXPECT_EQ(SetGain({}, -16.0), std::nullopt);
}

TEST(LoudnessSetTest, TheCommandLineAsksForASetAndItsRecordDiffers) {
    const ParsedCommandLine set = ParseOptionCommandLine({"--loudness-set=-18", "a.mid", "b.mid"});
    ASSERT_EQ(set.error, "");
    EXPECT_TRUE(set.request.loudnessSet);
    EXPECT_EQ(set.request.loudnessLufs, -18.0);
    const ParsedCommandLine single = ParseOptionCommandLine({"--loudness=-18", "a.mid"});
    EXPECT_FALSE(single.request.loudnessSet);
    EXPECT_NE(OptionsFingerprint(set.request), OptionsFingerprint(single.request));
    EXPECT_EQ(ParseOptionCommandLine({"--loudness-set=-90", "a.mid"}).error,
              "loudness '-90' for --loudness-set is not a number of LUFS from -70 to -5");
    EXPECT_NE(ParseOptionCommandLine({"--loudness-set", "--normalize", "a.mid"}).error, "");
    // The run's set gain replaces the loudness target of each song.
    ConversionRequest measured = set.request;
    measured.setGain = 1.5;
    const OutputOptions output = RequestedOutput(measured);
    EXPECT_EQ(output.gain, 1.5);
    EXPECT_TRUE(output.limitPeaks);
    EXPECT_FALSE(output.loudnessLufs);
}

}  // namespace
