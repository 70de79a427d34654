// --skip-up-to-date: an output is current only while it is newer than its
// input, was made with the same options, and has not been rewritten since.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/options/option_command_line.h"
#include "app/options/up_to_date.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class UpToDateTest : public testing::Test {
protected:
    void SetUp() override {
        input = dir.path() + "/song.mid";
        output = dir.path() + "/song.wav";
        std::ofstream(input) << "MThd";
        Age(input, std::chrono::hours(1));
        std::ofstream(output) << "RIFF....WAVE";
    }
    // Moves the modification time of `path` back by `by`.
    static void Age(const std::string& path, std::chrono::seconds by) {
        fs::last_write_time(path, fs::last_write_time(path) - by);
    }
    TempFolder dir;
    std::string input;
    std::string output;
};

TEST_F(UpToDateTest, AnOutputIsCurrentOnlyAfterItsOptionsAreRecorded) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    EXPECT_FALSE(IsUpToDate(input, output, options));
    ASSERT_TRUE(RecordOptions(output, options));
    EXPECT_EQ(OptionsRecordPath(output), dir.path() + "/.song.wav.ombrix");
    EXPECT_TRUE(IsUpToDate(input, output, options));
    ConversionRequest slower;
    slower.tempoPercent = 80;
    EXPECT_FALSE(IsUpToDate(input, output, OptionsFingerprint(slower)));
}

TEST_F(UpToDateTest, AnEditedInputOrARewrittenOutputIsNoLongerCurrent) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    ASSERT_TRUE(RecordOptions(output, options));
    // The input edited after the conversion.
    fs::last_write_time(input, fs::last_write_time(output) + std::chrono::seconds(1));
    EXPECT_FALSE(IsUpToDate(input, output, options));
    Age(input, std::chrono::hours(2));
    EXPECT_TRUE(IsUpToDate(input, output, options));
    // Another run (without the record) wrote the output again, with other options.
    std::ofstream(output) << "RIFF....WAVE other";
    EXPECT_FALSE(IsUpToDate(input, output, options));
    EXPECT_FALSE(IsUpToDate(input, dir.path() + "/missing.wav", options));
}

TEST(OptionsFingerprint, EveryOptionThatChangesTheBytesChangesIt) {
    const ConversionRequest plain;
    auto differs = [&plain](auto change) {
        ConversionRequest request;
        change(request);
        return OptionsFingerprint(request) != OptionsFingerprint(plain);
    };
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.mute[2] = true; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.volumeDown[0] = true; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.removedParts = *ParsePartList("bass"); }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.tempoPercent = 99; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.preCount = false; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.peakDbfs = -1.0; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.loudnessLufs = -16.0; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.format = AudioFormat::kFlac; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.format = AudioFormat::kOgg; r.quality = 3; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.transpose = -2; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.click = true; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.measures = MeasureRange{3, 8}; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.stems = true; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.reverb = "off"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.reverb = "0.7"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.chorus = "0.2"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.soundFont = "/elsewhere/other.sf2"; }));
    // How a run is carried out does not change the files.
    EXPECT_FALSE(differs([](ConversionRequest& r) { r.jobs = 3; r.quiet = true; r.shard = Shard{1, 2}; r.report = "-"; }));
}

}  // namespace
