// One synthesizer instance of the module: FluidSynth without an audio
// driver, playing the shared SoundFont with GS bank conventions. It plays
// every channel on one FluidSynth synthesizer, or, when asked, each MIDI
// channel on a synthesizer of its own. With one per channel a channel sounds
// the same whatever the other channels play, so the parts of a song rendered
// one at a time add up to the song (one synthesizer lets a new voice start
// with the output level the last user of its voice slot left, and lets one
// channel's notes take another's voices); it costs up to 1.7 times the
// processor time, so it is kept for renders whose parts must add up.
#pragma once

#include "module/fluid/effect_settings.h"
#include "module/fluid/fluid_owners.h"
#include "module/fluid/shared_soundfont.h"

#include <cstdint>
#include <vector>
#include <memory>

class SynthInstance {
public:
    // A fresh instance at 44100 Hz playing `soundFont` at output gain `gain`
    // with the reverb and chorus of `effects`; null when FluidSynth can't
    // make one.
    // With `synthesizerPerChannel`, each MIDI channel plays on a synthesizer
    // of its own.
    static std::unique_ptr<SynthInstance> Create(std::shared_ptr<SharedSoundFont> soundFont, double gain,
                                                 const EffectSettings& effects = {},
                                                 bool synthesizerPerChannel = false);

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

    // One FluidSynth synthesizer. A channel's own synthesizer has nothing to
    // play until its first note and is not rendered; at that note it renders
    // the silence it missed, so that its effects and its block grid stand
    // where they would had it been rendered from the start, whatever the
    // other channels do. The shared synthesizer sounds from the start.
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
    // The synthesizer that plays `channel`.
    ChannelSynth& SynthOf(int channel);
    const ChannelSynth& SynthOf(int channel) const;
    // Brings an idle channel's synthesizer up to the instance's time.
    void Wake(ChannelSynth& channel);

    // Declared so that the synthesizers go before the SoundFont.
    std::shared_ptr<SharedSoundFont> soundFont_;
    std::vector<ChannelSynth> channels_;  // one, or one per MIDI channel
    std::vector<float> scratchLeft_;
    std::vector<float> scratchRight_;
    long long framesRendered_ = 0;  // since the synthesizers were made
    int sampleRate_ = 0;
    int polyphony_ = 0;
    double gain_ = 0.0;
    EffectSettings effects_;
    bool synthesizerPerChannel_ = false;
};
