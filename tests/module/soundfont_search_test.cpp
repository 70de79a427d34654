// The configuration file beside the module and the SoundFont candidates: the
// file it names alone, else the installed General MIDI SoundFonts; the test
// variable replaces them all.

#include "module/fluid/module_config.h"
#include "module/fluid/soundfont_search.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

// Unsets the test variable for the test's duration.
class WithoutTestVariable {
public:
    WithoutTestVariable() {
        if (const char* value = std::getenv(kTestSoundFontVariable)) saved_ = value;
        unsetenv(kTestSoundFontVariable);
    }
    ~WithoutTestVariable() {
        if (saved_) setenv(kTestSoundFontVariable, saved_->c_str(), 1);
    }

private:
    std::optional<std::string> saved_;
};

TEST(ModuleConfigTest, TheFirstLineOfAKeyCountsWhateverItsCase) {
    const std::string text = "# gain = 0.9\n  Gain  =  0.5 \r\ngain=0.7\nsoundfonts=x\n";
    EXPECT_EQ(ConfigValue(text, "gain"), "0.5");
    EXPECT_EQ(ConfigValue(text, "soundfont"), std::nullopt);
    EXPECT_EQ(ConfigValue("soundfont=\n", "soundfont"), "");
}

TEST(ModuleConfigTest, TheGainIsANumberFrom0To1) {
    std::string problem;
    EXPECT_EQ(GainFromConfig("gain = 0.3\n", "/m/QNStaff.conf", problem), 0.3);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(GainFromConfig("GAIN=1\n", "/m/QNStaff.conf", problem), 1.0);
    EXPECT_EQ(GainFromConfig("gain = 0\n", "/m/QNStaff.conf", problem), 0.0);
    EXPECT_EQ(GainFromConfig("soundfont = /a.sf2\n", "/m/QNStaff.conf", problem), std::nullopt);
    EXPECT_EQ(problem, "");  // no gain line: the default, quietly
}

TEST(ModuleConfigTest, AGainOutOfRangeOrNotANumberIsToldAndIgnored) {
    for (const char* value : {"1.5", "-0.1", "loud", "0.3x", "nan", ""}) {
        std::string problem;
        EXPECT_EQ(GainFromConfig(std::string("gain = ") + value + "\n", "/m/QNStaff.conf", problem), std::nullopt)
            << value;
        EXPECT_EQ(problem, std::string("\"gain = ") + value +
                               "\" in /m/QNStaff.conf is not a number from 0.0 to 1.0; the default gain 0.3 is used");
    }
}

TEST(SoundFontConfigTest, TheSoundFontLineNamesTheFile) {
    EXPECT_EQ(SoundFontFromConfig("soundfont=/data/piano.sf2\n", "/mod"), "/data/piano.sf2");
    EXPECT_EQ(SoundFontFromConfig("  SoundFont  =  /data/my piano.sf2  \r\n", "/mod"), "/data/my piano.sf2");
}

TEST(SoundFontConfigTest, ARelativePathIsTakenFromTheModulesFolder) {
    EXPECT_EQ(SoundFontFromConfig("soundfont = fonts/gm.sf2", "/opt/tavoline"), "/opt/tavoline/fonts/gm.sf2");
}

TEST(SoundFontConfigTest, CommentsOtherKeysAndEmptyValuesNameNothing) {
    EXPECT_EQ(SoundFontFromConfig("# soundfont=/a.sf2\nvolume=3\n", "/mod"), "");
    EXPECT_EQ(SoundFontFromConfig("soundfont=\n", "/mod"), "");
    EXPECT_EQ(SoundFontFromConfig("", "/mod"), "");
    EXPECT_EQ(SoundFontFromConfig("soundfonts=/a.sf2\nsoundfont=/b.sf2\nsoundfont=/c.sf2\n", "/mod"), "/b.sf2");
}

