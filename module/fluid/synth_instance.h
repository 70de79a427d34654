// One synthesizer instance of the module: FluidSynth synthesizers without an
// audio driver, one per MIDI channel, playing the shared SoundFont with GS
// bank conventions. Each channel has voices of its own, so a channel sounds
// the same whatever the other channels play: the parts of a song rendered
// one at a time add up to the song (one FluidSynth synthesizer would let a
// new voice start with the output level the last user of its voice slot
// left, and let one channel's notes take another's voices).
#pragma once

#include "module/fluid/effect_settings.h"
#include "module/fluid/fluid_owners.h"
#include "module/fluid/shared_soundfont.h"

#include <array>
#include <cstdint>
#include <vector>
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
    // Sets the number of voices of each channel (1-65535; others are ignored).
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
    static constexpr int kChannels = 16;

    // The synthesizer of one channel. Until its first note it has nothing
    // to play and is not rendered; at that note it renders the silence it
    // missed, so that its effects and its block grid stand where they would
    // had it been rendered from the start, whatever the other channels do.
    struct ChannelSynth {
        // Declared so that the synthesizer goes before its settings.
        FluidSettingsOwner settings;
        FluidSynthOwner synth;
        bool sounding = false;
    };

    SynthInstance() = default;
    bool Build(int sampleRate, int polyphony);
    FluidSynthOwner BuildOne(FluidSettingsOwner& settingsOwner, int sampleRate, int polyphony) const;
    void ResetAllChannels();
    void SetRhythmPart(int channel, bool drum);
    // Brings an idle channel's synthesizer up to the instance's time.
    void Wake(ChannelSynth& channel);

    // Declared so that the synthesizers go before the SoundFont.
    std::shared_ptr<SharedSoundFont> soundFont_;
    std::array<ChannelSynth, kChannels> channels_;
    std::vector<float> scratchLeft_;
    std::vector<float> scratchRight_;
    long long framesRendered_ = 0;  // since the synthesizers were made
    int sampleRate_ = 0;
    int polyphony_ = 0;
    double gain_ = 0.0;
    EffectSettings effects_;
};
