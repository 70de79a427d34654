// Expanding the inputs into files and output paths.
#include "app/options/conversion_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "app/batch/conversion_log.h"
#include "app/batch/convert_folder.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOutputSubfolder = "Conv";
constexpr std::string_view kWavExtension = ".wav";

bool IsMidiName(const std::string& name) {
    const fs::path path(name);
    // A name that is only an extension (".mid") has none by the path's rules.
    const std::string extension = IsBareExtension(name) ? name : path.extension().string();
    return std::any_of(std::begin(kMidiExtensions), std::end(kMidiExtensions),
                       [&extension](const char* known) { return EqualsIgnoringCase(extension, known); });
}

// The MIDI files of `folder`, in name order; folders among them are left out.
std::vector<std::string> MidiFilesOf(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statError;
        const std::string name = it->path().filename().string();
        if (IsMidiName(name) && !it->is_directory(statError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether the --output path is a folder: an existing one, or any path
// ending with "/" (created when missing).
bool NamesAFolder(const std::string& output) {
    std::error_code error;
    return output.ends_with('/') || fs::is_directory(output, error);
}

// The WAV file name of a MIDI file: its name without extension, then ".wav".
std::string WavNameOf(const fs::path& input) { return input.stem().string() + std::string(kWavExtension); }

// The folder a WAV file of `inputFolder` goes into.
fs::path OutputFolderFor(const fs::path& inputFolder, const std::optional<std::string>& output) {
    if (output) return fs::path(*output);
    return (inputFolder.empty() ? fs::path(".") : inputFolder) / kOutputSubfolder;
}

// The log index of `folder`'s log, adding the log to the plan when it is new.
int LogIndexFor(ConversionPlan& plan, const fs::path& folder) {
    const std::string path = (folder / kConversionLogName).lexically_normal().string();
    const auto found = std::find(plan.logs.begin(), plan.logs.end(), path);
    if (found != plan.logs.end()) return static_cast<int>(found - plan.logs.begin());
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

ConversionPlan PlanConversions(const std::vector<std::string>& inputs, const std::optional<std::string>& output) {
    ConversionPlan plan;
    std::error_code error;
    const bool oneFile = inputs.size() == 1 && !fs::is_directory(inputs.front(), error);
    for (const std::string& input : inputs) {
        const fs::path path(input);
        if (fs::is_directory(path, error)) {
            const std::vector<std::string> names = MidiFilesOf(path);
            const fs::path outputFolder = OutputFolderFor(path, output);
            if (names.empty()) {
                plan.files.push_back({input, {}, -1, "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder", {}});
                continue;
            }
            const int log = LogIndexFor(plan, outputFolder);
            for (const std::string& name : names) {
                plan.files.push_back({(path / name).string(), (outputFolder / WavNameOf(name)).string(), log,
                                      IsBareExtension(name) ? std::string(kNoNameLine) : std::string(), {}});
            }
            continue;
        }
        PlannedFile file{input, {}, -1, {}, {}};
        if (!fs::exists(path, error)) {
            file.error = "no such file or folder";
        } else if (oneFile && output && !NamesAFolder(*output)) {
            file.output = *output;
        } else {
            file.output = (OutputFolderFor(path.parent_path(), output) / WavNameOf(path.filename())).string();
        }
        plan.files.push_back(std::move(file));
    }
    SeparateSameOutputs(plan);
    return plan;
}
