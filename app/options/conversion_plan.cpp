// Expanding the inputs into files and output paths.
#include "app/options/conversion_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "app/batch/conversion_log.h"
#include "app/batch/convert_folder.h"
#include "app/options/input_walk.h"
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

// The log index of `folder`'s log, adding the log to the plan when it is new.
int LogIndexFor(ConversionPlan& plan, const fs::path& folder) {
    const std::string path = (folder / kConversionLogName).lexically_normal().string();
    // From the back: a folder's files come one after another.
    const auto found = std::find(plan.logs.rbegin(), plan.logs.rend(), path);
    if (found != plan.logs.rend()) return static_cast<int>(plan.logs.rend() - found - 1);
    plan.logs.push_back(path);
    return static_cast<int>(plan.logs.size() - 1);
}

// Gives every output path that an earlier file already has a numbered name.
void SeparateSameOutputs(ConversionPlan& plan) {
    std::map<std::string, std::string> takenBy;  // output path -> input that has it
    for (PlannedFile& file : plan.files) {
        if (!file.error.empty()) continue;
        const fs::path wanted = fs::path(file.output).lexically_normal();
        auto holder = takenBy.find(wanted.string());
        if (holder == takenBy.end()) {
            takenBy[wanted.string()] = file.input;
            file.output = wanted.string();
            continue;
        }
        file.renamed = holder->second;
        for (int number = 2;; ++number) {
            const fs::path candidate =
                wanted.parent_path() / (wanted.stem().string() + " (" + std::to_string(number) + ")" + wanted.extension().string());
            if (takenBy.count(candidate.string()) == 0) {
                takenBy[candidate.string()] = file.input;
                file.output = candidate.string();
                break;
            }
        }
    }
}

}  // namespace

ConversionPlan PlanConversions(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                               std::string_view extension, bool recursive) {
    ConversionPlan plan;
    std::error_code error;
    const bool oneFile = inputs.size() == 1 && !fs::is_directory(inputs.front(), error);
    WalkedInputs walked = WalkInputs(inputs, recursive);
    plan.warnings = std::move(walked.warnings);
    for (FoundInput& found : walked.found) {
        const fs::path path(found.path);
        if (!found.error.empty()) {
            plan.files.push_back({std::move(found.path), {}, -1, std::move(found.error), {}, std::move(found.relative)});
            continue;
        }
        if (!found.folder.empty()) {
            // A file of a folder input: its subfolder below the input is mirrored below --output.
            const fs::path subfolder = fs::path(found.relative).parent_path();
            const fs::path outputFolder =
                output ? fs::path(*output) / subfolder : OutputFolderFor(fs::path(found.folder) / subfolder, std::nullopt);
            const int log = LogIndexFor(plan, outputFolder);
            // A name with nothing before its extension gives no output name.
            std::string error = IsBareExtension(path.filename().string()) ? std::string(kNoNameLine) : std::string();
            plan.files.push_back({std::move(found.path), (outputFolder / OutputNameOf(path.filename(), extension)).string(), log,
                                  std::move(error), {}, std::move(found.relative)});
            continue;
        }
        PlannedFile file{std::move(found.path), {}, -1, {}, {}, std::move(found.relative)};
        if (!fs::exists(path, error)) {
            file.error = "no such file or folder";
        } else if (oneFile && output && !NamesAFolder(*output)) {
            file.output = OutputPathNamed(*output, extension);
        } else {
            file.output = (OutputFolderFor(path.parent_path(), output) / OutputNameOf(path.filename(), extension)).string();
        }
        plan.files.push_back(std::move(file));
    }
    SeparateSameOutputs(plan);
    return plan;
}
