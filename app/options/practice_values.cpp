// Readers and checks of the practice choices.
#include "app/options/practice_values.h"

#include "app/options/requested_options.h"
#include "model/song_options.h"

std::optional<int> ParseCountInBars(std::string_view text) { return ParseWholeNumber(text, 1, kLongestCountInBars); }

std::optional<double> ParseClickLevel(std::string_view text) { return ParseDecimal(text, kSoftestClickDb, kLoudestClickDb); }

std::optional<int> ParseLoopPasses(std::string_view text) { return ParseWholeNumber(text, 1, kMaxLoopPasses); }

std::optional<int> ParseTempoStep(std::string_view text) {
    return ParseSignedNumber(text, -kLargestTempoStep, kLargestTempoStep);
}

std::optional<int> ParseTempoPercent(std::string_view text) {
    return ParseWholeNumber(text, kSlowestTempoPercent, kFastestTempoPercent);
}

LoopProblem CheckLoop(int passes, bool hasSection, bool hasTempoStep, bool hasLastTempo) {
    if (passes > 1 && !hasSection) return LoopProblem::kNoSection;
    if ((hasTempoStep || hasLastTempo) && passes < 2) return LoopProblem::kStepWithoutLoop;
    if (hasTempoStep && hasLastTempo) return LoopProblem::kStepAndLastTempo;
    return LoopProblem::kNone;
}

void ApplyLevels(const std::vector<LevelRequest>& levels, SongOptions& options) {
    for (const LevelRequest& level : levels) {
        const ChannelSet channels = LevelTargetChannels(level.target, options);
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (channels[channel]) options.levelDb[channel] = level.db;
        }
    }
}
