// Naming and applying a rehearsal take.
#include "app/options/rehearsal_take.h"

#include <algorithm>

#include "app/options/option_values.h"
#include "model/song_options.h"

std::string RehearsalSuffix(const RehearsalTake& take) {
    if (take.kind == RehearsalKind::kAll) return " - All";
    std::string suffix = " - ";
    suffix.append(take.part).append(" ").append(RehearsalKindName(take.kind));
    return suffix;
}

const char* RehearsalKindName(RehearsalKind kind) {
    switch (kind) {
        case RehearsalKind::kLoud: return "loud";
        case RehearsalKind::kMissing: return "missing";
        case RehearsalKind::kAll: return "all";
    }
    return "all";
}

void ApplyRehearsalTake(const RehearsalTake& take, const RehearsalLevels& levels, SongOptions& options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool inPart = ((take.channels >> channel) & 1) != 0;
        if (take.kind == RehearsalKind::kMissing && inPart) options.mute[channel] = 1;
        if (take.kind != RehearsalKind::kLoud) continue;
        const double change = inPart ? levels.partDb : levels.othersDb;
        options.levelDb[channel] = std::clamp(options.levelDb[channel] + change, kLowestLevelDb, kHighestLevelDb);
    }
}
