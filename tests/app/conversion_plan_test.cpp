// Which files the option command line converts, into which WAV files, with
// which logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/options/conversion_plan.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class ConversionPlanTest : public testing::Test {
protected:
    std::string Touch(const std::string& name) {
        const std::string path = dir.path() + "/" + name;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "x";
        return path;
    }
    std::vector<std::string> Inputs(const ConversionPlan& plan) {
        std::vector<std::string> inputs;
        for (const PlannedFile& file : plan.files) inputs.push_back(fs::path(file.input).filename().string());
        return inputs;
    }
    TempFolder dir;
};

TEST_F(ConversionPlanTest, AFolderGivesItsMidiFilesInNameOrderWithOneLog) {
    for (const char* name : {"b.MIDI", "a.mid", "c.Kar", "d.RMI", "notes.txt", "e.wav"}) Touch(name);
    fs::create_directory(dir.path() + "/folder.mid");
    Touch("sub/deeper.mid");
    const ConversionPlan plan = PlanConversions({dir.path()}, std::nullopt);
    EXPECT_EQ(Inputs(plan), (std::vector<std::string>{"a.mid", "b.MIDI", "c.Kar", "d.RMI"}));
    ASSERT_EQ(plan.logs.size(), 1u);
    EXPECT_EQ(plan.logs[0], dir.path() + "/Conv/CreateLog.log");
    EXPECT_EQ(plan.files[1].output, dir.path() + "/Conv/b.wav");
    for (const PlannedFile& file : plan.files) EXPECT_EQ(file.log, 0);
}

TEST_F(ConversionPlanTest, AFileGoesIntoConvBesideItWithoutALog) {
    const std::string song = Touch("My Song.midi");
    const ConversionPlan plan = PlanConversions({song}, std::nullopt);
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0].output, dir.path() + "/Conv/My Song.wav");
    EXPECT_EQ(plan.files[0].log, -1);
    EXPECT_TRUE(plan.logs.empty());
}

TEST_F(ConversionPlanTest, OutputNamesTheFileForOneInputOrAFolderToWriteInto) {
    const std::string song = Touch("a.mid");
    EXPECT_EQ(PlanConversions({song}, dir.path() + "/x.wav").files[0].output, dir.path() + "/x.wav");
    fs::create_directory(dir.path() + "/out");
    EXPECT_EQ(PlanConversions({song}, dir.path() + "/out").files[0].output, dir.path() + "/out/a.wav");
    const std::string other = Touch("b.mid");
    const ConversionPlan two = PlanConversions({song, other}, dir.path() + "/new");
    EXPECT_EQ(two.files[1].output, dir.path() + "/new/b.wav");
}

TEST_F(ConversionPlanTest, OutputWithoutAnExtensionGetsWavAndOneEndingInASlashIsAFolder) {
    const std::string song = Touch("a.mid");
    EXPECT_EQ(PlanConversions({song}, dir.path() + "/take1").files[0].output, dir.path() + "/take1.wav");
    EXPECT_EQ(PlanConversions({song}, "take1").files[0].output, "take1.wav");
    EXPECT_EQ(PlanConversions({song}, dir.path() + "/take.WAV").files[0].output, dir.path() + "/take.WAV");
    EXPECT_EQ(PlanConversions({song}, dir.path() + "/new/").files[0].output, dir.path() + "/new/a.wav");
}

TEST_F(ConversionPlanTest, AFolderWithOutputPutsItsLogBesideTheWavFiles) {
    Touch("songs/a.mid");
    const ConversionPlan plan = PlanConversions({dir.path() + "/songs"}, dir.path() + "/out");
    EXPECT_EQ(plan.files[0].output, dir.path() + "/out/a.wav");
    EXPECT_EQ(plan.logs, (std::vector<std::string>{dir.path() + "/out/CreateLog.log"}));
}

TEST_F(ConversionPlanTest, InputsWithTheSameWavNameGetDistinctOutputs) {
    Touch("Song.mid");
    Touch("Song.MID");
    Touch("Song.kar");
    const ConversionPlan plan = PlanConversions({dir.path()}, std::nullopt);
    ASSERT_EQ(plan.files.size(), 3u);
    EXPECT_EQ(plan.files[0].output, dir.path() + "/Conv/Song.wav");
    EXPECT_EQ(plan.files[1].output, dir.path() + "/Conv/Song (2).wav");
    EXPECT_EQ(plan.files[2].output, dir.path() + "/Conv/Song (3).wav");
    EXPECT_EQ(plan.files[1].renamed, plan.files[0].input);
    EXPECT_TRUE(plan.files[0].renamed.empty());
}

TEST_F(ConversionPlanTest, AMissingInputAndAFolderWithoutSongsFailOnTheirOwn) {
    const std::string song = Touch("a.mid");
    fs::create_directory(dir.path() + "/empty");
    const ConversionPlan plan = PlanConversions({dir.path() + "/nothing.mid", dir.path() + "/empty", song}, std::nullopt);
    ASSERT_EQ(plan.files.size(), 3u);
    EXPECT_EQ(plan.files[0].error, "no such file or folder");
    EXPECT_NE(plan.files[1].error.find("no MIDI files"), std::string::npos);
    EXPECT_EQ(plan.files[2].error, "");
}

}  // namespace

namespace {

TEST_F(ConversionPlanTest, APieceIsOneFolderWithItsLogAndNamesAreNumberedWhereInputsShareAFolder) {
    Touch("one/x.mid");
    Touch("one/x.kar");
    Touch("one/sub/x.mid");
    Touch("two/x.mid");
    ConversionPlanner planner({dir.path() + "/one", dir.path() + "/two"}, dir.path() + "/out", ".wav", true);
    std::vector<std::vector<std::string>> outputs;
    ConversionPlan piece;
    while (planner.Next(piece)) {
        std::vector<std::string>& names = outputs.emplace_back();
        for (const PlannedFile& file : piece.files) {
            names.push_back(fs::path(file.output).lexically_relative(dir.path()).string());
            EXPECT_EQ(file.log, 0);
        }
        ASSERT_EQ(piece.logs.size(), 1u);
        EXPECT_EQ(fs::path(piece.logs[0]).parent_path(), fs::path(dir.path() + "/" + names[0]).parent_path());
    }
    // out/x.wav is taken by the first input when the second comes to it.
    EXPECT_EQ(outputs, (std::vector<std::vector<std::string>>{
                           {"out/x.wav", "out/x (2).wav"}, {"out/sub/x.wav"}, {"out/x (3).wav"}}));
    const ConversionPlan whole = PlanConversions({dir.path() + "/one", dir.path() + "/two"}, dir.path() + "/out", ".wav", true);
    ASSERT_EQ(whole.files.size(), 4u);
    EXPECT_EQ(whole.files[3].renamed, dir.path() + "/one/x.kar");
    EXPECT_EQ(whole.logs.size(), 2u);
    EXPECT_EQ(whole.files[3].log, 0);
}

}  // namespace
