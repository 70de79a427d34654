// The batch loop with recorded steps: which files are opened and converted,
// into which paths, with which pre-count, and what the log says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/batch/convert_folder.h"
#include "app/song/ombrix_dlg.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

// Records every step and what the log file held at each open; a file whose
// name contains "bad" fails to open.
class RecordingSteps : public BatchSteps {
public:
    explicit RecordingSteps(COmbrixDlg& dlg) : dlg_(dlg) {}
    void OpenSong(const std::string& path, UserReport& report) override {
        calls.push_back("open " + path);
        const std::string folder = path.substr(0, path.rfind('/'));
        logAtOpen.push_back(ReadBytes(folder + "/Conv/CreateLog.log"));
        dlg_.m_songOptions.preCount = true;  // a successful open resets the options
        if (path.find("bad") != std::string::npos) report.Report("File is not SMF");
    }
    void ConvertSong(const std::string& path, UserReport&) override {
        calls.push_back("convert " + path + (dlg_.m_songOptions.preCount ? " pre-count" : ""));
    }
    std::vector<std::string> calls;
    std::vector<std::string> logAtOpen;

private:
    COmbrixDlg& dlg_;
};

class ConvertFolderTest : public testing::Test {
protected:
    void SetUp() override {
        // The log is shown by printing it, never in a desktop viewer.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    TempFolder dir;
    COmbrixDlg dlg;
    RecordingSteps steps{dlg};
};

TEST_F(ConvertFolderTest, ConvertsEachMidiFileIntoConvWithTheLogAround) {
    Touch(dir.path() + "/Song.MID");
    dlg.m_strBatchFolder = dir.path() + "/";  // a trailing "/" changes nothing
    dlg.m_bPreCountArg = false;
    EXPECT_TRUE(ConvertFolder(dlg, steps));
    ASSERT_EQ(steps.calls.size(), 2u);
    EXPECT_EQ(steps.calls[0], "open " + dir.path() + "/Song.MID");
    EXPECT_EQ(steps.calls[1], "convert " + dir.path() + "/Conv/Song.wav");
    EXPECT_EQ(ReadBytes(dir.path() + "/Conv/CreateLog.log"), dir.path() + "/Song.MID\r\nEND\r\n");
}

TEST_F(ConvertFolderTest, SetsThePreCountOfEverySongAfterOpeningIt) {
    Touch(dir.path() + "/a.mid");
    dlg.m_strBatchFolder = dir.path();
    dlg.m_bPreCountArg = true;
    dlg.m_songOptions.preCount = false;
    ConvertFolder(dlg, steps);
    EXPECT_EQ(steps.calls.back(), "convert " + dir.path() + "/Conv/a.wav pre-count");
}

TEST_F(ConvertFolderTest, SkipsFoldersAndOtherExtensions) {
    fs::create_directory(dir.path() + "/x.mid");
    Touch(dir.path() + "/notes.txt");
    Touch(dir.path() + "/a.midi");
    Touch(dir.path() + "/b.mid");
    dlg.m_strBatchFolder = dir.path();
    ConvertFolder(dlg, steps);
    ASSERT_EQ(steps.calls.size(), 2u);
    EXPECT_EQ(steps.calls[0], "open " + dir.path() + "/b.mid");
}

TEST_F(ConvertFolderTest, KeepsGoingAfterAFailedFileAndReportsTheFailure) {
    Touch(dir.path() + "/bad.mid");
    dlg.m_strBatchFolder = dir.path();
    EXPECT_FALSE(ConvertFolder(dlg, steps));
    EXPECT_EQ(steps.calls.size(), 2u);
    EXPECT_EQ(ReadBytes(dir.path() + "/Conv/CreateLog.log"), dir.path() + "/bad.mid\r\nFile is not SMF\r\nEND\r\n");
}

TEST_F(ConvertFolderTest, EveryFileIsConvertedWhateverFailedBeforeIt) {
    // Whatever order the folder lists them in, at least one failing file
    // comes before another file.
    for (const char* name : {"a-bad.mid", "b.mid", "c-bad.mid", "d.mid"}) Touch(dir.path() + "/" + name);
    dlg.m_strBatchFolder = dir.path();
    EXPECT_FALSE(ConvertFolder(dlg, steps));
    EXPECT_EQ(steps.calls.size(), 8u);
    const std::string log = ReadBytes(dir.path() + "/Conv/CreateLog.log");
    for (const char* name : {"a-bad.mid", "b.mid", "c-bad.mid", "d.mid"}) {
        EXPECT_NE(log.find(dir.path() + "/" + name + "\r\n"), std::string::npos) << name;
    }
}

TEST_F(ConvertFolderTest, TheLogHoldsEachFinishedFileBeforeTheNextOneStarts) {
    Touch(dir.path() + "/a.mid");
    Touch(dir.path() + "/b.mid");
    dlg.m_strBatchFolder = dir.path();
    ConvertFolder(dlg, steps);
    ASSERT_EQ(steps.logAtOpen.size(), 2u);
    // At each open the file's own path line is already there, and at the
    // second the whole block of the first.
    const std::string first = steps.calls[0].substr(5);
    EXPECT_EQ(steps.logAtOpen[0], first + "\r\n");
    EXPECT_EQ(steps.logAtOpen[1].substr(0, first.size() + 7), first + "\r\nEND\r\n");
}

TEST_F(ConvertFolderTest, WithNothingToConvertCreatesNoConvFolder) {
    fs::create_directory(dir.path() + "/only-a-folder.mid");
    dlg.m_strBatchFolder = dir.path();
    EXPECT_FALSE(ConvertFolder(dlg, steps));
    EXPECT_TRUE(steps.calls.empty());
    EXPECT_FALSE(fs::exists(dir.path() + "/Conv"));
}

TEST_F(ConvertFolderTest, RefusesAPathTooLongInsteadOfCuttingIt) {
    const std::string name = std::string(251 - dir.path().size(), 'n') + ".mid";  // input 256 bytes, output 261
    Touch(dir.path() + "/" + name);
    dlg.m_strBatchFolder = dir.path();
    EXPECT_FALSE(ConvertFolder(dlg, steps));
    EXPECT_TRUE(steps.calls.empty());
    EXPECT_EQ(ReadBytes(dir.path() + "/Conv/CreateLog.log"),
              dir.path() + "/" + name + "\r\nPath is too long\r\nEND\r\n");
}

TEST_F(ConvertFolderTest, AFolderTooLongOnlyForTheLogStillConvertsItsFiles) {
    // A folder of 245 bytes: "a.mid" (251) and "Conv/a.wav" (256) fit a path
    // buffer, "Conv/CreateLog.log" (264) does not.
    const std::string folder = dir.path() + "/" + std::string(244 - dir.path().size(), 'f');
    ASSERT_EQ(folder.size(), 245u);
    fs::create_directory(folder);
    Touch(folder + "/a.mid");
    dlg.m_strBatchFolder = folder;
    dlg.m_bPreCountArg = false;
    EXPECT_TRUE(ConvertFolder(dlg, steps));
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"open " + folder + "/a.mid", "convert " + folder + "/Conv/a.wav"}));
    EXPECT_FALSE(fs::exists(folder + "/Conv/CreateLog.log"));
}

