// The progress line of the option command line.
#include <gtest/gtest.h>

#include "app/batch/failure_cause.h"
#include "app/options/progress_line.h"

namespace {

TEST(ProgressLine, ShowsEachRunningFileAndTheRealTimeFactor) {
    const std::vector<RunningFile> running = {{3, "a.mid", 420, 1000}, {4, "b.mid", 0, 0}, {5, "c.mid", 2100, 2000}};
    EXPECT_EQ(ProgressLine(running, 8, 35.25, 200), "3/8 a.mid 42% | 4/8 b.mid 0% | 5/8 c.mid 100% | 35.2x real time");
}

TEST(ProgressLine, IsCutToTheTerminalWithoutSplittingACharacter) {
    const std::vector<RunningFile> running = {{1, "曲.mid", 500, 1000}};
    EXPECT_EQ(ProgressLine(running, 1, 0.0, 5), "1/1 曲");
}

TEST(FailureLine, NamesTheFileAndTheCauseInEnglish) {
    EXPECT_EQ(FailureLine("song.mid", {"File is not SMF", "SMFが読み込まれていません"}), "song.mid: not a Standard MIDI File");
    EXPECT_EQ(FailureLine("a.mid", {"Conversion crashed (Segmentation fault)"}), "a.mid: Conversion crashed (Segmentation fault)");
    EXPECT_EQ(FailureLine("a.mid", {"初期化に失敗しました"}), "a.mid: the synthesizer module could not be started");
    // The conversion's one log line for a file that could not be written
    // names the format that was being written.
    EXPECT_EQ(FailureLine("a.mid", {"ウェーブファイルの作成に失敗しました。"}), "a.mid: the WAV file could not be written");
    EXPECT_EQ(FailureLine("a.mid", {"ウェーブファイルの作成に失敗しました。"}, AudioFormat::kMp3),
              "a.mid: the MP3 file could not be written");
    EXPECT_EQ(FailureCause({"ウェーブファイルの作成に失敗しました。"}, AudioFormat::kOgg),
              "the Ogg Vorbis file could not be written");
}

}  // namespace
