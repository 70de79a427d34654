// A first pass over a run's whole plan before anything is converted: what
// the run must know of all its files at once (how many there are, every
// folder it writes into, to lock them together, where its outputs go for
// the stems' check) and the usage errors that stop it before it starts.
// Only folders are kept, never a file.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/options/library_plan.h"

struct PlanSurvey {
    std::size_t files = 0;             // of this process's plan
    std::vector<std::string> folders;  // every folder the run writes into, each once
    // With --stems: every output folder (absolute, normal) -> the first input whose output goes there.
    std::map<std::string, std::string> outputFolders;
};

// Surveys the plan of `inputs` for `request`; nothing, with the usage error
// in `error`, when an output is the same file as an input, or the report
// (--report) may not be written (see CheckReportFile).
std::optional<PlanSurvey> SurveyPlan(const ConversionRequest& request, const PlanInputs& inputs, std::string& error);
