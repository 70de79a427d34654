// Which existing files a converted WAV file may replace.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "app/batch/output_target.h"
#include "temp_folder.h"

namespace {

TEST(OutputTarget, OnlyAWavFileAnEmptyFileOrNothingMayBeReplaced) {
    TempFolder dir;
    const std::string base = dir.path() + "/";
    std::ofstream(base + "old.wav", std::ios::binary) << std::string("RIFF\x24\0\0\0WAVEfmt ", 16);
    std::ofstream(base + "song.mid", std::ios::binary) << std::string("MThd\0\0\0\x06", 8);
    std::ofstream(base + "riff.avi", std::ios::binary) << std::string("RIFF\x24\0\0\0AVI LIST", 16);
    std::ofstream(base + "short.wav") << "RIFF";
    std::ofstream(base + "empty.wav");
    std::filesystem::create_directory(base + "folder");
    ASSERT_EQ(mkfifo((base + "pipe.wav").c_str(), 0600), 0);

    EXPECT_FALSE(IsOtherThanWaveFile(base + "old.wav"));
    EXPECT_FALSE(IsOtherThanWaveFile(base + "empty.wav"));
    EXPECT_FALSE(IsOtherThanWaveFile(base + "missing.wav"));
    EXPECT_FALSE(IsOtherThanWaveFile(base + "folder"));  // the writer reports a folder in the way
    EXPECT_TRUE(IsOtherThanWaveFile(base + "song.mid"));
    EXPECT_TRUE(IsOtherThanWaveFile(base + "riff.avi"));
    EXPECT_TRUE(IsOtherThanWaveFile(base + "short.wav"));
    EXPECT_TRUE(IsOtherThanWaveFile(base + "pipe.wav"));  // never opened, so never waited on
}

}  // namespace
