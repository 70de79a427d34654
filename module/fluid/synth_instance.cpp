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
constexpr int kMidiChannels = 16;
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
                                                     const EffectSettings& effects) {
    if (!soundFont) return nullptr;
    std::unique_ptr<SynthInstance> instance(new SynthInstance());
    instance->soundFont_ = std::move(soundFont);
    instance->gain_ = gain;
    instance->effects_ = effects;
    if (!instance->Build(kDefaultSampleRate, kDefaultPolyphony)) return nullptr;
    return instance;
}

bool SynthInstance::Build(int sampleRate, int polyphony) {
    FluidSettingsOwner settingsOwner(new_fluid_settings());
    if (!settingsOwner) return false;
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
    if (!synthOwner || !soundFont_->AddTo(synthOwner.get())) return false;
    fluid_synth_program_reset(synthOwner.get());

    // The old synthesizer goes before the settings it was made with.
    synth_ = std::move(synthOwner);
    settings_ = std::move(settingsOwner);
    sampleRate_ = sampleRate;
    return true;
}

void SynthInstance::SetSampleRate(int rate) {
    if (rate < kMinSampleRate || rate > kMaxSampleRate || rate == sampleRate_) return;
    // On failure the current synthesizer stays.
    Build(rate, fluid_synth_get_polyphony(synth_.get()));
}

void SynthInstance::SetPolyphony(int voices) {
    if (voices < 1 || voices > kMaxPolyphony) return;
    fluid_synth_set_polyphony(synth_.get(), voices);
}

void SynthInstance::PlayShortMessage(std::uint32_t message) {
    const std::uint8_t status = message & 0xFF;
    const std::uint8_t data1 = (message >> 8) & 0xFF;
    const std::uint8_t data2 = (message >> 16) & 0xFF;
    if (status < kNoteOff || status >= 0xF0 || (data1 & 0x80) || (data2 & 0x80)) return;
    fluid_synth_t* synth = synth_.get();
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
        case kNoteOff: fluid_synth_noteoff(synth, channel, data1); break;
        case kNoteOn: fluid_synth_noteon(synth, channel, data1, data2); break;
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
            // FluidSynth takes the message without its F0 and F7.
            fluid_synth_sysex(synth_.get(), reinterpret_cast<const char*>(data + 1), static_cast<int>(length - 2),
                              nullptr, nullptr, nullptr, 0);
            break;
    }
}

void SynthInstance::ResetAllChannels() {
    // Every channel back to its defaults; only channel 10 plays drums. The
    // bank-select convention stays GS whichever reset it was.
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        fluid_synth_set_channel_type(synth_.get(), channel,
                                     channel == kDrumChannelIndex ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
    }
    fluid_synth_system_reset(synth_.get());
}

void SynthInstance::SetRhythmPart(int channel, bool drum) {
    fluid_synth_t* synth = synth_.get();
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

void SynthInstance::Render(float* left, float* right, int frames) {
    fluid_synth_write_float(synth_.get(), frames, left, 0, 1, right, 0, 1);
}

bool SynthInstance::ChannelPreset(int channel, int& bank, int& program) const {
    if (channel < 0 || channel >= kMidiChannels) return false;
    fluid_preset_t* preset = fluid_synth_get_channel_preset(synth_.get(), channel);
    if (preset == nullptr) return false;
    bank = fluid_preset_get_banknum(preset);
    program = fluid_preset_get_num(preset);
    return true;
}
