// The survey: one walk over the plan, keeping a folder's worth at a time.
#include "app/options/plan_survey.h"

#include <filesystem>
#include <set>

#include "app/options/option_command_line.h"
#include "app/options/output_checks.h"
#include "platform/file_identity.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

}  // namespace

std::optional<PlanSurvey> SurveyPlan(const ConversionRequest& request, const PlanInputs& inputs, std::string& error) {
    PlanSurvey survey;
    LibraryPlan plan(request, inputs, false);
    std::set<std::string> folders;
    // Outputs that another name may reach: only these can be inputs too.
    std::vector<std::string> linked;
    ConversionPlan piece;
    while (plan.Next(piece)) {
        survey.files += piece.files.size();
        for (const std::string& log : piece.logs) folders.insert(FolderOf(log));
        std::string lastFolder;
        if (request.report) {
            error = CheckReportFile(*request.report, piece);
            if (!error.empty()) return std::nullopt;
        }
        for (const PlannedFile& file : piece.files) {
            if (!file.error.empty() || file.output.empty()) continue;
            const std::string folder = FolderOf(file.output);
            if (folder != lastFolder) {
                folders.insert(folder);
                if (request.stems) survey.outputFolders.emplace(AbsoluteNormal(folder), file.input);
                lastFolder = folder;
            }
            if (HasOtherNames(file.output)) linked.push_back(file.output);
        }
    }
    for (const std::string& output : linked) {
        if (plan.Found(output)) {
            std::error_code ignored;
            const std::string input = fs::canonical(output, ignored).string();
            error = Formatted(Tr("the output %s is the input %s; nothing was converted"), output.c_str(), input.c_str());
            return std::nullopt;
        }
    }
    if (request.report) {
        // Also when there were no files at all.
        error = CheckReportFile(*request.report, ConversionPlan{});
        if (!error.empty()) return std::nullopt;
    }
    survey.folders.assign(folders.begin(), folders.end());
    return survey;
}
