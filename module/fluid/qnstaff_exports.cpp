// The C entry points of QNStaff.so: each finds its instance and forwards.

#include "module/fluid/effect_settings.h"
#include "module/fluid/instance_table.h"
#include "module/fluid/module_config.h"
#include "module/fluid/module_location.h"
#include "module/fluid/qnstaff_test_hooks.h"
#include "module/fluid/shared_soundfont.h"
#include "module/fluid/soundfont_search.h"
#include "module/qnstaff_api.h"

#include <fluidsynth.h>

#include <filesystem>
#include <iostream>

namespace {

// Tells the converter's user, on standard error, why the module cannot
// start; once per process for the same cause, since the converter asks
// again for every song.
void TellUserOnce(const std::string& text) {
    static std::string lastTold;
    if (text == lastTold) return;
    lastTold = text;
    std::cerr << "QNStaff.so: " << text << '\n';
}

// The first SoundFont candidate that exists and loads; when none does, says why.
std::shared_ptr<SharedSoundFont> FindSoundFont() {
    const SoundFontSearch search = SoundFontCandidates(ModuleFolder());
    std::string unusable;
    for (const std::string& path : search.candidates) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        if (std::shared_ptr<SharedSoundFont> font = SharedSoundFont::Acquire(path)) return font;
        if (unusable.empty()) unusable = path;
    }
    TellUserOnce(NoSoundFontMessage(search, unusable));
    return nullptr;
}

// The configuration: the loading program's settings, then QNStaff.conf.
struct Configuration {
    std::string path;  // of QNStaff.conf, for the messages
    std::string text;
};

Configuration ReadConfiguration() {
    Configuration configuration;
    configuration.path = ModuleConfigPath(ModuleFolder());
    configuration.text = SettingsFromEnvironment() + "\n" + ReadModuleConfig(configuration.path);
    return configuration;
}

// The output gain of the configuration, or the default; a bad value is told.
double OutputGain(const Configuration& configuration) {
    std::string problem;
    const std::optional<double> gain = GainFromConfig(configuration.text, configuration.path, problem);
    if (!problem.empty()) TellUserOnce(problem);
    return gain.value_or(kDefaultOutputGain);
}

// The reverb and chorus of the configuration; a bad value is told.
EffectSettings Effects(const Configuration& configuration) {
    std::string problem;
    EffectSettings effects = EffectsFromConfig(configuration.text, configuration.path, problem);
    if (!problem.empty()) TellUserOnce(problem);
    return effects;
}

// FluidSynth's warnings (substituted instruments and the like) would only
// clutter the converter's output; errors still reach standard error.
void QuietFluidSynthOnce() {
    static const bool quiet = [] {
        for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)quiet;
}

}  // namespace

extern "C" {

QNS_EXPORT int32_t qnsmain(void) {
    QuietFluidSynthOnce();
    std::shared_ptr<SharedSoundFont> font = FindSoundFont();
    if (!font) return 0;
    const Configuration configuration = ReadConfiguration();
    return AddInstance(SynthInstance::Create(std::move(font), OutputGain(configuration), Effects(configuration),
                                             SynthesizerPerChannelFromConfig(configuration.text)));
}

QNS_EXPORT int32_t SetSamplingFreqM(int32_t instance, int32_t rate) {
    SynthInstance* synth = FindInstance(instance);
    if (synth == nullptr) return -1;
    synth->SetSampleRate(rate);
    return 0;
}

QNS_EXPORT int32_t SetPolyphonyM(int32_t instance, int32_t voices) {
    SynthInstance* synth = FindInstance(instance);
    if (synth == nullptr) return -1;
    synth->SetPolyphony(voices);
    return 0;
}

QNS_EXPORT int32_t SendShortMsgM(int32_t instance, int32_t, uint32_t message) {
    SynthInstance* synth = FindInstance(instance);
    if (synth == nullptr) return -1;
    synth->PlayShortMessage(message);
    return 0;
}

QNS_EXPORT int32_t SendLongMsgM(int32_t instance, int32_t, const uint8_t* data, int32_t length) {
    // The answer is always 0: the engine reads its low byte.
    SynthInstance* synth = FindInstance(instance);
    if (synth != nullptr && data != nullptr && length > 0) synth->PlayExclusive(data, static_cast<std::size_t>(length));
    return 0;
}

QNS_EXPORT int32_t processReplacingM(int32_t instance, float** buffers, int32_t frames) {
    SynthInstance* synth = FindInstance(instance);
    if (synth == nullptr || buffers == nullptr || buffers[0] == nullptr || buffers[1] == nullptr || frames < 0) {
        return -1;
    }
    if (frames > 0) synth->Render(buffers[0], buffers[1], frames);
    return 0;
}

QNS_EXPORT int32_t DestroyM(int32_t instance) { return RemoveInstance(instance) ? 0 : -1; }

QNS_EXPORT int32_t QNS_TestOnly_ChannelPreset(int32_t instance, int32_t channel, int32_t* bank, int32_t* program) {
    SynthInstance* synth = FindInstance(instance);
    int presetBank = 0;
    int presetProgram = 0;
    if (synth == nullptr || bank == nullptr || program == nullptr ||
        !synth->ChannelPreset(channel, presetBank, presetProgram)) {
        return -1;
    }
    *bank = presetBank;
    *program = presetProgram;
    return 0;
}

}  // extern "C"
