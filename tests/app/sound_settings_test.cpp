// The window's sound kept in the settings file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/startup/sound_settings.h"
#include "temp_folder.h"

namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(SoundSettings, AreKeptBesideTheLastFolderAndReadBack) {
    TempFolder folder;
    const std::string ini = folder.path() + "/Ombrix.ini";
    std::ofstream(ini) << "[DirPath]\nSongFile=/home/user/songs\n";
    const SoundChoice choice{"/usr/share/sounds/sf3/My Font.sf3", "hall", "0.25"};
    ASSERT_TRUE(WriteSoundSettings(choice, ini));
    EXPECT_EQ(Text(ini), "[DirPath]\nSongFile=/home/user/songs\n[Sound]\nSoundFont=/usr/share/sounds/sf3/My Font.sf3\n"
                         "Reverb=hall\nChorus=0.25\n");
    EXPECT_EQ(ReadSoundSettings(ini), choice);
    // Back to the module's own SoundFont and the defaults.
    ASSERT_TRUE(WriteSoundSettings(SoundChoice{}, ini));
    EXPECT_EQ(ReadSoundSettings(ini), SoundChoice{});
}

TEST(SoundSettings, AMissingOrWrongValueGivesTheDefault) {
    TempFolder folder;
    EXPECT_EQ(ReadSoundSettings(folder.path() + "/none.ini"), SoundChoice{});
    const std::string ini = folder.path() + "/Ombrix.ini";
    std::ofstream(ini) << "[Sound]\nReverb=cathedral\nChorus=2\n";
    EXPECT_EQ(ReadSoundSettings(ini), SoundChoice{});
    // A path longer than the desktop's 260 bytes is kept whole.
    const std::string longPath = "/" + std::string(300, 'f') + "/font.sf2";
    std::ofstream(ini) << "[Sound]\nSoundFont=" << longPath << "\nReverb=0.5\nChorus=off\n";
    EXPECT_EQ(ReadSoundSettings(ini), (SoundChoice{longPath, "0.5", "off"}));
    // A file that cannot be written says so.
    EXPECT_FALSE(WriteSoundSettings(SoundChoice{}, folder.path() + "/missing/Ombrix.ini"));
}
