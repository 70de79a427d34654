// FluidSynth behind the module's entry points.

#include "module/fluid/synth_instance.h"

#include "module/fluid/exclusive_message.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kDefaultSampleRate = 44100;
// The converter asks for 128 voices; starting there spares allocating voices
// that would never be used (FluidSynth never frees voices once made).
constexpr int kDefaultPolyphony = 128;
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 96000;
constexpr int kMaxPolyphony = 65535;
// A waking channel renders the silence it missed in pieces of this many frames.
constexpr std::size_t kWakeChunkFrames = 4096;
// FluidSynth's drum bank, beyond the 0-127 a bank-select message can reach.
constexpr int kDrumBank = 128;

// FluidSynth can render the voices of one synthesizer on up to this many
// threads. The default is one: several synthesizers share one loaded
// SoundFont, and with extra render threads their samples come out
// differently from run to run under load, so a song's WAV would not be the
// same twice. More threads are an explicit choice, traded for that.
constexpr int kMaxRenderThreads = 8;
// Environment variable that asks for more than one render thread.
constexpr char kRenderThreadsVariable[] = "QNSTAFF_CPU_CORES";

// Render threads: the variable's value, else one.
int RenderThreads() {
    const char* value = std::getenv(kRenderThreadsVariable);
    const int wanted = value != nullptr && value[0] != '\0' ? std::atoi(value) : 1;
    return std::clamp(wanted, 1, kMaxRenderThreads);
}

// Channel message kinds (the status byte's high nibble).
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kKeyPressure = 0xA0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kChannelPressure = 0xD0;
constexpr std::uint8_t kPitchBend = 0xE0;

}  // namespace

std::unique_ptr<SynthInstance> SynthInstance::Create(std::shared_ptr<SharedSoundFont> soundFont, double gain,
                                                     const EffectSettings& effects, bool synthesizerPerChannel) {
    if (!soundFont) return nullptr;
    std::unique_ptr<SynthInstance> instance(new SynthInstance());
    instance->soundFont_ = std::move(soundFont);
    instance->gain_ = gain;
    instance->effects_ = effects;
    instance->synthesizerPerChannel_ = synthesizerPerChannel;
    if (!instance->Build(kDefaultSampleRate, kDefaultPolyphony)) return nullptr;
    return instance;
}

FluidSynthOwner SynthInstance::BuildOne(FluidSettingsOwner& settingsOwner, int sampleRate, int polyphony) const {
    settingsOwner.reset(new_fluid_settings());
    if (!settingsOwner) return nullptr;
    fluid_settings_t* settings = settingsOwner.get();
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings, "synth.polyphony", polyphony);
    fluid_settings_setnum(settings, "synth.gain", gain_);
    // Every effect value is set, whatever the library's own defaults are.
    const ReverbSettings& reverb = effects_.reverb;
    fluid_settings_setint(settings, "synth.reverb.active", reverb.active ? 1 : 0);
    fluid_settings_setnum(settings, "synth.reverb.room-size", reverb.roomSize);
    fluid_settings_setnum(settings, "synth.reverb.damp", reverb.damp);
    fluid_settings_setnum(settings, "synth.reverb.width", reverb.width);
    fluid_settings_setnum(settings, "synth.reverb.level", reverb.level);
    const ChorusSettings& chorus = effects_.chorus;
    fluid_settings_setint(settings, "synth.chorus.active", chorus.active ? 1 : 0);
    fluid_settings_setint(settings, "synth.chorus.nr", chorus.voices);
    fluid_settings_setnum(settings, "synth.chorus.level", chorus.level);
    fluid_settings_setnum(settings, "synth.chorus.speed", chorus.speedHz);
    fluid_settings_setnum(settings, "synth.chorus.depth", chorus.depthMs);
    // GS conventions: the bank-select MSB picks a variation tone; FluidSynth
    // falls back to the capital tone in bank 0 when the variation is missing.
    fluid_settings_setstr(settings, "synth.midi-bank-select", "gs");
    // Calls come from one thread at a time.
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", RenderThreads());
    FluidSynthOwner synthOwner(new_fluid_synth(settings));
    if (!synthOwner || !soundFont_->AddTo(synthOwner.get())) return nullptr;
    fluid_synth_program_reset(synthOwner.get());
    return synthOwner;
}

bool SynthInstance::Build(int sampleRate, int polyphony) {
    std::vector<ChannelSynth> channels(synthesizerPerChannel_ ? kChannels : 1);
    for (ChannelSynth& channel : channels) {
        channel.synth = BuildOne(channel.settings, sampleRate, polyphony);
        if (!channel.synth) return false;
        channel.sounding = !synthesizerPerChannel_;
    }
    // The old synthesizers go only once the new ones stand, each before the
    // settings it was made with.
    for (ChannelSynth& channel : channels_) channel.synth.reset();
    channels_ = std::move(channels);
    framesRendered_ = 0;
    sampleRate_ = sampleRate;
    polyphony_ = polyphony;
    return true;
}

void SynthInstance::SetSampleRate(int rate) {
    if (rate < kMinSampleRate || rate > kMaxSampleRate || rate == sampleRate_) return;
    // On failure the current synthesizers stay.
    Build(rate, polyphony_);
}

void SynthInstance::SetPolyphony(int voices) {
    if (voices < 1 || voices > kMaxPolyphony) return;
    for (ChannelSynth& channel : channels_) fluid_synth_set_polyphony(channel.synth.get(), voices);
    polyphony_ = voices;
}

