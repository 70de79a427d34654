// Owners for FluidSynth objects: settings and synthesizers are freed by
// their unique_ptr.
#pragma once

#include <fluidsynth.h>

#include <memory>

struct FluidSettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct FluidSynthDeleter {
    void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};

using FluidSettingsOwner = std::unique_ptr<fluid_settings_t, FluidSettingsDeleter>;
using FluidSynthOwner = std::unique_ptr<fluid_synth_t, FluidSynthDeleter>;
