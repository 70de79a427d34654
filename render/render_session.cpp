// Begin, step and end of a render: the module record and the engine live
// here for one conversion.
#include "render/render_session.h"

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

int BeginRender(SongContainer& song, int& bufferBytes, int& framesPerBlock) {
    DiscardSession();  // a render left running is ended first
    g_render.module = std::make_unique<SynthModule>();
    g_render.endBlock = 0;
    g_pSynthModule = g_render.module.get();
    const int bound = BindSynthModule(*g_render.module);
    if (bound != 0) {
        g_pSynthModule = nullptr;
        g_render.module.reset();
        return bound;
    }
    bufferBytes = kBlockBytes;
    framesPerBlock = kBlockFrames;

    g_render.engine = std::make_unique<ChordProcess>(song, *g_render.module);
    g_pEngine = g_render.engine.get();
    ChordProcess& engine = *g_render.engine;
    g_render.module->channelTable = song.partChannel.data();
    engine.Clock().tempoScale = kFullTempoScale;
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
    if (end != kUnboundedEnd) return TicksToMs(song, 0, end, kFullTempoScale);
    return SongLengthMs(song);
}

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
