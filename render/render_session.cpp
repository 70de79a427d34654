// Begin, step and end of a render: the module record and the engine live
// here for one conversion.
#include "render/render_session.h"

#include <array>
#include <cmath>
#include <memory>

#include "model/song_container.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"
#include "sequencer/song_timeline.h"

ChordProcess* g_pEngine = nullptr;

namespace {

constexpr double kMsPerSecond = 1000.0;
// Blocks of tail allowed after the song's end (30 s is 2646 blocks).
constexpr int kMaxTailBlocks = static_cast<int>(static_cast<long long>(kMaxTailMs) * kSampleRate /
                                                (static_cast<long long>(kMsPerSecond) * kBlockFrames));

struct RenderState {
    std::unique_ptr<SynthModule> module;
    std::unique_ptr<ChordProcess> engine;
    int endBlock = 0;  // the block in which the song ended, 0 before
};
RenderState g_render;

// Elapsed render time after `blocks` blocks, truncated (block 1: 11 ms, block 3: 34 ms).
int ElapsedMs(int blocks) {
    return static_cast<int>(std::trunc(blocks * (kBlockFrames * kMsPerSecond) / kSampleRate));
}

// Destroys the engine before the module it borrows, clearing both pointers.
void DiscardSession() {
    g_pEngine = nullptr;
    g_render.engine.reset();
    if (g_render.module) UnbindSynthModule(*g_render.module);
    g_pSynthModule = nullptr;
    g_render.module.reset();
}

}  // namespace

namespace {

// A channel message with its controller and value.
constexpr std::uint32_t kControlStatus = 0xB0;
constexpr std::uint32_t kAllSoundOff = 120;
constexpr std::uint32_t kResetControllers = 121;
constexpr int kChannels = 16;
// The General MIDI "system on" message: every channel to its starting state.
constexpr std::array<std::uint8_t, 6> kGeneralMidiOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

// Creates the engine on the bound module and starts `song` from its
// beginning; the song's length in ms, or -1.
int StartEngine(SongContainer& song, int tempoScale) {
    g_render.endBlock = 0;
    g_render.engine = std::make_unique<ChordProcess>(song, *g_render.module);
    g_pEngine = g_render.engine.get();
    ChordProcess& engine = *g_render.engine;
    g_render.module->channelTable = song.partChannel.data();
    engine.Clock().tempoScale = tempoScale;
    engine.Clock().ApplyTempo();
    PlaySettings& settings = engine.Settings();
    settings.metronome = false;
    settings.loopPlay = false;
    settings.wholeSong = true;
    // Each conversion measures its own song, not the one measured first.
    if (g_pSongTimeline != nullptr) g_pSongTimeline->Invalidate();

    if (engine.StartPlay() != 0) {
        DiscardSession();
        return -1;
    }
    const std::int32_t end = engine.Positions().endPosition;
    if (end != kUnboundedEnd) return TicksToMs(song, 0, end, tempoScale);
    return SongLengthMs(song);
}

}  // namespace

int BeginRender(SongContainer& song, int& bufferBytes, int& framesPerBlock, int tempoScale) {
    DiscardSession();  // a render left running is ended first
    g_render.module = std::make_unique<SynthModule>();
    g_pSynthModule = g_render.module.get();
    const int bound = BindSynthModule(*g_render.module);
    if (bound != 0) {
        g_pSynthModule = nullptr;
        g_render.module.reset();
        return bound;
    }
    bufferBytes = kBlockBytes;
    framesPerBlock = kBlockFrames;
    return StartEngine(song, tempoScale);
}

int RestartRender(SongContainer& song, int tempoScale) {
    if (!g_render.module) return -1;
    g_pEngine = nullptr;
    g_render.engine.reset();
    SynthModule& module = *g_render.module;
    for (std::uint32_t channel = 0; channel < kChannels; ++channel) {
        module.SendShortDirect(kControlStatus + channel + (kAllSoundOff << 8));
        module.SendShortDirect(kControlStatus + channel + (kResetControllers << 8));
    }
    module.SendLong(kGeneralMidiOn.data(), static_cast<int>(kGeneralMidiOn.size()));
    module.elapsedMs = 0;
    module.blocksRendered = 0;
    module.endOfSong = 0;
    return StartEngine(song, tempoScale);
}

SynthModule* RenderModule() { return g_render.module.get(); }

int RenderStep(std::span<std::uint8_t> block) {
    if (!g_render.module || !g_render.engine) return 0;
    SynthModule& module = *g_render.module;
    module.blocksRendered += 1;
    module.elapsedMs = ElapsedMs(module.blocksRendered);
    g_render.engine->PlayUntil();
    if (RenderSynthBlock(module, block) == kSongOverResult) return 0;
    // A module that never falls silent still ends the render after the tail limit.
    if (module.endOfSong != 0) {
        if (g_render.endBlock == 0) g_render.endBlock = module.blocksRendered;
        if (module.blocksRendered - g_render.endBlock >= kMaxTailBlocks) return 0;
    }
    return module.elapsedMs;
}

int EndRender() {
    if (!g_render.module) return 1;
    DiscardSession();
    return 0;
}
