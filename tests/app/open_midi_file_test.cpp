// Splitting an opened file's path into the folder and song name the window keeps.
#include <gtest/gtest.h>

#include "app/song/open_midi_file.h"

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

}  // namespace
