// Bounds of the Practice dialog's choices.
#include "ui/window/practice_settings.h"

#include <algorithm>

#include "ui/window/practice_choices.h"
#include "ui/window/tempo_buttons.h"

PracticeSettings BoundedPractice(PracticeSettings settings, int lastMeasure) {
    if (settings.firstMeasure > 0) {
        settings.lastMeasure = std::clamp(settings.lastMeasure, settings.firstMeasure, std::max(lastMeasure, 1));
        const bool wholeSong = settings.firstMeasure == 1 && settings.lastMeasure >= lastMeasure;
        if (wholeSong || settings.firstMeasure > lastMeasure) settings.firstMeasure = settings.lastMeasure = 0;
    } else {
        settings.firstMeasure = settings.lastMeasure = 0;
    }
    settings.transpose = std::clamp(settings.transpose, -kMaxTransposeSemitones, kMaxTransposeSemitones);
    settings.tempoPercent = std::clamp(settings.tempoPercent, kMinTempoPercent, kMaxTempoPercent);
    return settings;
}
