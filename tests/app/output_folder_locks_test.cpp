// The locks of a run's output folders: each folder once, and every run
// taking them in one order, so that two runs never wait for each other
// crosswise.
#include "app/options/output_folder_locks.h"
#include "app/workers/output_folder_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "platform/file_identity.h"
#include "temp_folder.h"

namespace {

int TryAlone(FolderLock& lock, const std::string& folder) {
    int error = 0;
    return lock.Acquire(folder, LockWait::kNoWait, LockShare::kAlone, nullptr, error) ? 0 : error;
}

TEST(OutputFolderLocks, EachFolderIsLockedOnceHoweverItIsSpelled) {
    TempFolder dir;
    OutputFolderLocks locks;
    ASSERT_TRUE(locks.Lock({dir.path() + "/out", dir.path() + "/./out", dir.path() + "/out/"}, LockShare::kAlone,
                           LockWait::kNoWait));
    FolderLock other;
    EXPECT_TRUE(IsLockedByAnother(TryAlone(other, dir.path() + "/out")));
}

TEST(OutputFolderLocks, FoldersAreLockedInTheOrderOfTheirIdentitiesWhateverTheOrderGiven) {
    TempFolder dir;
    std::string first = dir.path() + "/a";
    std::string second = dir.path() + "/b";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    if (*IdentifyFile(second) < *IdentifyFile(first)) std::swap(first, second);
    // Another run holds the folder that comes first.
    FolderLock held;
    ASSERT_EQ(TryAlone(held, first), 0);
    OutputFolderLocks locks;
    EXPECT_FALSE(locks.Lock({second, first}, LockShare::kAlone, LockWait::kNoWait));
    // It met the held folder before taking the other one, which another run may still take.
    FolderLock other;
    EXPECT_EQ(TryAlone(other, second), 0);
}

TEST(OutputFolderLock, AConversionLocksItsOutputsFolderAloneAndNeverWaits) {
    TempFolder dir;
    FolderLock window;
    ASSERT_TRUE(LockOutputFolder(dir.path() + "/song.wav", window));
    EXPECT_TRUE(window.Held());
    FolderLock library;
    int error = 0;
    EXPECT_FALSE(library.Acquire(dir.path(), LockWait::kNoWait, LockShare::kShared, nullptr, error));
    EXPECT_TRUE(IsLockedByAnother(error));
    // A second conversion into the folder is refused at once.
    FolderLock second;
    EXPECT_FALSE(LockOutputFolder(dir.path() + "/other.mp3", second));
    EXPECT_FALSE(second.Held());
    window.Release();
    EXPECT_TRUE(LockOutputFolder(dir.path() + "/other.mp3", second));
}

TEST(OutputFolderLock, AFolderThatCannotBeLockedIsLeftToTheConversion) {
    TempFolder dir;
    FolderLock lock;
    // Missing: nothing is made here, the conversion fails with its own cause.
    EXPECT_TRUE(LockOutputFolder(dir.path() + "/missing/song.wav", lock));
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/missing"));
    // No lock file can be made where a folder of its name stands.
    std::filesystem::create_directories(dir.path() + "/odd/" + kFolderLockName);
    EXPECT_TRUE(LockOutputFolder(dir.path() + "/odd/song.wav", lock));
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(OutputFolderOf("song.wav"), ".");
    EXPECT_EQ(OutputFolderOf("/music/out/song.wav"), "/music/out");
}

}  // namespace
