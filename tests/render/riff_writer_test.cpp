// The RIFF writer: chunk sizes patched on ascend, checked writes, and the
// target touched only by a successful commit.
#include "platform/riff_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/temporary_file.h"
#include "tests/render/file_size_limit.h"
#include "tests/render/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes RIFF("TEST", chunk "abcd" holding `payload`) and commits it.
bool WriteSmallRiff(RiffWriter& writer, const std::string& path, const Bytes& payload) {
    return writer.Open(path) && writer.CreateRiffChunk(MakeFourCC("TEST")) &&
           writer.CreateChunk(MakeFourCC("abcd"), 0) &&
           writer.Write(payload.data(), static_cast<long>(payload.size())) == static_cast<long>(payload.size()) &&
           writer.Ascend() && writer.Ascend() && writer.Commit();
}

TEST(RiffWriter, AscendingPatchesTheSizesOfNestedChunks) {
    TempFolder folder;
    RiffWriter writer;
    ASSERT_TRUE(WriteSmallRiff(writer, folder.File("a.riff"), {1, 2, 3, 4}));
    const Bytes expected = {'R', 'I', 'F', 'F', 16, 0, 0, 0, 'T', 'E', 'S', 'T',
                            'a', 'b', 'c', 'd', 4,  0, 0, 0, 1,   2,   3,   4};
    EXPECT_EQ(ReadBytes(folder.File("a.riff")), expected);
}

TEST(RiffWriter, AnOddChunkIsPaddedAndItsSizeExcludesThePad) {
    TempFolder folder;
    RiffWriter writer;
    ASSERT_TRUE(WriteSmallRiff(writer, folder.File("odd.riff"), {9, 9, 9}));
    const Bytes bytes = ReadBytes(folder.File("odd.riff"));
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(U32At(bytes, 4), 16u);   // form type + chunk header + 3 bytes + pad
    EXPECT_EQ(U32At(bytes, 16), 3u);   // the data size itself
    EXPECT_EQ(bytes[23], 0);
}

TEST(RiffWriter, TheTargetAppearsOnlyOnCommitAndNoTemporaryFileRemains) {
    TempFolder folder;
    RiffWriter writer;
    ASSERT_TRUE(writer.Open(folder.File("song.wav")));
    ASSERT_TRUE(writer.CreateRiffChunk(MakeFourCC("WAVE")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("song.wav")));
    ASSERT_TRUE(writer.Ascend());
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"song.wav"});
}

TEST(RiffWriter, DiscardingLeavesAnEarlierFileOfTheSameNameIntact) {
    TempFolder folder;
    WriteText(folder.File("song.wav"), "earlier");
    {
        RiffWriter writer;
        ASSERT_TRUE(writer.Open(folder.File("song.wav")));
        ASSERT_TRUE(writer.CreateRiffChunk(MakeFourCC("WAVE")));
        writer.Discard();
    }
    {
        RiffWriter abandoned;  // destroyed without commit
        ASSERT_TRUE(abandoned.Open(folder.File("song.wav")));
    }
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"song.wav"});
}

TEST(RiffWriter, CommitReplacesAnEarlierFile) {
    TempFolder folder;
    WriteText(folder.File("song.wav"), "earlier file, longer than the new one");
    RiffWriter writer;
    ASSERT_TRUE(WriteSmallRiff(writer, folder.File("song.wav"), {7, 7}));
    EXPECT_EQ(ReadBytes(folder.File("song.wav")).size(), 22u);
}

TEST(RiffWriter, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheUsualOnes) {
    namespace fs = std::filesystem;
    TempFolder folder;
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        WriteText(folder.File("song.wav"), "earlier");
        fs::permissions(folder.File("song.wav"), mode);
        RiffWriter writer;
        ASSERT_TRUE(WriteSmallRiff(writer, folder.File("song.wav"), {1, 2}));
        EXPECT_EQ(fs::status(folder.File("song.wav")).permissions(), mode);
    }
    const mode_t mask = umask(0);
    umask(mask);
    RiffWriter writer;
    ASSERT_TRUE(WriteSmallRiff(writer, folder.File("new.wav"), {1, 2}));
    EXPECT_EQ(static_cast<mode_t>(fs::status(folder.File("new.wav")).permissions()), 0666 & ~mask);
}

TEST(RiffWriter, OpeningFailsInAMissingFolderOrOnAFolder) {
    TempFolder folder;
    RiffWriter writer;
    EXPECT_FALSE(writer.Open(folder.File("missing/song.wav")));
    std::filesystem::create_directory(folder.File("dir.wav"));
    EXPECT_FALSE(writer.Open(folder.File("dir.wav")));
    EXPECT_FALSE(writer.Open(""));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"dir.wav"});
}

