// SoundFont candidates: the configuration file beside the module first, then
// the installed General MIDI SoundFonts; the test variable replaces them all.

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

TEST(SoundFontCandidatesTest, TheConfiguredSoundFontComesBeforeTheInstalledOnes) {
    WithoutTestVariable noOverride;
    std::string folder = (std::filesystem::temp_directory_path() / "ombrix-sf-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr) << errno;
    std::ofstream(folder + "/" + kModuleConfigFileName) << "soundfont = mine.sf2\n";
    const std::vector<std::string> candidates = SoundFontCandidates(folder);
    std::filesystem::remove_all(folder);

    const std::vector<std::string> expected = {
        folder + "/mine.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    EXPECT_EQ(candidates, expected);
}

TEST(SoundFontCandidatesTest, WithoutConfigurationFileOnlyTheInstalledOnesAreTried) {
    WithoutTestVariable noOverride;
    const std::vector<std::string> candidates = SoundFontCandidates("/nonexistent-folder");
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates.front(), "/usr/share/sounds/sf2/FluidR3_GM.sf2");
}

TEST(SoundFontCandidatesTest, TheTestVariableIsTheOnlyCandidate) {
    WithoutTestVariable restoreAfterwards;
    setenv(kTestSoundFontVariable, "/nowhere/none.sf2", 1);
    const std::vector<std::string> candidates = SoundFontCandidates("/nonexistent-folder");
    unsetenv(kTestSoundFontVariable);
    EXPECT_EQ(candidates, std::vector<std::string>{"/nowhere/none.sf2"});
}

}  // namespace
