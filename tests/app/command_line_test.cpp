// The command-line table: mode, folder and pre-count for each form of the
// "-f<folder>,-p<value>" line.
#include <gtest/gtest.h>

#include <string>

#include <fstream>

#include "app/startup/command_line.h"
#include "temp_folder.h"

namespace {

struct CommandLineCase {
    const char* text;
    const char* folder;  // empty: interactive mode
    bool preCount;
};

class CommandLineTable : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTable, GivesTheModeFolderAndPreCount) {
    const CommandLineCase& c = GetParam();
    std::string folder;
    bool preCount = true;
    ParseCommandLine(c.text, folder, preCount);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(preCount, c.preCount);
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, CommandLineTable,
    testing::Values(CommandLineCase{"", "", true},                              // interactive
                    CommandLineCase{"-f/songs", "/songs", true},                // batch, pre-count on
                    CommandLineCase{"-f /songs , -p 0", "/songs", false},       // spaces trimmed
                    CommandLineCase{"-f/songs,-p1", "/songs", true},
                    CommandLineCase{"-f/songs,-pyes", "/songs", false},         // anything but "1" is off
                    CommandLineCase{"-f/songs,", "/songs", true},               // default kept
                    CommandLineCase{"-f/songs,-p0,x", "/songs", false},         // split at the first comma
                    CommandLineCase{"-f/songs -p0", "/songs -p0", true},        // no comma: -p is folder text
                    CommandLineCase{"-p0,-f/songs", "", true},                  // -f after the comma
                    CommandLineCase{"-f", "", true},                            // empty folder
                    CommandLineCase{"/songs", "", true},                        // no -f
                    CommandLineCase{"x -f/songs", "/songs", true},              // text before -f ignored
                    CommandLineCase{"-f\"/my songs\"", "\"/my songs\"", true},  // quotes kept
                    CommandLineCase{"-f/songs,-p", "/songs", false},            // empty value is off
                    CommandLineCase{"-F/songs", "", true}));                    // case-sensitive

TEST(CommandLine, WithoutFolderSwitchLeavesThePreCountAlone) {
    std::string folder = "kept";
    bool preCount = false;
    ParseCommandLine("-p1", folder, preCount);
    EXPECT_EQ(folder, "kept");
    EXPECT_FALSE(preCount);
}

TEST(CommandLine, WithoutCommaSwitchesThePreCountOn) {
    std::string folder;
    bool preCount = false;
    ParseCommandLine("-f/songs", folder, preCount);
    EXPECT_TRUE(preCount);
}

TEST(CommandLine, NamesASongByAnExistingFileOrAMidiExtension) {
    TempFolder folder;
    const std::string existing = folder.path() + "/my-fav.song";
    std::ofstream(existing) << "x";
    EXPECT_EQ(SongNamedBy(existing), existing);
    EXPECT_EQ(SongNamedBy(" " + existing + " "), existing);
    // A missing MIDI file is a song all the same, never a batch of "av.mid".
    EXPECT_EQ(SongNamedBy("my-fav.mid"), "my-fav.mid");
    EXPECT_EQ(SongNamedBy(folder.path() + "/gone-fast.KAR"), folder.path() + "/gone-fast.KAR");
    EXPECT_EQ(SongNamedBy("x-f.midi"), "x-f.midi");
    EXPECT_EQ(SongNamedBy("a.rmi"), "a.rmi");
    // The folder batch's forms and other names are no songs.
    EXPECT_EQ(SongNamedBy("-f/songs/x.mid"), "");
    EXPECT_EQ(SongNamedBy("-f/songs,-p0"), "");
    EXPECT_EQ(SongNamedBy("my-folder"), "");
    EXPECT_EQ(SongNamedBy(""), "");
    EXPECT_EQ(SongNamedBy(folder.path()), "");  // a folder
}

TEST(CommandLine, WithoutAWindowTellsHowToConvertTheNamedSong) {
    EXPECT_EQ(NoWindowMessage("", true), "no display; the window needs X11 or Wayland (convert a folder with -f<folder>)");
    EXPECT_EQ(NoWindowMessage("song.mid", true),
              "no display; the window needs X11 or Wayland. Convert the song without it: "
              "ombrix --tempo 100 song.mid (every option: ombrix --help)");
    EXPECT_EQ(NoWindowMessage("it's mine.mid", false),
              "this program has no window here. Convert the song without it: "
              "ombrix --tempo 100 'it'\\''s mine.mid' (every option: ombrix --help)");
}

}  // namespace