TEST(RiffWriter, AFailedWriteIsReportedAndTheFileIsNeverCommitted) {
    TempFolder folder;
    WriteText(folder.File("song.wav"), "earlier");
    RiffWriter writer;
    ASSERT_TRUE(writer.Open(folder.File("song.wav")));
    ASSERT_TRUE(writer.CreateRiffChunk(MakeFourCC("WAVE")));
    ASSERT_TRUE(writer.CreateChunk(MakeFourCC("data"), 0));
    const Bytes block(2000, 0x55);
    {
        FileSizeLimit limit(100000);  // as a disk that fills up after 100 kB
        long result = 0;
        for (int i = 0; i < 200 && result >= 0; ++i) result = writer.Write(block.data(), 2000);
        EXPECT_EQ(result, -1);
    }
    EXPECT_EQ(writer.FailureReason(), "File too large");
    EXPECT_EQ(writer.Write(block.data(), 2000), -1);  // stays failed
    EXPECT_FALSE(writer.Ascend());
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"song.wav"});
}

TEST(RiffWriter, WritesOutsideAChunkAreRefused) {
    TempFolder folder;
    RiffWriter writer;
    ASSERT_TRUE(writer.Open(folder.File("x.riff")));
    const std::uint8_t byte = 0;
    EXPECT_EQ(writer.Write(&byte, 1), -1);
    EXPECT_FALSE(writer.Ascend());
}

TEST(RiffWriter, OnlyTemporaryFilesWhoseLockIsFreeAreRemovedAsAbandoned) {
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = std::to_string(ended);
    const std::string alive = std::to_string(getpid());
    TempFolder folder;
    const std::vector<std::string> kept = {
        "song.wav", ".song.wav.part-" + dead + "-1",  // locked below: its writer lives on
        "song.wav.part-" + dead + "-0",               // not the writer's own naming
        ".song.wav.part-" + dead + "-x", ".song.wav.part-" + dead};
    for (const std::string& name : kept) WriteText(folder.File(name), "x");
    const int held = open(folder.File(".song.wav.part-" + dead + "-1").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    WriteText(folder.File(".song.wav.part-" + dead + "-0"), "abandoned");
    // A living process number (a reused one, or a writer not yet reaped) does not keep a file without its lock.
    WriteText(folder.File(".other.wav.part-" + alive + "-3"), "abandoned");
    RiffWriter writer;  // a writer of this very process keeps its file
    ASSERT_TRUE(writer.Open(folder.File("open.wav")));
    RemoveAbandonedTemporaryFiles(folder.Path().string(), {"song.wav", "other.wav", "open.wav"});
    close(held);
    std::vector<std::string> left = folder.Entries();
    std::vector<std::string> expected = kept;
    expected.push_back(std::filesystem::path(writer.TemporaryPath()).filename().string());
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
}

}  // namespace

// Another program's abandoned file of a name like ours, or one of a file
// this run does not write, is not this run's to remove.
TEST(TemporaryFile, TheCleanUpRemovesOnlyTheTemporaryFilesOfTheTargetsItIsGiven) {
    TempFolder folder;
    const std::vector<std::string> names = {".song.wav.part-1-2", ".notes.txt.part-1-2", ".other.wav.part-7-0",
                                            "..song.wav.ombrix.part-3-4"};
    for (const std::string& name : names) WriteText(folder.File(name), "abandoned");
    RemoveAbandonedTemporaryFiles(folder.Path().string(), {"song.wav", ".song.wav.ombrix"});
    std::vector<std::string> left = folder.Entries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".notes.txt.part-1-2", ".other.wav.part-7-0"}));
    RemoveAbandonedTemporaryFilesOf(folder.File("other.wav"));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{".notes.txt.part-1-2"}));
}

// Between closing its descriptor and renaming the file, a writer still holds
// its lock: a clean-up by another run into the same folder (shards of one
// library) must not take the finished file for abandoned.
TEST(TemporaryFile, KeepsItsLockAfterTheWriterClosesItsDescriptor) {
    TempFolder folder;
    TemporaryFile file;
    const int fd = file.Create(folder.File("song.flac"));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "fLaC", 4), 4);
    close(fd);
    const std::string temporary = file.Path();
    RemoveAbandonedTemporaryFiles(folder.Path().string(), {"song.flac"});
    EXPECT_TRUE(std::filesystem::exists(temporary));
    EXPECT_TRUE(file.Commit());
    EXPECT_TRUE(std::filesystem::exists(folder.File("song.flac")));
}
