// One synthesizer instance of the module: a FluidSynth synthesizer without an
// audio driver, playing the shared SoundFont with GS bank conventions.
#pragma once

#include "module/fluid/effect_settings.h"
#include "module/fluid/fluid_owners.h"
#include "module/fluid/shared_soundfont.h"

#include <cstdint>
#include <memory>

class SynthInstance {
public:
    // A fresh instance at 44100 Hz playing `soundFont` at output gain `gain`
    // with the reverb and chorus of `effects`; null when FluidSynth can't
    // make one.
    static std::unique_ptr<SynthInstance> Create(std::shared_ptr<SharedSoundFont> soundFont, double gain,
                                                 const EffectSettings& effects = {});

    SynthInstance(const SynthInstance&) = delete;
    SynthInstance& operator=(const SynthInstance&) = delete;

    // Sets the sample rate (8000-96000 Hz; others are ignored). A new rate
    // starts the synthesizer afresh, so it belongs before the first message.
    void SetSampleRate(int rate);
    // Sets the number of voices (1-65535; others are ignored).
    void SetPolyphony(int voices);
    // Plays one channel message packed as status | data1 << 8 | data2 << 16;
    // system messages and malformed data bytes are ignored.
    void PlayShortMessage(std::uint32_t message);
    // Plays one whole exclusive message F0 ... F7 (anything else is ignored);
    // the GS reset, GS rhythm-part and GM / GM2 System On are handled here.
    void PlayExclusive(const std::uint8_t* data, std::size_t length);
    // Renders `frames` frames into `left` and `right`.
    void Render(float* left, float* right, int frames);

    // Bank and program of the preset `channel` plays; false when it has none.
    bool ChannelPreset(int channel, int& bank, int& program) const;

private:
    SynthInstance() = default;
    bool Build(int sampleRate, int polyphony);
    void ResetAllChannels();
    void SetRhythmPart(int channel, bool drum);

    // Declared so that the synthesizer goes before its settings and the SoundFont.
    std::shared_ptr<SharedSoundFont> soundFont_;
    FluidSettingsOwner settings_;
    FluidSynthOwner synth_;
    int sampleRate_ = 0;
    double gain_ = 0.0;
    EffectSettings effects_;
};
