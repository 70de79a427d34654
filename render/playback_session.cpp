// Playback: the render song prepared for live changes, the module kept
// bound across moves, and the position in the loaded song.
#include "render/playback_session.h"

#include <algorithm>
#include <bitset>

#include "model/measure.h"
#include "model/slots.h"
#include "model/song_container.h"
#include "render/live_channels.h"
#include "render/measure_grid.h"
#include "render/metronome.h"
#include "render/prepare_render_song.h"
#include "render/render_session.h"
#include "sequencer/engine.h"
#include "sequencer/synth_module.h"
#include "sequencer/tempo_clock.h"

namespace {

constexpr int kMinTempoPercent = 1;
constexpr int kMaxTempoPercent = 999;
constexpr int kMaxTransposition = 12;
constexpr std::uint8_t kCommonTime = 0x33;  // 4/4 as a measure's time signature

// Parts with events in `render` that `loaded` leaves empty: the clicks.
std::bitset<kPartCount> ClickParts(SongContainer& loaded, SongContainer& render) {
    std::bitset<kPartCount> parts;
    for (int part = 0; part < kPartCount; ++part) {
        const Track* added = render.SlotTrack(PartSlot(part));
        const Track* own = loaded.SlotTrack(PartSlot(part));
        if (added != nullptr && added->count > 1 && (own == nullptr || own->count <= 1)) parts.set(static_cast<std::size_t>(part));
    }
    return parts;
}

// The ticks of a beat of bar `number` (the last bar's past the last).
int BeatTicksOfBar(const std::vector<Bar>& bars, int number) {
    if (bars.empty()) return BeatTicksOf(kCommonTime);
    const Bar& bar = number >= 1 && number <= static_cast<int>(bars.size()) ? bars[static_cast<std::size_t>(number - 1)]
                                                                            : bars.back();
    return BeatTicksOf(MeasureByteFor(bar).value_or(kCommonTime));
}

}  // namespace

PlaybackSession::PlaybackSession(SongContainer& loaded, SongContainer& render) : loaded_(loaded), render_(render) {}

PlaybackSession::~PlaybackSession() {
    if (SynthModule* module = RenderModule()) module->filter = nullptr;
    EndRender();
}

PlaybackStart PlaybackSession::Start(const SongOptions& options) {
    options_ = options;
    bars_ = ConvertedBars(loaded_);
    const int songLast = PlaceOfTick(bars_, SongEndTick(loaded_)).number;
    if (songLast < 1) return PlaybackStart::kNothingToPlay;
    first_ = options.firstMeasure > 0 ? options.firstMeasure : 1;
    last_ = options.lastMeasure > 0 ? std::min(options.lastMeasure, songLast) : songLast;
    if (first_ > songLast) return PlaybackStart::kSectionMissing;
    return Play(first_, options.preCount, true) < 0 ? PlaybackStart::kModuleFailed : PlaybackStart::kPlaying;
}

int PlaybackSession::Play(int measure, bool preCount, bool bind) {
    SongOptions prepared = options_;
    // Mutes and turned-down channels are applied live; the tempo by the clock.
    prepared.mute.fill(0);
    prepared.volumeDown.fill(0);
    prepared.tempoPercent = kFullTempoScale;
    prepared.preCount = preCount;
    // From the song's own start the render song is the conversion's; a
    // section or a move cuts it.
    const bool cut = measure != first_ || options_.firstMeasure > 0;
    prepared.firstMeasure = cut ? measure : 0;
    prepared.lastMeasure = cut ? last_ : 0;
    const PreparedSong song = PrepareRenderSong(loaded_, prepared, render_, true, PreCountPlace::kOwnPart);
    if (song.sectionMissing) return -1;
    preparedTranspose_ = options_.transpose;
    startTick_ = BarStartTick(bars_, measure);
    preCountFirst_ = song.preCountFirst;
    preCountGap_ = song.preCountGap;
    preCountBeat_ = BeatTicksOfBar(bars_, measure);

    if (SynthModule* module = RenderModule()) module->filter = nullptr;
    int bufferBytes = 0;
    int framesPerBlock = 0;
    const int length = bind ? BeginRender(render_, bufferBytes, framesPerBlock, options_.tempoPercent)
                            : RestartRender(render_, options_.tempoPercent);
    if (length < 0) return length;
    SynthModule& module = *RenderModule();
    live_ = std::make_unique<LiveChannels>(module, ClickParts(loaded_, render_));
    live_->Set(options_);
    module.filter = live_.get();
    return length;
}

int PlaybackSession::Step(std::span<std::uint8_t> block) { return RenderStep(block); }

void PlaybackSession::SetChannels(const SongOptions& options) {
    options_.mute = options.mute;
    options_.volumeDown = options.volumeDown;
    if (live_) live_->Set(options_);
}

void PlaybackSession::SetTempo(int percent) {
    options_.tempoPercent = std::clamp(percent, kMinTempoPercent, kMaxTempoPercent);
    const SynthModule* module = RenderModule();
    if (g_pEngine != nullptr && module != nullptr) g_pEngine->Clock().Rescale(options_.tempoPercent, module->elapsedMs);
}

void PlaybackSession::SetTranspose(int semitones) {
    options_.transpose = std::clamp(semitones, -kMaxTransposition, kMaxTransposition);
    if (live_) live_->SetTranspose(options_.transpose - preparedTranspose_);
}

bool PlaybackSession::Seek(int measure) {
    return Play(std::clamp(measure, first_, last_), false, RenderModule() == nullptr) >= 0;
}

PlaybackPosition PlaybackSession::Position() const {
    PlaybackPosition position;
    position.tempoPercent = options_.tempoPercent;
    const SynthModule* module = RenderModule();
    if (g_pEngine == nullptr || module == nullptr) return position;
    const TempoClock& clock = g_pEngine->Clock();
    position.tempo = EffectiveTempo(clock.rawTempo, clock.tempoScale);
    int tick = clock.MsToTick(HandedOutMs());
    if (preCountGap_ > 0 && tick >= preCountFirst_) {
        if (tick < preCountFirst_ + preCountGap_) {
            position.measure = 0;
            position.beat = preCountBeat_ > 0 ? (tick - preCountFirst_) / preCountBeat_ + 1 : 1;
            return position;
        }
        tick -= preCountGap_;
    }
    const int songTick = startTick_ + tick;
    const BarPlace place = PlaceOfTick(bars_, songTick);
    position.measure = std::min(place.number, last_);
    const int beatTicks = BeatTicksOfBar(bars_, place.number);
    position.beat = beatTicks > 0 ? place.offset / beatTicks + 1 : 1;
    position.ms = TicksToMs(loaded_, 0, songTick, options_.tempoPercent);
    return position;
}
