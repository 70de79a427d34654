// --skip-up-to-date: an output is current only while its record names the
// input as it is now, the same options, and the output and stems unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/options/option_command_line.h"
#include "app/options/up_to_date.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    // The input as the run finds it, known as `key`.
    InputStamp Stamp(const std::string& key = "song.mid") const { return *StampInput(input, key); }
    bool Current(const InputStamp& stamp, const std::string& options) const {
        std::string warning;
        const bool current = IsUpToDate(stamp, output, options, warning);
        EXPECT_EQ(warning, "");
        return current;
    }
    bool Record(const InputStamp& stamp, const std::string& options, const std::vector<std::string>& stems = {}) const {
        std::string error;
        return RecordOptions(stamp, output, stems, options, error);
    }
    TempFolder dir;
    std::string input;
    std::string output;
};

TEST_F(UpToDateTest, AnOutputIsCurrentOnlyAfterItsOptionsAreRecorded) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    EXPECT_FALSE(Current(Stamp(), options));
    ASSERT_TRUE(Record(Stamp(), options));
    EXPECT_EQ(OptionsRecordPath(output), dir.path() + "/.song.wav.ombrix");
    EXPECT_TRUE(Current(Stamp(), options));
    ConversionRequest slower;
    slower.tempoPercent = 80;
    EXPECT_FALSE(Current(Stamp(), OptionsFingerprint(slower)));
}

TEST_F(UpToDateTest, AnEditedInputOrARewrittenOutputIsNoLongerCurrent) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    ASSERT_TRUE(Record(Stamp(), options));
    // The input edited after the conversion.
    fs::last_write_time(input, fs::last_write_time(output) + std::chrono::seconds(1));
    EXPECT_FALSE(Current(Stamp(), options));
    // Another run (without the record) wrote the output again, with other options.
    std::ofstream(output) << "RIFF....WAVE other";
    EXPECT_FALSE(Current(Stamp(), options));
    std::string warning;
    EXPECT_FALSE(IsUpToDate(Stamp(), dir.path() + "/missing.wav", options, warning));
}

TEST_F(UpToDateTest, TheRecordNamesTheInputItWasMadeFrom) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    ASSERT_TRUE(Record(Stamp("x.kar"), options));
    EXPECT_TRUE(Current(Stamp("x.kar"), options));
    // Names shifted: another input now gets this output.
    EXPECT_FALSE(Current(Stamp("x.mid"), options));
    // The song replaced by another version that carries an older time stamp.
    std::ofstream(input) << "MThd, another version";
    Age(input, std::chrono::hours(3));
    EXPECT_FALSE(Current(Stamp("x.kar"), options));
    // The same size, a time stamp one nanosecond off.
    ASSERT_TRUE(Record(Stamp("x.kar"), options));
    fs::last_write_time(input, fs::last_write_time(input) + std::chrono::nanoseconds(1));
    EXPECT_FALSE(Current(Stamp("x.kar"), options));
}

TEST_F(UpToDateTest, AnOutputAsOldAsItsInputToTheNanosecondIsNotCurrent) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    fs::last_write_time(output, fs::last_write_time(input));
    ASSERT_TRUE(Record(Stamp(), options));
    EXPECT_FALSE(Current(Stamp(), options));
    fs::last_write_time(output, fs::last_write_time(input) + std::chrono::nanoseconds(1));
    ASSERT_TRUE(Record(Stamp(), options));
    EXPECT_TRUE(Current(Stamp(), options));
}

TEST_F(UpToDateTest, AMissingOrRewrittenStemMakesTheOutputStale) {
    ConversionRequest request;
    request.stems = true;
    const std::string options = OptionsFingerprint(request);
    fs::create_directory(dir.path() + "/song");
    const std::string bass = dir.path() + "/song/02-Bass.wav";
    const std::string odd = dir.path() + "/song/03-a\\b\nc.wav";  // a backslash and a line break in the name
    std::ofstream(bass) << "RIFF....WAVE bass";
    std::ofstream(odd) << "RIFF....WAVE odd";
    ASSERT_TRUE(Record(Stamp(), options, {bass, odd}));
    EXPECT_TRUE(Current(Stamp(), options));
    std::ofstream(odd) << "RIFF....WAVE odd, rewritten";
    EXPECT_FALSE(Current(Stamp(), options));
    ASSERT_TRUE(Record(Stamp(), options, {bass, odd}));
    EXPECT_TRUE(Current(Stamp(), options));
    fs::remove(bass);
    EXPECT_FALSE(Current(Stamp(), options));
}

TEST_F(UpToDateTest, ARecordThatIsNotARegularFileIsIgnoredWithAWarningAndNeverWaitedOn) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    const std::string record = OptionsRecordPath(output);
    std::string warning;
    ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0);
    // Opened blocking, the FIFO would wait here for a writer for ever.
    EXPECT_FALSE(IsUpToDate(Stamp(), output, options, warning));
    EXPECT_NE(warning.find(record + " is not a regular file"), std::string::npos) << warning;
    fs::remove(record);
    fs::create_directory(record);
    EXPECT_FALSE(IsUpToDate(Stamp(), output, options, warning));
    EXPECT_NE(warning.find(record + " is not a regular file"), std::string::npos) << warning;
    // A record cannot be written over a folder; the run goes on.
    std::string error;
    EXPECT_FALSE(RecordOptions(Stamp(), output, {}, options, error));
    EXPECT_NE(error, "");
}

TEST_F(UpToDateTest, ARecordIsNeverReadOrWrittenThroughALink) {
    const std::string options = OptionsFingerprint(ConversionRequest{});
    const std::string record = OptionsRecordPath(output);
    const std::string target = dir.path() + "/precious.txt";
    std::ofstream(target) << "precious";
    // A genuine record elsewhere, reached through a link.
    ASSERT_TRUE(Record(Stamp(), options));
    fs::rename(record, target);
    fs::create_symlink(target, record);
    std::string warning;
    EXPECT_FALSE(IsUpToDate(Stamp(), output, options, warning));
    EXPECT_NE(warning, "");
    // Writing replaces the link; the file it led to stays as it was.
    const std::string before = ReadText(target);
    ASSERT_TRUE(Record(Stamp(), options));
    EXPECT_EQ(ReadText(target), before);
    EXPECT_FALSE(fs::is_symlink(record));
    EXPECT_TRUE(Current(Stamp(), options));
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
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.countInBars = 2; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.clickLevelDb = -6.0; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.dropEmptyBars = true; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.reverb = "off"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.reverb = "0.7"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.chorus = "0.2"; }));
    EXPECT_TRUE(differs([](ConversionRequest& r) { r.sound.soundFont = "/elsewhere/other.sf2"; }));
    // How a run is carried out does not change the files.
    EXPECT_FALSE(differs([](ConversionRequest& r) { r.jobs = 3; r.quiet = true; r.shard = Shard{1, 2}; r.report = "-"; }));
    EXPECT_FALSE(differs([](ConversionRequest& r) { r.bars = true; }));
}

}  // namespace
