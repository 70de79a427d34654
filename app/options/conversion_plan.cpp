// Expanding the inputs into files and output paths.
#include "app/options/conversion_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "app/batch/conversion_log.h"
#include "app/batch/convert_folder.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOutputSubfolder = "Conv";

// The output file name of a MIDI file: its name without extension, then `extension`.
std::string OutputNameOf(const fs::path& input, std::string_view extension) {
    return input.stem().string() + std::string(extension);
}

// The file that --output names for a single input: the format's extension
// (".wav" by default) is added to a name without one, as the window's save
// dialog does.
std::string OutputPathNamed(const std::string& output, std::string_view extension) {
    return fs::path(output).has_extension() ? output : output + std::string(extension);
}

// Whether the --output path is a folder: an existing one, or any path
// ending with "/" (created when missing).
bool NamesAFolder(const std::string& output) {
    std::error_code error;
    return output.ends_with('/') || fs::is_directory(output, error);
}

// The folder a WAV file of `inputFolder` goes into.
fs::path OutputFolderFor(const fs::path& inputFolder, const std::optional<std::string>& output) {
    if (output) return fs::path(*output);
    return (inputFolder.empty() ? fs::path(".") : inputFolder) / kOutputSubfolder;
}

// The log index of `log` in `plan`, adding the log to the plan when it is new.
int LogIndexFor(ConversionPlan& plan, const std::string& log) {
    // From the back: a folder's files come one after another.
    const auto found = std::find(plan.logs.rbegin(), plan.logs.rend(), log);
    if (found != plan.logs.rend()) return static_cast<int>(plan.logs.rend() - found - 1);
    plan.logs.push_back(log);
    return static_cast<int>(plan.logs.size() - 1);
}

}  // namespace

ConversionPlanner::ConversionPlanner(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                                     std::string_view extension, bool recursive)
    : walk_(inputs, recursive), output_(output), extension_(extension), keepNames_(inputs.size() > 1) {
    std::error_code error;
    oneFile_ = inputs.size() == 1 && !fs::is_directory(inputs.front(), error);
}

bool ConversionPlanner::Next(ConversionPlan& piece) {
    piece = {};
    if (!walk_.Next(found_)) {
        piece.warnings = walk_.TakeWarnings();
        return false;
    }
    piece.warnings = walk_.TakeWarnings();
    for (FoundInput& found : found_) piece.files.push_back(Plan(found, piece));
    SeparateSameOutputs(piece);
    if (!keepNames_) takenBy_.clear();
    return true;
}

PlannedFile ConversionPlanner::Plan(FoundInput& found, ConversionPlan& piece) {
    const fs::path path(found.path);
    if (!found.error.empty()) return {std::move(found.path), {}, -1, std::move(found.error), {}, std::move(found.relative)};
    if (!found.folder.empty()) {
        // A file of a folder input: its subfolder below the input is mirrored below --output.
        const fs::path subfolder = fs::path(found.relative).parent_path();
        const fs::path outputFolder =
            output_ ? fs::path(*output_) / subfolder : OutputFolderFor(fs::path(found.folder) / subfolder, std::nullopt);
        const int log = LogIndexFor(piece, (outputFolder / kConversionLogName).lexically_normal().string());
        // A name with nothing before its extension gives no output name.
        std::string error = IsBareExtension(path.filename().string()) ? std::string(kNoNameLine) : std::string();
        return {std::move(found.path), (outputFolder / OutputNameOf(path.filename(), extension_)).string(), log,
                std::move(error), {}, std::move(found.relative)};
    }
    PlannedFile file{std::move(found.path), {}, -1, {}, {}, std::move(found.relative)};
    std::error_code error;
    if (!fs::exists(path, error)) {
        file.error = "no such file or folder";
    } else if (oneFile_ && output_ && !NamesAFolder(*output_)) {
        file.output = OutputPathNamed(*output_, extension_);
    } else {
        file.output = (OutputFolderFor(path.parent_path(), output_) / OutputNameOf(path.filename(), extension_)).string();
    }
    return file;
}

void ConversionPlanner::SeparateSameOutputs(ConversionPlan& piece) {
    for (PlannedFile& file : piece.files) {
        if (!file.error.empty()) continue;
        const fs::path wanted = fs::path(file.output).lexically_normal();
        auto holder = takenBy_.find(wanted.string());
        if (holder == takenBy_.end()) {
            takenBy_[wanted.string()] = file.input;
            file.output = wanted.string();
            continue;
        }
        file.renamed = holder->second;
        for (int number = 2;; ++number) {
            const fs::path candidate =
                wanted.parent_path() / (wanted.stem().string() + " (" + std::to_string(number) + ")" + wanted.extension().string());
            if (takenBy_.count(candidate.string()) == 0) {
                takenBy_[candidate.string()] = file.input;
                file.output = candidate.string();
                break;
            }
        }
    }
}

ConversionPlan PlanConversions(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                               std::string_view extension, bool recursive) {
    ConversionPlan plan;
    ConversionPlanner planner(inputs, output, extension, recursive);
    ConversionPlan piece;
    for (bool more = true; more;) {
        more = planner.Next(piece);
        AppendPiece(plan, std::move(piece));
    }
    return plan;
}

void AppendPiece(ConversionPlan& plan, ConversionPlan piece) {
    for (PlannedFile& file : piece.files) {
        if (file.log >= 0) file.log = LogIndexFor(plan, piece.logs[static_cast<std::size_t>(file.log)]);
        plan.files.push_back(std::move(file));
    }
    std::move(piece.warnings.begin(), piece.warnings.end(), std::back_inserter(plan.warnings));
}