TEST(BatchFolders, AFolderWithOrWithoutTrailingSlashGivesTheSamePaths) {
    for (const std::string given : {"/songs", "/songs/"}) {
        const BatchFolders folders = BatchFoldersFor(given);
        EXPECT_EQ(folders.listed, "/songs");
        EXPECT_EQ(folders.prefix, "/songs");
        EXPECT_EQ(folders.output, "/songs/Conv/");
    }
}

TEST(BatchFolders, TheRootFolderIsListedAsTheRoot) {
    const BatchFolders folders = BatchFoldersFor("/");
    EXPECT_EQ(folders.listed, "/");
    EXPECT_EQ(folders.prefix + "/" + "a.mid", "/a.mid");
    EXPECT_EQ(folders.output, "/Conv/");
}

TEST_F(ConvertFolderTest, TwoFilesWithTheSameWavNameGetTwoFilesAndTheLogSaysWhich) {
    Touch(dir.path() + "/Song.mid");
    Touch(dir.path() + "/Song.MID");
    dlg.m_strBatchFolder = dir.path();
    dlg.m_bPreCountArg = false;
    EXPECT_TRUE(ConvertFolder(dlg, steps));
    ASSERT_EQ(steps.calls.size(), 4u);
    EXPECT_EQ(steps.calls[1], "convert " + dir.path() + "/Conv/Song.wav");
    EXPECT_EQ(steps.calls[3], "convert " + dir.path() + "/Conv/Song (2).wav");
    const std::string second = steps.calls[2].substr(5);
    EXPECT_NE(ReadBytes(dir.path() + "/Conv/CreateLog.log")
                  .find(second + "\r\nSaved as Song (2).wav (Song.wav is taken by another file)\r\nEND\r\n"),
              std::string::npos);
}

TEST(WavName, ADuplicateTakesTheFirstNameNoFileOfTheBatchTakes) {
    EXPECT_EQ(DistinctWavNames({"a.mid", "A.mid", "a.MID", "a (2).mid"}),
              (std::vector<std::string>{"a.wav", "A.wav", "a (3).wav", "a (2).wav"}));
    EXPECT_EQ(DistinctWavNames({"x.mid", "x.Mid", "x.MID"}),
              (std::vector<std::string>{"x.wav", "x (2).wav", "x (3).wav"}));
}

TEST(WavName, ReplacesTheLastThreeCharacters) {
    EXPECT_EQ(WavNameFor("Song.mid"), "Song.wav");
    EXPECT_EQ(WavNameFor("Song.MID"), "Song.wav");
    EXPECT_EQ(WavNameFor(".mid"), ".wav");
}

}  // namespace
