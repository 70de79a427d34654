// Loading the synthesizer module, rendering blocks and unloading it.
#include "render/synth_module.h"

#include <algorithm>
#include <cmath>

char g_szModulePath[kModulePathBytes] = {};
SynthModule* g_pSynthModule = nullptr;

namespace {

constexpr float kPcmScale = 32767.0f;

template <typename Fn>
bool Resolve(const DynamicLibrary& library, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(library.Symbol(name));
    return out != nullptr;
}

bool ResolveAll(const DynamicLibrary& library, SynthEntryPoints& entry) {
    // Every export is looked up, so that no call is made unless all seven exist.
    bool ok = Resolve(library, "qnsmain", entry.qnsmain);
    ok &= Resolve(library, "SendLongMsgM", entry.sendLongMsg);
    ok &= Resolve(library, "SendShortMsgM", entry.sendShortMsg);
    ok &= Resolve(library, "processReplacingM", entry.processReplacing);
    ok &= Resolve(library, "SetPolyphonyM", entry.setPolyphony);
    ok &= Resolve(library, "SetSamplingFreqM", entry.setSamplingFreq);
    ok &= Resolve(library, "DestroyM", entry.destroy);
    return ok;
}

}  // namespace

int BindSynthModule(SynthModule& module) {
    DynamicLibrary library = DynamicLibrary::Load(g_szModulePath);
    if (!library.Loaded()) return kBindLoadFailed;

    SynthEntryPoints entry;
    if (!ResolveAll(library, entry)) return kBindExportMissing;

    const std::int32_t handle = entry.qnsmain();
    if (handle == 0) return kBindCreateFailed;

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

std::int16_t SampleToPcm16(float sample) {
    const float v = sample * kPcmScale;
    if (std::isnan(v)) return 0;
    if (v > 32767.0f) return 32767;
    if (v <= -32768.0f) return -32768;
    return static_cast<std::int16_t>(v);
}

int RenderSynthBlock(SynthModule& module, std::span<std::uint8_t> block) {
    if (!module.library.Loaded()) return 0;
    float* buffers[2] = {module.left.data(), module.right.data()};
    module.entry.processReplacing(module.instance.Handle(), buffers, module.framesPerBlock);

    const int frames = std::min<int>(module.framesPerBlock, static_cast<int>(block.size() / kBytesPerFrame));
    bool silentLead = true;
    for (int frame = 0; frame < frames; ++frame) {
        const std::int16_t left = SampleToPcm16(module.left[frame]);
        const std::int16_t right = SampleToPcm16(module.right[frame]);
        std::uint8_t* out = block.data() + frame * kBytesPerFrame;
        out[0] = static_cast<std::uint8_t>(left);
        out[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(left) >> 8);
        out[2] = static_cast<std::uint8_t>(right);
        out[3] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(right) >> 8);
        if (frame < kSilentLeadFrames && (left != 0 || right != 0)) silentLead = false;
    }
    return module.endOfSong != 0 && silentLead ? kSongOverResult : 0;
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
