// The practice choices a song is converted with beyond the window's
// switches: the count-in's length, the click's level, loops with their tempo
// steps and the levels of parts. The option command line and the window's
// Practice dialog both read and check them here, so that they take the same
// values within the same limits.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "app/options/option_values.h"

inline constexpr int kLongestCountInBars = 2;
inline constexpr double kSoftestClickDb = -40.0;
inline constexpr double kLoudestClickDb = 6.0;
inline constexpr int kMaxLoopPasses = 99;
inline constexpr int kLargestTempoStep = 998;
inline constexpr int kSlowestTempoPercent = 1;
inline constexpr int kFastestTempoPercent = 999;

// Bars of count-in: 1 or 2.
std::optional<int> ParseCountInBars(std::string_view text);
// The clicks' level in dB, -40 to +6 ("-6", "+3", "-4.5").
std::optional<double> ParseClickLevel(std::string_view text);
// Passes of a loop, 1 to 99.
std::optional<int> ParseLoopPasses(std::string_view text);
// Percentage points the tempo changes by each pass, -998 to +998 (sign optional).
std::optional<int> ParseTempoStep(std::string_view text);
// A whole tempo percentage, 1 to 999.
std::optional<int> ParseTempoPercent(std::string_view text);

// What is wrong with a loop's choices, if anything.
enum class LoopProblem {
    kNone,
    kNoSection,              // more than one pass without a span of measures
    kStepWithoutLoop,        // a tempo step or last tempo with one pass
    kStepAndLastTempo,       // both a tempo step and a last tempo
};
LoopProblem CheckLoop(int passes, bool hasSection, bool hasTempoStep, bool hasLastTempo);

struct SongOptions;

// Sets the loudness of the channels each level names in the opened song
// (LevelTargetChannels); a later level for a channel wins.
void ApplyLevels(const std::vector<LevelRequest>& levels, SongOptions& options);
