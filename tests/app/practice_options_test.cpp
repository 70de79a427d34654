// The option command line's practice-track options: formats and quality,
// loudness, transposition, metronome, a section and stems, their values and
// the choices that cannot go together.
#include <gtest/gtest.h>

#include <fstream>

#include "app/options/conversion_plan.h"
#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/requested_options.h"
#include "tests/app/temp_folder.h"

namespace {

ParsedCommandLine Parse(std::vector<std::string> arguments) { return ParseOptionCommandLine(arguments); }

TEST(PracticeOptions, TheOutputsExtensionOrFormatChoosesTheFormatAndWavStaysTheDefault) {
    EXPECT_EQ(RequestedEncoding(Parse({"--tempo", "90", "a.mid"}).request).format, AudioFormat::kWav);
    EXPECT_EQ(RequestedEncoding(Parse({"-o", "a.FLAC", "a.mid"}).request).format, AudioFormat::kFlac);
    EXPECT_EQ(RequestedEncoding(Parse({"--format", "opus", "songs"}).request).format, AudioFormat::kOpus);
    EXPECT_EQ(RequestedEncoding(Parse({"--format=mp3", "-o", "out", "songs"}).request).format, AudioFormat::kMp3);
    EXPECT_EQ(RequestedEncoding(Parse({"--format", "ogg", "--quality", "8", "a.mid"}).request).quality, 8);
    EXPECT_EQ(Parse({"--format", "aac", "a.mid"}).error, "format 'aac' is not one of wav, flac, ogg, opus, mp3");
    EXPECT_EQ(Parse({"--quality", "11", "a.mid"}).error, "quality '11' is not a whole number from 0 to 10");
    EXPECT_EQ(Parse({"--format", "ogg", "-o", "a.mp3", "a.mid"}).error, "--format ogg does not match the output file a.mp3");
}

TEST(PracticeOptions, LoudnessTakesItsTargetAfterAnEqualsSignAndExcludesNormalize) {
    EXPECT_DOUBLE_EQ(*Parse({"--loudness", "a.mid"}).request.loudnessLufs, -16.0);
    EXPECT_DOUBLE_EQ(*Parse({"--loudness=-23", "a.mid"}).request.loudnessLufs, -23.0);
    EXPECT_EQ(Parse({"--loudness=-2", "a.mid"}).error, "loudness '-2' for --loudness is not a number of LUFS from -70 to -5");
    EXPECT_EQ(Parse({"--loudness", "--normalize", "a.mid"}).error, "--normalize and --loudness cannot be used together");
    const OutputOptions output = RequestedOutput(Parse({"--loudness=-14", "--stems", "a.mid"}).request);
    EXPECT_DOUBLE_EQ(*output.loudnessLufs, -14.0);
    EXPECT_FALSE(output.peakDbfs);
    EXPECT_TRUE(output.stems);
}

TEST(PracticeOptions, TransposeMeasuresAndClickReachTheSongsOptions) {
    const ParsedCommandLine parsed = Parse({"--transpose", "+3", "--measures", "5-12", "--click", "a.mid"});
    ASSERT_EQ(parsed.error, "");
    SongOptions options;
    ResetSongOptions(options);
    ApplyRequestedOptions(parsed.request, options);
    EXPECT_EQ(options.transpose, 3);
    EXPECT_TRUE(options.click);
    EXPECT_EQ(options.firstMeasure, 5);
    EXPECT_EQ(options.lastMeasure, 12);
    EXPECT_EQ(Parse({"--transpose=-12", "a.mid"}).request.transpose, -12);
    EXPECT_EQ(Parse({"--measures", "7", "a.mid"}).request.measures->last, 7);
    EXPECT_NE(Parse({"--transpose", "13", "a.mid"}).error, "");
    EXPECT_NE(Parse({"--transpose", "+-1", "a.mid"}).error, "");
    EXPECT_NE(Parse({"--measures", "9-3", "a.mid"}).error, "");
    EXPECT_NE(Parse({"--measures", "0-3", "a.mid"}).error, "");
    // The limit is named.
    EXPECT_EQ(Parse({"--measures", "5-10000", "a.mid"}).error,
              "measures '5-10000' are not a range A-B of measures from 1 to 9999 (A not after B)");
    EXPECT_EQ(Parse({"--measures", "9999", "a.mid"}).request.measures->first, 9999);
}

TEST(PracticeOptions, CountInLengthClickLevelAndLeadingEmptyBarsReachTheSongsOptions) {
    const ParsedCommandLine parsed =
        Parse({"--count-in", "2", "--click-level", "-4.5", "--drop-empty-bars", "--bars", "a.mid"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.request.bars);
    SongOptions options;
    ResetSongOptions(options);
    EXPECT_EQ(options.countInMeasures, 1);
    ApplyRequestedOptions(parsed.request, options);
    EXPECT_EQ(options.countInMeasures, 2);
    EXPECT_DOUBLE_EQ(options.clickLevelDb, -4.5);
    EXPECT_TRUE(options.dropLeadingEmptyBars);
    EXPECT_EQ(Parse({"--count-in", "3", "a.mid"}).error, "count-in '3' is not 1 or 2 bars");
    EXPECT_EQ(Parse({"--click-level", "+7", "a.mid"}).error, "click level '+7' is not a number of dB from -40 to +6");
    EXPECT_EQ(Parse({"--measures", "5-5", "a.mid"}).request.measures->first, 5);
    EXPECT_EQ(Parse({"--measures", "5-5", "a.mid"}).request.measures->last, 5);
}

TEST(PracticeOptions, AnOutputFileWhoseExtensionNamesNoFormatIsAUsageError) {
    TempFolder folder;
    const std::string song = folder.path() + "/a.mid";
    std::ofstream(song) << "x";
    EXPECT_EQ(Parse({"-o", "x.m4a", song}).error,
              "the output file x.m4a ends in .m4a, which is none of the formats (wav, flac, ogg, opus, mp3)");
    EXPECT_EQ(Parse({"-o", "x.MP3", song}).error, "");
    EXPECT_EQ(Parse({"-o", "x", song}).error, "");        // .wav is added
    EXPECT_EQ(Parse({"-o", "out.d/", song}).error, "");   // a folder to write into
    EXPECT_EQ(Parse({"-o", "out.d", folder.path()}).error, "");  // the output folder of a folder input
}

TEST(PracticeOptions, TheOutputFilesGetTheFormatsExtension) {
    TempFolder dir;
    std::ofstream(dir.path() + "/a.mid") << "MThd";
    const ConversionPlan plan = PlanConversions({dir.path()}, std::nullopt, ".opus");
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0].output, dir.path() + "/Conv/a.opus");
}

}  // namespace
