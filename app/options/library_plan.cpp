// Putting the library options together into one plan.
#include "app/options/library_plan.h"

#include <cstdlib>

#include "app/options/file_list.h"
#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/rehearsal_plan.h"
#include "app/options/shard_selection.h"
#include "app/options/up_to_date.h"

namespace {

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

std::optional<ConversionPlan> PlanRequest(const ConversionRequest& request, std::string& error,
                                          const SongPartsOpener& openParts) {
    std::optional<Shard> shard = request.shard;
    if (request.shardFromEnvironment) {
        shard = ShardFromEnvironment(EnvironmentVariable, request.shardCount, error);
        if (!shard) return std::nullopt;
    }
    std::vector<std::string> inputs = request.inputs;
    if (request.filesFrom) {
        const auto listed = ReadFileListFrom(*request.filesFrom, request.nulSeparated, error);
        if (!listed) return std::nullopt;
        inputs.insert(inputs.end(), listed->begin(), listed->end());
    }
    // The whole library is planned in every shard, so that each output gets
    // the same name (" (2)" and the like) whichever shards run.
    ConversionPlan plan = PlanConversions(inputs, request.output, AudioFormatExtension(RequestedEncoding(request).format), request.recursive);
    if (shard) KeepShard(plan, *shard);
    if (!request.rehearsal.empty() && openParts) PlanRehearsals(plan, request, openParts);
    if (request.skipUpToDate && !request.force) {
        for (PlannedFile& file : plan.files) {
            if (!file.error.empty()) continue;
            const std::string fingerprint = FileOptionsFingerprint(request, file);
            const std::optional<InputStamp> stamp = StampInput(file.input, file.shardKey);
            std::string warning;
            file.upToDate = stamp && IsUpToDate(*stamp, file.output, fingerprint, warning);
            if (!warning.empty()) plan.warnings.push_back(std::move(warning));
        }
    }
    return plan;
}
