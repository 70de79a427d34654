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

bool IsOneOf(const std::string& path, const std::set<FileIdentity>& files) {
    const std::optional<FileIdentity> identity = IdentifyFile(path);
    return identity && files.contains(*identity);
}

}  // namespace

std::optional<PlanSurvey> SurveyPlan(const ConversionRequest& request, const PlanInputs& inputs, std::string& error) {
    PlanSurvey survey;
    LibraryPlan plan(request, inputs, false);
    std::set<std::string> folders;
    // An output can be an input only under another name (a link), or when
    // it is a file named by itself; these outputs are checked once every
    // input is known.
    std::set<FileIdentity> named;
    for (const std::string& input : inputs.inputs) {
        std::error_code ignored;
        if (fs::is_directory(input, ignored)) continue;
        if (const auto identity = IdentifyFile(input)) named.insert(*identity);
    }
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
            if (HasOtherNames(file.output) || (!named.empty() && IsOneOf(file.output, named))) linked.push_back(file.output);
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
