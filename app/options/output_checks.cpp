// Output checks by file identity and by the sound files' signatures.
#include "app/options/output_checks.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "app/batch/output_target.h"
#include "platform/file_identity.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "render/stems.h"

namespace {

// How every line of a report begins.
constexpr std::string_view kReportStart = "{\"input\":";

// Whether the existing regular file at `path` is empty or begins as a report does.
bool IsEmptyOrReport(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kReportStart.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head.empty() || head == kReportStart;
}

// Fails every file whose stems' folder is another output or holds one.
void CheckStemFolders(ConversionPlan& piece, const std::map<std::string, std::string>& outputFolders) {
    std::map<std::string, const PlannedFile*> outputs;  // normal output path -> its file
    for (const PlannedFile& file : piece.files) {
        if (file.error.empty() && !file.output.empty()) outputs.emplace(AbsoluteNormal(file.output), &file);
    }
    for (PlannedFile& file : piece.files) {
        if (!file.error.empty() || file.output.empty()) continue;
        const std::string folder = AbsoluteNormal(StemFolder(file.output));
        std::string other;
        if (const auto same = outputs.find(folder); same != outputs.end()) {
            other = same->second->input;
        } else if (const auto here = outputFolders.find(folder); here != outputFolders.end()) {
            other = here->second;
        } else if (const auto inside = outputFolders.lower_bound(folder + "/");
                   inside != outputFolders.end() && inside->first.starts_with(folder + "/")) {
            other = inside->second;
        }
        if (!other.empty()) {
            file.error = Formatted(Tr("its stems would go into %s, where the output of %s goes; it was not converted"),
                                   StemFolder(file.output).c_str(), other.c_str());
        }
    }
}

}  // namespace

std::string AbsoluteNormal(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

void CheckOutputs(ConversionPlan& piece, const std::map<std::string, std::string>& outputFolders, bool stems) {
    for (PlannedFile& file : piece.files) {
        if (file.error.empty() && !file.output.empty() && IsOtherThanSoundFile(file.output)) {
            file.error = NotReplacedSoundLine(file.output);
        }
    }
    if (stems) CheckStemFolders(piece, outputFolders);
}

bool MayWriteStems(const std::string& mix, const SongOptions& options, AudioFormat format, UserReport& report) {
    const std::filesystem::path folder = StemFolder(mix);
    for (const Stem& stem : PossibleStems(options, AudioFormatExtension(format))) {
        const std::string path = (folder / stem.fileName).string();
        if (IsOtherThanSoundFile(path)) {
            report.Report(NotReplacedSoundLine(path));
            return false;
        }
    }
    return true;
}

std::string CheckReportFile(const std::string& path, const ConversionPlan& plan) {
    namespace fs = std::filesystem;
    if (path == "-") return {};
    const std::optional<FileIdentity> report = IdentifyFile(path);
    const fs::path spelled = fs::absolute(path).lexically_normal();
    for (const PlannedFile& file : plan.files) {
        if (report && IdentifyFile(file.input) == report) {
            return Formatted(Tr("the report %s is the input %s; nothing was converted"), path.c_str(), file.input.c_str());
        }
        const bool sameOutput = !file.output.empty() && ((report && IdentifyFile(file.output) == report) ||
                                                         fs::absolute(file.output).lexically_normal() == spelled);
        if (sameOutput) {
            return Formatted(Tr("the report %s is the output of %s; nothing was converted"), path.c_str(),
                             file.input.c_str());
        }
    }
    std::error_code error;
    // Only a regular file can hold something to lose; a FIFO or a device is written as it is.
    if (fs::is_regular_file(path, error) && !IsEmptyOrReport(path)) {
        return Formatted(Tr("the report %s exists and is not a report; it was not replaced and nothing was converted"),
                         path.c_str());
    }
    return {};
}
