// What became of one input of the option command line, as the run's report
// and summary count it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/options/option_values.h"
#include "app/options/rehearsal_take.h"

enum class FileStatus { kConverted, kSkipped, kFailed };

struct FileResult {
    std::string input;
    std::string output;     // empty when none was planned
    FileStatus status = FileStatus::kConverted;
    std::string cause;      // why it failed; empty otherwise
    double audioSeconds = 0;  // the song's length (converted files)
    double cpuSeconds = 0;    // processor time of its conversion
    std::uint64_t bytesWritten = 0;
    std::vector<LevelRequest> levels = {};  // the --level requests applied, in order
    std::optional<RehearsalTake> rehearsal = std::nullopt;  // the rehearsal track the output is
    RehearsalLevels rehearsalLevels = {};  // a loud track's levels
};
