// Bounds of the Practice dialog's choices.
#include "ui/window/practice_settings.h"

#include <algorithm>

#include "app/options/practice_values.h"
#include "model/song_options.h"
#include "ui/window/practice_choices.h"
#include "ui/window/tempo_buttons.h"

PracticeSettings BoundedPractice(PracticeSettings settings, int lastMeasure) {
    if (settings.firstMeasure > 0 && settings.firstMeasure <= lastMeasure) {
        settings.lastMeasure = std::clamp(settings.lastMeasure, settings.firstMeasure, std::max(lastMeasure, 1));
        // A loop needs its section even when it is the whole song.
        const bool wholeSong = settings.firstMeasure == 1 && settings.lastMeasure >= lastMeasure;
        if (wholeSong && settings.loopPasses < 2) settings.firstMeasure = settings.lastMeasure = 0;
    } else {
        settings.firstMeasure = settings.lastMeasure = 0;
    }
    if (settings.firstMeasure == 0) settings.loopPasses = 1;
    if (settings.loopPasses < 2) settings.tempoStep = settings.tempoTo = std::nullopt;
    settings.transpose = std::clamp(settings.transpose, -kMaxTransposeSemitones, kMaxTransposeSemitones);
    settings.tempoPercent = std::clamp(settings.tempoPercent, kMinTempoPercent, kMaxTempoPercent);
    return settings;
}

void KeepForNextSong(const PracticeSettings& kept, SongOptions& options) {
    options.countInMeasures = kept.countInMeasures;
    options.clickLevelDb = kept.clickLevelDb;
    options.dropLeadingEmptyBars = kept.dropEmptyBars;
    options.levelDb = {};
    ApplyLevels(kept.levels, options);
}