TEST(SoundFontCandidatesTest, TheConfiguredSoundFontIsTheOnlyCandidate) {
    WithoutTestVariable noOverride;
    std::string folder = (std::filesystem::temp_directory_path() / "ombrix-sf-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr) << errno;
    std::ofstream(ModuleConfigPath(folder)) << "soundfont = mine.sf2\n";
    const SoundFontSearch search = SoundFontCandidates(folder);
    std::filesystem::remove_all(folder);

    // A named file that turns out missing is reported, never replaced by another.
    EXPECT_EQ(search.candidates, std::vector<std::string>{folder + "/mine.sf2"});
    EXPECT_EQ(search.namedBy, folder + "/QNStaff.conf");
}

TEST(SoundFontCandidatesTest, TheLoadingProgramsChoiceComesBeforeTheConfigurationFile) {
    WithoutTestVariable noOverride;
    std::string folder = (std::filesystem::temp_directory_path() / "ombrix-sf-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr) << errno;
    std::ofstream(ModuleConfigPath(folder)) << "soundfont = mine.sf2\n";
    setenv(kSettingsVariable, "reverb = off\nsoundfont = /fonts/chosen.sf3\n", 1);
    const SoundFontSearch chosen = SoundFontCandidates(folder);
    setenv(kSettingsVariable, "reverb = off\n", 1);
    const SoundFontSearch configured = SoundFontCandidates(folder);
    unsetenv(kSettingsVariable);
    std::filesystem::remove_all(folder);

    EXPECT_EQ(chosen.candidates, std::vector<std::string>{"/fonts/chosen.sf3"});
    EXPECT_EQ(chosen.namedBy, kSettingsVariable);
    EXPECT_EQ(NoSoundFontMessage(chosen, ""),
              "the SoundFont /fonts/chosen.sf3 named in QNSTAFF_SETTINGS does not exist; name another one there");
    // Settings without a SoundFont leave the file's choice.
    EXPECT_EQ(configured.candidates, std::vector<std::string>{folder + "/mine.sf2"});
}

TEST(SoundFontCandidatesTest, WithoutConfigurationFileTheInstalledOnesAreTried) {
    WithoutTestVariable noOverride;
    const SoundFontSearch search = SoundFontCandidates("/nonexistent-folder");
    const std::vector<std::string> expected = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    EXPECT_EQ(search.candidates, expected);
    EXPECT_EQ(search.namedBy, "");
}

TEST(SoundFontCandidatesTest, TheTestVariableIsTheOnlyCandidate) {
    WithoutTestVariable restoreAfterwards;
    setenv(kTestSoundFontVariable, "/nowhere/none.sf2", 1);
    const SoundFontSearch search = SoundFontCandidates("/nonexistent-folder");
    unsetenv(kTestSoundFontVariable);
    EXPECT_EQ(search.candidates, std::vector<std::string>{"/nowhere/none.sf2"});
    EXPECT_EQ(search.namedBy, kTestSoundFontVariable);
}

TEST(NoSoundFontMessageTest, SaysWhatWasTriedAndWhatToDo) {
    const SoundFontSearch installed{{"/a.sf2", "/b.sf2"}, ""};
    EXPECT_EQ(NoSoundFontMessage(installed, ""),
              "no SoundFont found (tried /a.sf2, /b.sf2); install one (apt-get install fluid-soundfont-gm) or name "
              "one in QNStaff.conf beside the module (soundfont = <path>)");
    EXPECT_EQ(NoSoundFontMessage(installed, "/b.sf2"),
              "the SoundFont /b.sf2 cannot be loaded (not a SoundFont, or unreadable); reinstall it, or name another "
              "one in QNStaff.conf (soundfont = <path>)");

    const SoundFontSearch named{{"/m/x.sf2"}, "/m/QNStaff.conf"};
    EXPECT_EQ(NoSoundFontMessage(named, ""),
              "the SoundFont /m/x.sf2 named in /m/QNStaff.conf does not exist; name another one there");
    EXPECT_EQ(NoSoundFontMessage(named, "/m/x.sf2"),
              "the SoundFont /m/x.sf2 named in /m/QNStaff.conf cannot be loaded (not a SoundFont, or unreadable); "
              "name another one there");
}

}  // namespace

TEST(ModuleConfigTest, OnlyAskedRendersPlayEachChannelOnASynthesizerOfItsOwn) {
    EXPECT_TRUE(SynthesizerPerChannelFromConfig("reverb = room\nsynthesizers = per-channel\n"));
    EXPECT_TRUE(SynthesizerPerChannelFromConfig("Synthesizers=Per-Channel"));
    EXPECT_FALSE(SynthesizerPerChannelFromConfig(""));
    EXPECT_FALSE(SynthesizerPerChannelFromConfig("synthesizers = shared\n"));
    EXPECT_FALSE(SynthesizerPerChannelFromConfig("# synthesizers = per-channel\n"));
    // The program's own line comes first and wins over QNStaff.conf's.
    EXPECT_FALSE(SynthesizerPerChannelFromConfig("synthesizers = shared\nsynthesizers = per-channel\n"));
}
