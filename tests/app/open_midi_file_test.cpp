// Splitting an opened file's path into the folder and song name the window
// keeps, and a song too long for the engine refused instead of cut.
#include <gtest/gtest.h>

#include "app/song/open_midi_file.h"
#include "module_fixture.h"

namespace {

TEST(SongPath, SplitsIntoFolderWithoutSlashAndNameWithoutExtension) {
    const SongPathParts parts = SplitSongPath("/home/u/songs/My.Song.mid");
    EXPECT_EQ(parts.folder, "/home/u/songs");
    EXPECT_EQ(parts.name, "My.Song");
}

TEST(SongPath, KeepsTheRootFolderWhole) {
    EXPECT_EQ(SplitSongPath("/a.mid").folder, "/");
}

TEST(SongPath, KeepsANameThatIsAllExtension) {
    EXPECT_EQ(SplitSongPath("/songs/.mid").name, ".mid");
    EXPECT_EQ(SplitSongPath("/songs/noext").name, "noext");
}

class LongSongTest : public ModuleTest {
protected:
    // One note held for `seconds` at 120 BPM, 480 ticks per quarter (960 ticks a second).
    std::string NoteHeld(const std::string& name, std::uint32_t seconds) {
        return WriteSong(name, smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).NoteOn(0, 0, 60, 100)
                                                         .NoteOff(seconds * 960, 0, 60).End()}));
    }
};

TEST_F(LongSongTest, ASongBeyondTheEnginesTickRangeIsRefusedWithItsCause) {
    CollectingReport report;
    OpenMidiFile(dlg, NoteHeld("five-hours.mid", 5 * 3600), report);  // 17,280,000 ticks
    EXPECT_EQ(report.lines, std::vector<std::string>{kSongTooLongLine});
    EXPECT_TRUE(dlg.m_strSongName.empty());

    CollectingReport fits;
    OpenMidiFile(dlg, NoteHeld("four-hours.mid", 4 * 3600), fits);  // 13,824,000 ticks
    EXPECT_TRUE(fits.lines.empty());
    EXPECT_EQ(dlg.m_strSongName, "four-hours");
}

}  // namespace
