// Finding the MIDI files of the inputs: subfolders with -r, each file once
// however it is reached, symbolic link loops reported and left, keys for
// the shards relative to the folder given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/options/conversion_plan.h"
#include "app/options/input_walk.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class InputWalkTest : public testing::Test {
protected:
    void Touch(const std::string& name) {
        const fs::path path = dir.path() + "/" + name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    static std::vector<std::string> Keys(const WalkedInputs& walked) {
        std::vector<std::string> keys;
        for (const FoundInput& found : walked.found) keys.push_back(found.relative + (found.error.empty() ? "" : " !"));
        return keys;
    }
    TempFolder dir;
};

TEST_F(InputWalkTest, SubfoldersComeAfterAFoldersOwnFilesInNameOrder) {
    for (const char* name : {"lib/b.mid", "lib/a.MID", "lib/x/z/deep.kar", "lib/x/c.mid", "lib/w/notes.txt", "lib/y.mid/inner.mid"}) {
        Touch(name);
    }
    EXPECT_EQ(Keys(WalkInputs({dir.path() + "/lib"}, true)),
              (std::vector<std::string>{"a.MID", "b.mid", "x/c.mid", "x/z/deep.kar", "y.mid/inner.mid"}));
    EXPECT_EQ(Keys(WalkInputs({dir.path() + "/lib"}, false)), (std::vector<std::string>{"a.MID", "b.mid"}));
    const WalkedInputs walked = WalkInputs({dir.path() + "/lib"}, true);
    EXPECT_EQ(walked.found[3].path, dir.path() + "/lib/x/z/deep.kar");
    EXPECT_EQ(walked.found[3].folder, dir.path() + "/lib");
}

TEST_F(InputWalkTest, EachFileIsFoundOnceThroughAnySpellingOrLink) {
    Touch("dup/a.mid");
    Touch("dup/b.mid");
    fs::create_directory_symlink(dir.path() + "/dup", dir.path() + "/alias");
    fs::create_symlink(dir.path() + "/dup/a.mid", dir.path() + "/dup/link.mid");
    const std::string cwd = fs::current_path();
    fs::current_path(dir.path());
    const WalkedInputs walked = WalkInputs({"dup", dir.path() + "/dup/", "./alias", "dup/../dup/b.mid"}, true);
    fs::current_path(cwd);
    EXPECT_EQ(Keys(walked), (std::vector<std::string>{"a.mid", "b.mid"}));
}

TEST_F(InputWalkTest, ALinkBackToAnOuterFolderIsReportedAndNotFollowed) {
    Touch("lib/a/song.mid");
    fs::create_directory_symlink("..", dir.path() + "/lib/a/up");
    fs::create_directory_symlink(dir.path() + "/lib", dir.path() + "/lib/a/root");
    const WalkedInputs walked = WalkInputs({dir.path() + "/lib"}, true);
    EXPECT_EQ(Keys(walked), (std::vector<std::string>{"a/song.mid"}));
    ASSERT_EQ(walked.warnings.size(), 2u);
    EXPECT_NE(walked.warnings[0].find("lib/a/root: a symbolic link loop"), std::string::npos) << walked.warnings[0];
    EXPECT_NE(walked.warnings[1].find("lib/a/up: a symbolic link loop"), std::string::npos) << walked.warnings[1];
}

TEST_F(InputWalkTest, AFolderWithoutSongsAndAnUnreadableFolderFailOnTheirOwn) {
    fs::create_directories(dir.path() + "/empty/sub");
    Touch("lib/ok.mid");
    Touch("lib/closed/hidden.mid");
    fs::permissions(dir.path() + "/lib/closed", fs::perms::none);
    const WalkedInputs walked = WalkInputs({dir.path() + "/empty", dir.path() + "/lib"}, true);
    fs::permissions(dir.path() + "/lib/closed", fs::perms::owner_all);
    ASSERT_GE(walked.found.size(), 2u);
    EXPECT_NE(walked.found[0].error.find("no MIDI files"), std::string::npos);
    EXPECT_NE(walked.found[0].error.find("or its subfolders"), std::string::npos);
    EXPECT_EQ(walked.found[1].relative, "ok.mid");
    if (geteuid() == 0) GTEST_SKIP() << "root reads a folder without permissions";
    ASSERT_EQ(walked.found.size(), 3u);
    EXPECT_EQ(walked.found[2].relative, "closed");
    EXPECT_EQ(walked.found[2].error, "cannot read the folder: Permission denied");
}

TEST_F(InputWalkTest, ATreeTwoThousandFoldersDeepIsWalkedToItsBottom) {
    // Made and removed by descending, one folder at a time, in memory when
    // the machine has a memory file system (a disk's journal makes 2,000
    // folder removals take seconds); bench/app/deep_tree.sh measures how the
    // walk scales.
    std::error_code noShm;
    const std::string base = fs::is_directory("/dev/shm", noShm) && access("/dev/shm", W_OK) == 0 ? "/dev/shm" : dir.path();
    std::string top = base + "/ombrix-deep-XXXXXX";
    ASSERT_NE(mkdtemp(top.data()), nullptr);
    const std::string cwd = fs::current_path();
    fs::current_path(top);
    std::string relative;
    for (int depth = 0; depth < 2000; ++depth) {
        fs::create_directory("d");
        fs::current_path("d");
        relative += "d/";
    }
    std::ofstream("song.mid") << "x";
    fs::current_path(top);
    const WalkedInputs walked = WalkInputs({"."}, true);
    fs::current_path(top + "/" + relative);
    fs::remove("song.mid");
    for (int depth = 0; depth < 2000; ++depth) {
        fs::current_path("..");
        fs::remove("d");
    }
    fs::current_path(cwd);
    fs::remove(top);
    ASSERT_EQ(walked.found.size(), 1u);
    EXPECT_EQ(walked.found[0].relative, relative + "song.mid");
    EXPECT_EQ(walked.found[0].path, "./" + relative + "song.mid");
    EXPECT_EQ(walked.found[0].error, "");
    EXPECT_TRUE(walked.warnings.empty());
}

