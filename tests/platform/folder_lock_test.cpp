// Folder locks: a run alone keeps every other run out, shards share, and a
// link or a FIFO in the lock file's place is never followed or waited on.
#include "platform/folder_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class FolderLockTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-lock-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Tries the lock without waiting; the errno when it is refused, 0 when it is held.
    int Try(FolderLock& lock, LockShare share) const {
        int error = 0;
        return lock.Acquire(folder, LockWait::kNoWait, share, nullptr, error) ? 0 : error;
    }

    std::string folder;
};

TEST_F(FolderLockTest, ARunAloneKeepsOthersOutAndShardsShare) {
    FolderLock first;
    FolderLock second;
    ASSERT_EQ(Try(first, LockShare::kShared), 0);
    EXPECT_EQ(Try(second, LockShare::kShared), 0);
    second.Release();
    const int refused = Try(second, LockShare::kAlone);
    EXPECT_TRUE(IsLockedByAnother(refused)) << refused;
    first.Release();
    ASSERT_EQ(Try(first, LockShare::kAlone), 0);
    EXPECT_TRUE(IsLockedByAnother(Try(second, LockShare::kShared)));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/" + kFolderLockName));
}

TEST_F(FolderLockTest, ALinkOrAFifoInTheLockFilesPlaceIsNeitherFollowedNorWaitedOn) {
    const std::string lockFile = folder + "/" + kFolderLockName;
    const std::string target = folder + "/precious";
    std::ofstream(target) << "precious";
    std::filesystem::create_symlink(target, lockFile);
    FolderLock lock;
    const int linked = Try(lock, LockShare::kAlone);
    EXPECT_NE(linked, 0);
    EXPECT_FALSE(IsLockedByAnother(linked));
    std::filesystem::remove(lockFile);
    ASSERT_EQ(::mkfifo(lockFile.c_str(), 0600), 0);
    const int fifo = Try(lock, LockShare::kAlone);
    EXPECT_NE(fifo, 0);
    EXPECT_FALSE(IsLockedByAnother(fifo));
    EXPECT_FALSE(lock.Held());
}

}  // namespace
