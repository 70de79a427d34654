// The first walk over a run's plan: how many files, which folders to lock
// before anything starts, where the outputs go, and the usage errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/options/option_command_line.h"
#include "app/options/plan_survey.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class PlanSurveyTest : public testing::Test {
protected:
    void Touch(const std::string& name) {
        const fs::path path = dir.path() + "/" + name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    ConversionRequest Request(std::optional<Shard> shard = std::nullopt) const {
        ConversionRequest request;
        request.inputs = {dir.path() + "/lib"};
        request.output = dir.path() + "/out";
        request.recursive = true;
        request.shard = shard;
        return request;
    }
    TempFolder dir;
};

TEST_F(PlanSurveyTest, ItCountsTheShardsFilesAndListsEachFolderWrittenIntoOnce) {
    for (const char* name : {"lib/a.mid", "lib/b.mid", "lib/x/c.mid", "lib/x/d.mid", "lib/x/y/e.mid", "lib/z/.mid"}) Touch(name);
    std::string error;
    const ConversionRequest whole = Request();
    const auto all = SurveyPlan(whole, {whole.inputs, std::nullopt}, error);
    ASSERT_TRUE(all) << error;
    // ".mid" has no name to give its output: it fails, but its folder's log is written.
    EXPECT_EQ(all->files, 6u);
    const std::string out = dir.path() + "/out";
    EXPECT_EQ(all->folders, (std::vector<std::string>{out, out + "/x", out + "/x/y", out + "/z"}));
    EXPECT_TRUE(all->outputFolders.empty());  // only kept for --stems
    std::size_t files = 0;
    for (int k = 0; k < 3; ++k) {
        const ConversionRequest request = Request(Shard{k, 3});
        const auto part = SurveyPlan(request, {request.inputs, request.shard}, error);
        ASSERT_TRUE(part) << error;
        files += part->files;
    }
    EXPECT_EQ(files, 6u);
}

TEST_F(PlanSurveyTest, StemsKeepEveryOutputFolderWithItsFirstInput) {
    Touch("lib/a.mid");
    Touch("lib/a/b.mid");
    ConversionRequest request = Request();
    request.stems = true;
    std::string error;
    const auto survey = SurveyPlan(request, {request.inputs, std::nullopt}, error);
    ASSERT_TRUE(survey) << error;
    EXPECT_EQ(survey->outputFolders, (std::map<std::string, std::string>{{dir.path() + "/out", dir.path() + "/lib/a.mid"},
                                                                         {dir.path() + "/out/a", dir.path() + "/lib/a/b.mid"}}));
}

TEST_F(PlanSurveyTest, AnOutputThatIsAHardLinkToAnInputAnywhereInTheLibraryStopsTheRun) {
    Touch("lib/a.mid");
    Touch("lib/later/z.mid");
    fs::create_directories(dir.path() + "/out");
    fs::create_hard_link(dir.path() + "/lib/later/z.mid", dir.path() + "/out/a.wav");
    std::string error;
    const ConversionRequest request = Request();
    EXPECT_FALSE(SurveyPlan(request, {request.inputs, std::nullopt}, error));
    EXPECT_NE(error.find("out/a.wav is the input"), std::string::npos) << error;
    // A hard link to a file that is no input is only an output to replace.
    fs::remove(dir.path() + "/out/a.wav");
    Touch("elsewhere.mid");
    fs::create_hard_link(dir.path() + "/elsewhere.mid", dir.path() + "/out/a.wav");
    EXPECT_TRUE(SurveyPlan(request, {request.inputs, std::nullopt}, error)) << error;
}

TEST_F(PlanSurveyTest, AReportThatIsAnInputOrAnOutputStopsTheRun) {
    Touch("lib/a.mid");
    Touch("lib/b.mid");
    ConversionRequest request = Request();
    std::string error;
    request.report = dir.path() + "/lib/b.mid";
    EXPECT_FALSE(SurveyPlan(request, {request.inputs, std::nullopt}, error));
    EXPECT_NE(error.find("is the input"), std::string::npos) << error;
    request.report = dir.path() + "/out/b.wav";
    EXPECT_FALSE(SurveyPlan(request, {request.inputs, std::nullopt}, error));
    EXPECT_NE(error.find("is the output of"), std::string::npos) << error;
    request.report = dir.path() + "/report.jsonl";
    EXPECT_TRUE(SurveyPlan(request, {request.inputs, std::nullopt}, error)) << error;
}

}  // namespace