TEST_F(InputWalkTest, ATreeIsMirroredBelowTheOutputOrGetsAConvFolderPerFolder) {
    Touch("lib/top.mid");
    Touch("lib/a/b/song.mid");
    const std::string lib = dir.path() + "/lib";
    const ConversionPlan mirrored = PlanConversions({lib}, dir.path() + "/out", ".wav", true);
    ASSERT_EQ(mirrored.files.size(), 2u);
    EXPECT_EQ(mirrored.files[0].output, dir.path() + "/out/top.wav");
    EXPECT_EQ(mirrored.files[1].output, dir.path() + "/out/a/b/song.wav");
    EXPECT_EQ(mirrored.files[1].shardKey, "a/b/song.mid");
    EXPECT_EQ(mirrored.logs, (std::vector<std::string>{dir.path() + "/out/CreateLog.log", dir.path() + "/out/a/b/CreateLog.log"}));
    const ConversionPlan inPlace = PlanConversions({lib}, std::nullopt, ".wav", true);
    EXPECT_EQ(inPlace.files[1].output, lib + "/a/b/Conv/song.wav");
    EXPECT_EQ(inPlace.files[1].log, 1);
    EXPECT_EQ(inPlace.logs[1], lib + "/a/b/Conv/CreateLog.log");
}

}  // namespace

namespace {

// The walk handed out one folder at a time, each folder's relative names on one line.
std::vector<std::string> Pieces(InputWalk& walk) {
    std::vector<std::string> pieces;
    std::vector<FoundInput> found;
    while (walk.Next(found)) {
        std::string line;
        for (const FoundInput& input : found) line += (line.empty() ? "" : " ") + input.relative + (input.error.empty() ? "" : " !");
        pieces.push_back(line);
    }
    return pieces;
}

TEST_F(InputWalkTest, TheWalkHandsOutOneFolderAtATimeAndAnInputThatFailsOnItsOwn) {
    for (const char* name : {"lib/b.mid", "lib/a.mid", "lib/x/c.mid", "lib/x/d.kar", "lib/y/notes.txt", "lib/y/z/e.mid", "one.mid"}) {
        Touch(name);
    }
    fs::create_directory(dir.path() + "/empty");
    InputWalk walk({dir.path() + "/lib", dir.path() + "/one.mid", dir.path() + "/empty", dir.path() + "/gone.mid"}, true);
    EXPECT_EQ(Pieces(walk), (std::vector<std::string>{"a.mid b.mid", "x/c.mid x/d.kar", "y/z/e.mid",
                                                      dir.path() + "/one.mid", dir.path() + "/empty !",
                                                      dir.path() + "/gone.mid"}));
}

TEST_F(InputWalkTest, AHardLinkedOrLinkedSongIsFoundOnceWhicheverWayComesFirst) {
    Touch("lib/a/hard.mid");
    fs::create_directories(dir.path() + "/lib/b");
    fs::create_hard_link(dir.path() + "/lib/a/hard.mid", dir.path() + "/lib/b/hard-again.mid");
    // A link met before the song it leads to takes its place; one met after it is passed.
    Touch("lib/c/later.mid");
    fs::create_symlink(dir.path() + "/lib/c/later.mid", dir.path() + "/lib/b/to-later.mid");
    fs::create_symlink(dir.path() + "/lib/a/hard.mid", dir.path() + "/lib/c/to-earlier.mid");
    // In one folder: a link named before its song, and one named after it.
    Touch("lib/d/m.mid");
    fs::create_symlink("m.mid", dir.path() + "/lib/d/k.mid");
    fs::create_symlink("m.mid", dir.path() + "/lib/d/n.mid");
    // A link to a song under a name the walk does not take is a song of its own.
    Touch("lib/e/data.bin");
    fs::create_symlink(dir.path() + "/lib/e/data.bin", dir.path() + "/lib/d/z.mid");
    EXPECT_EQ(Keys(WalkInputs({dir.path() + "/lib"}, true)),
              (std::vector<std::string>{"a/hard.mid", "b/to-later.mid", "d/k.mid", "d/z.mid"}));
}

TEST_F(InputWalkTest, AFileNamedByItselfAndFoundInAFolderIsFoundOnceEitherWay) {
    Touch("lib/a.mid");
    Touch("lib/b.mid");
    EXPECT_EQ(Keys(WalkInputs({dir.path() + "/lib/b.mid", dir.path() + "/lib"}, true)),
              (std::vector<std::string>{dir.path() + "/lib/b.mid", "a.mid"}));
    InputWalk walk({dir.path() + "/lib", dir.path() + "/lib/./a.mid"}, false);
    EXPECT_EQ(Pieces(walk), (std::vector<std::string>{"a.mid b.mid"}));
    EXPECT_TRUE(walk.Found(dir.path() + "/lib/b.mid"));
    EXPECT_FALSE(walk.Found(dir.path() + "/lib/c.mid"));
}

}  // namespace
