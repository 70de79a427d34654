// Owners for FluidSynth objects: settings and synthesizers are freed by
// their unique_ptr; a synthesizer is silenced before it goes.
#pragma once

#include <fluidsynth.h>

#include <memory>

struct FluidSettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct FluidSynthDeleter {
    // FluidSynth's renderer works in blocks of this many frames.
    static constexpr int kBlockFrames = 64;

    // Freeing a synthesizer unloads the samples of its programs, and its
    // extra render threads (synth.cpu-cores) may take one more pass over the
    // voices still listed while they stop: on unloaded samples that pass
    // reads freed data. Switching every voice off and rendering one more
    // block first leaves no voice for them.
    void operator()(fluid_synth_t* synth) const {
        fluid_synth_all_sounds_off(synth, -1);
        float left[kBlockFrames];
        float right[kBlockFrames];
        fluid_synth_write_float(synth, kBlockFrames, left, 0, 1, right, 0, 1);
        delete_fluid_synth(synth);
    }
};

using FluidSettingsOwner = std::unique_ptr<fluid_settings_t, FluidSettingsDeleter>;
using FluidSynthOwner = std::unique_ptr<fluid_synth_t, FluidSynthDeleter>;
