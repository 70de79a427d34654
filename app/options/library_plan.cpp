// Putting the library options together into one plan.
#include "app/options/library_plan.h"

#include <cstdlib>

#include "app/options/file_list.h"
#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/up_to_date.h"

namespace {

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

std::optional<PlanInputs> ReadPlanInputs(const ConversionRequest& request, std::string& error) {
    PlanInputs plan{request.inputs, request.shard};
    if (request.shardFromEnvironment) {
        plan.shard = ShardFromEnvironment(EnvironmentVariable, request.shardCount, error);
        if (!plan.shard) return std::nullopt;
    }
    if (request.filesFrom) {
        const auto listed = ReadFileListFrom(*request.filesFrom, request.nulSeparated, error);
        if (!listed) return std::nullopt;
        plan.inputs.insert(plan.inputs.end(), listed->begin(), listed->end());
    }
    return plan;
}

// The whole library is planned in every shard, so that each output gets
// the same name (" (2)" and the like) whichever shards run.
LibraryPlan::LibraryPlan(const ConversionRequest& request, const PlanInputs& inputs, bool markUpToDate,
                         SongPartsOpener openParts)
    : request_(request), inputs_(inputs),
      planner_(inputs.inputs, request.output, AudioFormatExtension(RequestedEncoding(request).format), request.recursive),
      openParts_(std::move(openParts)),
      markUpToDate_(markUpToDate && request.skipUpToDate && !request.force) {}

bool LibraryPlan::Next(ConversionPlan& piece) {
    if (!planner_.Next(piece)) return false;
    if (inputs_.shard) KeepShard(piece, *inputs_.shard);
    if (!request_.rehearsal.empty() && openParts_) PlanRehearsals(piece, request_, openParts_);
    if (!markUpToDate_) return true;
    for (PlannedFile& file : piece.files) {
        if (!file.error.empty()) continue;
        const std::optional<InputStamp> stamp = StampInput(file.input, file.shardKey);
        std::string warning;
        file.upToDate = stamp && IsUpToDate(*stamp, file.output, FileOptionsFingerprint(request_, file), warning);
        if (!warning.empty()) piece.warnings.push_back(std::move(warning));
    }
    return true;
}

ConversionPlan WholePlan(const ConversionRequest& request, const PlanInputs& inputs) {
    ConversionPlan plan;
    LibraryPlan pieces(request, inputs, true);
    ConversionPlan piece;
    while (pieces.Next(piece)) AppendPiece(plan, std::move(piece));
    AppendPiece(plan, std::move(piece));  // the warnings of the walk's end
    return plan;
}
