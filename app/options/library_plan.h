// The option command line's plan for a whole run: the inputs named on the
// command line and in --files-from, walked (--recursive), cut down to this
// process's shard (--shard, --shard-from-env), with the files whose outputs
// are current marked (--skip-up-to-date).
#pragma once

#include <optional>
#include <string>

#include "app/options/conversion_plan.h"
#include "app/options/rehearsal_plan.h"

struct ConversionRequest;

// The plan of `request`, or nothing with the usage error in `error` (a file
// list that cannot be read, shard variables missing or wrong). With
// --rehearsal and `openParts`, each song's outputs are its rehearsal takes
// (see rehearsal_plan.h); without `openParts` (a listing) one per song.
std::optional<ConversionPlan> PlanRequest(const ConversionRequest& request, std::string& error,
                                          const SongPartsOpener& openParts = {});
