// Loading the synthesizer module, rendering blocks and unloading it.
#include "sequencer/synth_module.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/standard_error.h"

char g_szModulePath[kModulePathBytes] = {};
SynthModule* g_pSynthModule = nullptr;

namespace {

constexpr float kPcmScale = 32767.0f;
constexpr float kPcmMax = 32767.0f;
constexpr float kPcmMin = -32768.0f;
constexpr int kFramesPerGroup = 8;

constexpr std::string_view kMissingFileReason = "No such file or directory";

// Looks up one export; a missing one is added to `missing`.
template <typename Fn>
void Resolve(const DynamicLibrary& library, const char* name, Fn& out, std::string& missing) {
    out = reinterpret_cast<Fn>(library.Symbol(name));
    if (out != nullptr) return;
    if (!missing.empty()) missing += ", ";
    missing += name;
}

// Looks up all seven exports; returns the names of the missing ones.
std::string ResolveAll(const DynamicLibrary& library, SynthEntryPoints& entry) {
    // Every export is looked up, so that no call is made unless all seven exist.
    std::string missing;
    Resolve(library, "qnsmain", entry.qnsmain, missing);
    Resolve(library, "SendLongMsgM", entry.sendLongMsg, missing);
    Resolve(library, "SendShortMsgM", entry.sendShortMsg, missing);
    Resolve(library, "processReplacingM", entry.processReplacing, missing);
    Resolve(library, "SetPolyphonyM", entry.setPolyphony, missing);
    Resolve(library, "SetSamplingFreqM", entry.setSamplingFreq, missing);
    Resolve(library, "DestroyM", entry.destroy, missing);
    return missing;
}

// Tells the user once per run why the module could not be bound; a batch
// that fails on every file says it once, not for every file.
void TellUserOnce(const std::string& text) {
    static std::string lastTold;
    if (text == lastTold) return;
    lastTold = text;
    WriteErrorLine(text);
}

std::string LoadFailure(std::string_view path, std::string_view reason) {
    // The loader's text usually starts with the path itself.
    if (reason.starts_with(path) && reason.substr(path.size()).starts_with(": ")) {
        reason.remove_prefix(path.size() + 2);
    }
    std::string text = "cannot load the synthesizer module " + std::string(path) + ": " + std::string(reason);
    if (reason.find(kMissingFileReason) != std::string_view::npos) {
        text += " (install the module there, or register the folder that holds QNStaff.so with register-module.sh)";
    }
    return text;
}

}  // namespace

std::string DescribeBindFailure(int result, std::string_view path, std::string_view detail) {
    switch (result) {
        case kBindLoadFailed: return LoadFailure(path, detail);
        case kBindExportMissing:
            return std::string(path) + " is not a synthesizer module: it lacks the entry point(s) " +
                   std::string(detail);
        case kBindCreateFailed:
            return "the synthesizer module " + std::string(path) +
                   " could not start (its own message above says why)";
        default: return {};
    }
}

namespace {

int BindFailed(int result, std::string_view detail) {
    TellUserOnce(DescribeBindFailure(result, g_szModulePath, detail));
    return result;
}

}  // namespace

int BindSynthModule(SynthModule& module) {
    DynamicLibrary library = DynamicLibrary::Load(g_szModulePath);
    if (!library.Loaded()) return BindFailed(kBindLoadFailed, library.LoadError());

    SynthEntryPoints entry;
    if (const std::string missing = ResolveAll(library, entry); !missing.empty()) {
        return BindFailed(kBindExportMissing, missing);
    }

    const std::int32_t handle = entry.qnsmain();
    if (handle == 0) return BindFailed(kBindCreateFailed, {});

    module.library = std::move(library);
    module.entry = entry;
    module.instance = SynthInstance(handle, entry.destroy);
    entry.setSamplingFreq(handle, kSampleRate);
    entry.setPolyphony(handle, kPolyphony);

    module.framesPerBlock = kBlockFrames;
    module.elapsedMs = 0;
    module.blocksRendered = 0;
    module.endOfSong = 0;
    module.left.assign(kSampleBufferFloats, 0.0f);
    module.right.assign(kSampleBufferFloats, 0.0f);
    return 0;
}

namespace {

// The body of SampleToPcm16, kept local so that the frame loop can inline it
// (an exported function may be interposed in a shared build and is not).
inline std::int16_t ToPcm16(float sample) {
    const float v = sample * kPcmScale;
    // A NaN fails both comparisons and is caught by the last one.
    const float clamped = v > kPcmMax ? kPcmMax : (v <= kPcmMin ? kPcmMin : v);
    return static_cast<std::int16_t>(clamped == clamped ? static_cast<std::int32_t>(clamped) : 0);
}

}  // namespace

std::int16_t SampleToPcm16(float sample) { return ToPcm16(sample); }

// Whole groups of a fixed size go through a local array, a shape the
// compiler turns into vector code; the rest goes frame by frame.
void ConvertSynthFrames(const float* left, const float* right, std::uint8_t* out, int frames) {
    int frame = 0;
    for (; frame + kFramesPerGroup <= frames; frame += kFramesPerGroup) {
        std::int16_t samples[2 * kFramesPerGroup];
        for (int i = 0; i < kFramesPerGroup; ++i) {
            samples[2 * i] = ToPcm16(left[frame + i]);
            samples[2 * i + 1] = ToPcm16(right[frame + i]);
        }
        std::uint8_t* group = out + frame * kBytesPerFrame;
        for (int i = 0; i < 2 * kFramesPerGroup; ++i) {
            const auto sample = static_cast<std::uint16_t>(samples[i]);
            group[2 * i] = static_cast<std::uint8_t>(sample);
            group[2 * i + 1] = static_cast<std::uint8_t>(sample >> 8);
        }
    }
    for (; frame < frames; ++frame) {
        const auto l = static_cast<std::uint16_t>(ToPcm16(left[frame]));
        const auto r = static_cast<std::uint16_t>(ToPcm16(right[frame]));
        std::uint8_t* bytes = out + frame * kBytesPerFrame;
        bytes[0] = static_cast<std::uint8_t>(l);
        bytes[1] = static_cast<std::uint8_t>(l >> 8);
        bytes[2] = static_cast<std::uint8_t>(r);
        bytes[3] = static_cast<std::uint8_t>(r >> 8);
    }
}

int RenderSynthSamples(SynthModule& module) {
    if (!module.library.Loaded()) return 0;
    float* buffers[2] = {module.left.data(), module.right.data()};
    module.entry.processReplacing(module.instance.Handle(), buffers, module.framesPerBlock);
    if (module.endOfSong == 0) return 0;
    const int lead = std::min<int>(module.framesPerBlock, kSilentLeadFrames);
    for (int frame = 0; frame < lead; ++frame) {
        if (ToPcm16(module.left[frame]) != 0 || ToPcm16(module.right[frame]) != 0) return 0;
    }
    return kSongOverResult;
}

int RenderSynthBlock(SynthModule& module, std::span<std::uint8_t> block) {
    if (!module.library.Loaded()) return 0;
    const int over = RenderSynthSamples(module);
    const int frames = std::min<int>(module.framesPerBlock, static_cast<int>(block.size() / kBytesPerFrame));
    ConvertSynthFrames(module.left.data(), module.right.data(), block.data(), frames);
    return over;
}

int UnbindSynthModule(SynthModule& module) {
    if (!module.library.Loaded()) return -1;
    module.instance.Destroy();
    module.library.Free();
    module.entry = SynthEntryPoints{};
    module.left.clear();
    module.left.shrink_to_fit();
    module.right.clear();
    module.right.shrink_to_fit();
    return 0;
}
