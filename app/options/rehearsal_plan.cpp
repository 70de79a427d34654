// Expanding each song into its rehearsal takes.
#include "app/options/rehearsal_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

#include "app/options/option_command_line.h"
#include "app/song/rehearsal_parts.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace fs = std::filesystem;

namespace {

// The parts of the opened song that `request` asks for, with a warning for each it lacks.
std::vector<RehearsalPart> AskedParts(const ConversionRequest& request, const std::string& input,
                                      const SongOptions& options, std::vector<std::string>& warnings) {
    if (request.rehearsal.size() == 1 && IsAllParts(request.rehearsal.front())) {
        std::vector<RehearsalPart> parts = SongRehearsalParts(options);
        if (parts.empty()) warnings.push_back(input + ": " + Tr("no parts found: only the All track is written"));
        return parts;
    }
    std::vector<RehearsalPart> parts;
    for (const std::string& name : request.rehearsal) {
        std::optional<RehearsalPart> part = RehearsalPartNamed(name, options);
        if (!part) {
            warnings.push_back(input + ": " + Formatted(Tr("no part named %s: no rehearsal tracks for it"), name.c_str()));
            continue;
        }
        // A file name holds no folder: a track's name with a slash keeps its place.
        for (char& c : part->name) {
            if (c == '/') c = '-';
        }
        const bool twice = std::ranges::any_of(parts, [&part](const RehearsalPart& p) { return p.name == part->name; });
        if (!twice) parts.push_back(std::move(*part));
    }
    return parts;
}

PlannedFile Take(const PlannedFile& file, RehearsalTake take) {
    PlannedFile planned = file;
    const fs::path output(file.output);
    planned.output = (output.parent_path() / (output.stem().string() + RehearsalSuffix(take) + output.extension().string())).string();
    planned.rehearsal = std::move(take);
    return planned;
}

}  // namespace

void PlanRehearsals(ConversionPlan& plan, const ConversionRequest& request, const SongPartsOpener& open) {
    std::vector<PlannedFile> files;
    std::map<std::string, std::string> takenBy;  // output -> input
    for (PlannedFile& file : plan.files) {
        if (!file.error.empty()) {
            files.push_back(std::move(file));
            continue;
        }
        std::vector<RehearsalPart> parts;
        if (const std::optional<SongOptions> options = open(file.input)) {
            parts = AskedParts(request, file.input, *options, plan.warnings);
        }
        std::vector<PlannedFile> takes;
        for (const RehearsalPart& part : parts) {
            takes.push_back(Take(file, {RehearsalKind::kLoud, part.name, part.channels}));
            takes.push_back(Take(file, {RehearsalKind::kMissing, part.name, part.channels}));
        }
        takes.push_back(Take(file, {RehearsalKind::kAll, {}, 0}));
        for (PlannedFile& take : takes) {
            const auto [holder, isNew] = takenBy.emplace(take.output, take.input);
            if (!isNew) take.error = Formatted(Tr("its output %s is also written for %s"), take.output.c_str(), holder->second.c_str());
            files.push_back(std::move(take));
        }
    }
    plan.files = std::move(files);
}
