// One SoundFont loaded once per process and shared by every synthesizer
// instance: a silent keeper synthesizer owns the loaded font, and each
// instance gets a stand-in font object that hands out the keeper's presets.
#pragma once

#include "module/fluid/fluid_owners.h"

#include <memory>
#include <string>

class SharedSoundFont {
public:
    // The loaded SoundFont at `path`: the one already loaded when it is the
    // same file, else a fresh load (samples are read on demand). Null when
    // the file can't be loaded.
    static std::shared_ptr<SharedSoundFont> Acquire(const std::string& path);

    SharedSoundFont(const SharedSoundFont&) = delete;
    SharedSoundFont& operator=(const SharedSoundFont&) = delete;

    // Adds this SoundFont to `synth`. The synthesizer owns the stand-in it
    // receives, which leaves the loaded font alone when it is freed; `synth`
    // must be deleted before this object. False when FluidSynth refuses it.
    bool AddTo(fluid_synth_t* synth) const;

    const std::string& path() const { return path_; }

private:
    SharedSoundFont() = default;

    // Declared so that the keeper is freed before its settings.
    std::string path_;
    FluidSettingsOwner settings_;
    FluidSynthOwner keeper_;
    fluid_sfont_t* font_ = nullptr;  // owned by keeper_
};