void SynthInstance::PlayShortMessage(std::uint32_t message) {
    const std::uint8_t status = message & 0xFF;
    const std::uint8_t data1 = (message >> 8) & 0xFF;
    const std::uint8_t data2 = (message >> 16) & 0xFF;
    if (status < kNoteOff || status >= 0xF0 || (data1 & 0x80) || (data2 & 0x80)) return;
    const int channel = status & 0x0F;
    ChannelSynth& owner = SynthOf(channel);
    fluid_synth_t* synth = owner.synth.get();
    switch (status & 0xF0) {
        case kNoteOff: fluid_synth_noteoff(synth, channel, data1); break;
        case kNoteOn:
            if (data2 != 0) Wake(owner);
            fluid_synth_noteon(synth, channel, data1, data2);
            break;
        case kKeyPressure: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case kControlChange: fluid_synth_cc(synth, channel, data1, data2); break;
        case kProgramChange: fluid_synth_program_change(synth, channel, data1); break;
        case kChannelPressure: fluid_synth_channel_pressure(synth, channel, data1); break;
        case kPitchBend: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
        default: break;
    }
}

void SynthInstance::PlayExclusive(const std::uint8_t* data, std::size_t length) {
    const ExclusiveAction action = ClassifyExclusive(data, length);
    switch (action.kind) {
        case ExclusiveAction::Kind::kIgnore: break;
        case ExclusiveAction::Kind::kReset: ResetAllChannels(); break;
        case ExclusiveAction::Kind::kSetRhythmPart: SetRhythmPart(action.channel, action.drum); break;
        case ExclusiveAction::Kind::kPassOn:
            // FluidSynth takes the message without its F0 and F7. With a
            // synthesizer per channel, each takes what concerns its channel.
            for (ChannelSynth& channel : channels_) {
                fluid_synth_sysex(channel.synth.get(), reinterpret_cast<const char*>(data + 1),
                                  static_cast<int>(length - 2), nullptr, nullptr, nullptr, 0);
            }
            break;
    }
}

void SynthInstance::ResetAllChannels() {
    // Every channel back to its defaults; only channel 10 plays drums. The
    // bank-select convention stays GS whichever reset it was.
    for (int channel = 0; channel < kChannels; ++channel) {
        fluid_synth_set_channel_type(SynthOf(channel).synth.get(), channel,
                                     channel == kDrumChannelIndex ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
    }
    for (ChannelSynth& synth : channels_) fluid_synth_system_reset(synth.synth.get());
}

void SynthInstance::SetRhythmPart(int channel, bool drum) {
    fluid_synth_t* synth = SynthOf(channel).synth.get();
    int fontId = 0;
    int bank = 0;
    int program = 0;
    fluid_synth_get_program(synth, channel, &fontId, &bank, &program);
    fluid_synth_set_channel_type(synth, channel, drum ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
    // The channel's program is chosen again for its new kind: a drum channel
    // takes the kit of that number from the drum bank, and a channel that
    // leaves the drum bank returns to the capital tones.
    if (!drum && bank >= kDrumBank) fluid_synth_bank_select(synth, channel, 0);
    fluid_synth_program_change(synth, channel, program);
}

SynthInstance::ChannelSynth& SynthInstance::SynthOf(int channel) {
    return channels_[synthesizerPerChannel_ ? static_cast<std::size_t>(channel) : 0];
}

const SynthInstance::ChannelSynth& SynthInstance::SynthOf(int channel) const {
    return channels_[synthesizerPerChannel_ ? static_cast<std::size_t>(channel) : 0];
}

void SynthInstance::Wake(ChannelSynth& channel) {
    if (channel.sounding) return;
    channel.sounding = true;
    if (scratchLeft_.size() < kWakeChunkFrames) {
        scratchLeft_.resize(kWakeChunkFrames);
        scratchRight_.resize(kWakeChunkFrames);
    }
    for (long long missed = framesRendered_; missed > 0; missed -= kWakeChunkFrames) {
        const int frames = static_cast<int>(std::min<long long>(missed, kWakeChunkFrames));
        fluid_synth_write_float(channel.synth.get(), frames, scratchLeft_.data(), 0, 1, scratchRight_.data(), 0, 1);
    }
}

void SynthInstance::Render(float* left, float* right, int frames) {
    if (!synthesizerPerChannel_) {
        fluid_synth_write_float(channels_.front().synth.get(), frames, left, 0, 1, right, 0, 1);
        return;
    }
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    framesRendered_ += frames;
    const auto size = static_cast<std::size_t>(frames);
    if (scratchLeft_.size() < size) {
        scratchLeft_.resize(size);
        scratchRight_.resize(size);
    }
    // The channels are added in channel order, the same in every render.
    for (ChannelSynth& channel : channels_) {
        if (!channel.sounding) continue;
        fluid_synth_write_float(channel.synth.get(), frames, scratchLeft_.data(), 0, 1, scratchRight_.data(), 0, 1);
        for (std::size_t i = 0; i < size; ++i) {
            left[i] += scratchLeft_[i];
            right[i] += scratchRight_[i];
        }
    }
}

bool SynthInstance::ChannelPreset(int channel, int& bank, int& program) const {
    if (channel < 0 || channel >= kChannels) return false;
    fluid_preset_t* preset = fluid_synth_get_channel_preset(SynthOf(channel).synth.get(), channel);
    if (preset == nullptr) return false;
    bank = fluid_preset_get_banknum(preset);
    program = fluid_preset_get_num(preset);
    return true;
}
