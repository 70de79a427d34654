// The option command line's plan for a whole run: the inputs named on the
// command line and in --files-from, walked (--recursive), cut down to this
// process's shard (--shard, --shard-from-env), with the files whose outputs
// are current marked (--skip-up-to-date). The plan comes piece by piece, a
// folder at a time, so that a library of any size costs what one folder does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options/conversion_plan.h"
#include "app/options/rehearsal_plan.h"
#include "app/options/shard_selection.h"

struct ConversionRequest;

// What a run plans from: every input, and the shard of this process.
struct PlanInputs {
    std::vector<std::string> inputs;
    std::optional<Shard> shard;
};

// The inputs of `request`, or nothing with the usage error in `error` (a
// file list that cannot be read, shard variables missing or wrong).
std::optional<PlanInputs> ReadPlanInputs(const ConversionRequest& request, std::string& error);

class LibraryPlan {
public:
    // The plan of `inputs` for `request`; with `markUpToDate`, the files whose
    // outputs are current are marked. Both are borrowed for the object's
    // lifetime. With --rehearsal and `openParts`, each song's outputs are its
    // rehearsal takes (see rehearsal_plan.h); without `openParts` (a listing)
    // one per song.
    LibraryPlan(const ConversionRequest& request, const PlanInputs& inputs, bool markUpToDate,
                SongPartsOpener openParts = {});

    // The next piece of this process's plan into `piece` (replaced; its
    // files may be none but its warnings). False at the end.
    bool Next(ConversionPlan& piece);
    // Whether the file at `path` is an input met so far (of any shard).
    bool Found(const std::string& path) const { return planner_.Found(path); }

private:
    const ConversionRequest& request_;
    const PlanInputs& inputs_;
    ConversionPlanner planner_;
    SongPartsOpener openParts_;
    bool markUpToDate_ = false;
};

// The whole plan of `inputs` at once.
ConversionPlan WholePlan(const ConversionRequest& request, const PlanInputs& inputs);
