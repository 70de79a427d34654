// Begin, step and end of a render: the module record and the engine live
// here for one conversion.
#include "render/render_session.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <memory>
#include <optional>

#include "model/song_container.h"
#include "render/stream_peak_limiter.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"
#include "sequencer/song_timeline.h"

ChordProcess* g_pEngine = nullptr;

namespace {

constexpr double kMsPerSecond = 1000.0;
// The limiter's look-ahead fits in the block rendered after the one handed out.
static_assert(kPeakHalfTaps + LimiterTiming{}.attackFrames <= kBlockFrames);
// Blocks of tail allowed after the song's end (30 s is 2646 blocks).
constexpr int kMaxTailBlocks = static_cast<int>(static_cast<long long>(kMaxTailMs) * kSampleRate /
                                                (static_cast<long long>(kMsPerSecond) * kBlockFrames));

// A block the module rendered that is not handed out yet.
struct RenderedBlock {
    bool over = false;  // not part of the song
    int elapsedMs = 0;
};

struct RenderState {
    std::unique_ptr<SynthModule> module;
    std::unique_ptr<ChordProcess> engine;
    int endBlock = 0;  // the block in which the song ended, 0 before
    RenderLimit limit;
    std::optional<StreamPeakLimiter> limiter;
    std::deque<RenderedBlock> ahead;  // at most the block to hand out and the one after it
    // Limited frames waiting to be handed out.
    std::vector<float> left;
    std::vector<float> right;
    std::vector<float> curve;
    std::size_t framesLimited = 0;  // frames out of the limiter
    int handedOutMs = 0;
};
RenderState g_render;

// Elapsed render time after `blocks` blocks, truncated (block 1: 11 ms, block 3: 34 ms).
int ElapsedMs(int blocks) {
    return static_cast<int>(std::trunc(blocks * (kBlockFrames * kMsPerSecond) / kSampleRate));
}

// Empties the limiter and the blocks rendered ahead.
void ResetLimiter() {
    g_render.limiter.emplace(std::pow(10.0, g_render.limit.ceilingDbtp / 20.0));
    g_render.ahead.clear();
    g_render.left.clear();
    g_render.right.clear();
    g_render.curve.clear();
    g_render.framesLimited = 0;
    g_render.handedOutMs = 0;
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
    ResetLimiter();
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

int BeginRender(SongContainer& song, int& bufferBytes, int& framesPerBlock, int tempoScale, const RenderLimit& limit) {
    DiscardSession();  // a render left running is ended first
    g_render.limit = limit;
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

const std::vector<float>& RenderCurve() { return g_render.curve; }

int HandedOutMs() { return g_render.handedOutMs; }

namespace {

// Keeps the limiter's factor of the next frame when the curve is recorded;
// the frames before the limiter first acts are 1.
void Record(float factor) {
    std::vector<float>& curve = g_render.curve;
    const std::size_t frame = g_render.framesLimited++;
    if (!g_render.limit.recordCurve || (curve.empty() && factor == 1.0f)) return;
    if (curve.empty()) curve.assign(frame, 1.0f);
    curve.push_back(factor);
}

// Renders the module's next block and passes its frames through the limiter.
void RenderAhead() {
    SynthModule& module = *g_render.module;
    module.blocksRendered += 1;
    module.elapsedMs = ElapsedMs(module.blocksRendered);
    g_render.engine->PlayUntil();
    RenderedBlock rendered;
    rendered.over = RenderSynthSamples(module) == kSongOverResult;
    // A module that never falls silent still ends the render after the tail limit.
    if (module.endOfSong != 0) {
        if (g_render.endBlock == 0) g_render.endBlock = module.blocksRendered;
        if (module.blocksRendered - g_render.endBlock >= kMaxTailBlocks) rendered.over = true;
    }
    rendered.elapsedMs = module.elapsedMs;
    g_render.ahead.push_back(rendered);
    std::array<float, 2> out{};
    float factor = 1.0f;
    const auto gain = static_cast<float>(g_render.limit.gain);
    const std::vector<float>* given = g_render.limit.curve;
    for (int frame = 0; frame < module.framesPerBlock; ++frame) {
        const float left = module.left[frame] * gain;
        const float right = module.right[frame] * gain;
        if (given != nullptr) {
            const std::size_t at = g_render.framesLimited++;
            factor = at < given->size() ? (*given)[at] : 1.0f;
            out = {left * factor, right * factor};
        } else if (g_render.limiter->Push(left, right, out, factor)) {
            Record(factor);
        } else {
            continue;
        }
        g_render.left.push_back(out[0]);
        g_render.right.push_back(out[1]);
    }
}

}  // namespace

int RenderStep(std::span<std::uint8_t> block) {
    if (!g_render.module || !g_render.engine) return 0;
    if (g_render.ahead.empty()) RenderAhead();
    const RenderedBlock next = g_render.ahead.front();
    if (next.over) return 0;
    // The block's last frames leave the limiter once the next block is in.
    if (g_render.ahead.size() < 2) RenderAhead();
    g_render.ahead.pop_front();
    const int frames = g_render.module->framesPerBlock;
    ConvertSynthFrames(g_render.left.data(), g_render.right.data(), block.data(),
                       std::min(frames, static_cast<int>(block.size() / kBytesPerFrame)));
    g_render.left.erase(g_render.left.begin(), g_render.left.begin() + frames);
    g_render.right.erase(g_render.right.begin(), g_render.right.begin() + frames);
    g_render.handedOutMs = next.elapsedMs;
    return next.elapsedMs;
}

int EndRender() {
    if (!g_render.module) return 1;
    DiscardSession();
    return 0;
}
