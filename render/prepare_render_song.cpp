// The render song: a copy of the loaded song with the user's options applied.
#include "render/prepare_render_song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/measure.h"
#include "model/slots.h"
#include "model/track_editing.h"
#include "platform/movable_block.h"
#include "sequencer/tempo_clock.h"
#include "render/channel_level.h"
#include "render/count_in.h"
#include "render/measure_grid.h"
#include "render/metronome.h"
#include "render/song_section.h"
#include "render/span_notes.h"
#include "render/transpose_song.h"

namespace {

constexpr int kHighestRoutedChannel = 15;  // channel entries above this leave a part unrouted
// Where a turned-down channel that sets no volume of its own starts: half
// the General MIDI default of 100.
constexpr std::uint8_t kTurnedDownStartVolume = 50;
constexpr int kPreCountVelocity = 100;

// Events of a track up to, not including, its end marker.
int EventsBeforeEnd(const Track& track) {
    if (track.count > 0 && EventAt(track, track.count - 1).IsEnd()) return track.count - 1;
    return track.count;
}

// The copies below take freshly opened cursors (position 0) and a destination
// track that holds only its end marker, so copies go in front of that marker.

// Removes every event of the track except its end marker.
void EmptyToEndMarker(TrackCursor& cursor) {
    const int n = EventsBeforeEnd(*cursor.track);
    if (n > 0) InsertSlots(cursor, -n, true);
}

// Copies every event of `source` but its end marker, payloads included.
void CopyAllEvents(TrackCursor& destination, TrackCursor& source) {
    const int n = EventsBeforeEnd(*source.track);
    if (n > 0) InsertCopies(destination, source, n, true);
}

// Puts `event` at the destination's position and moves past it.
void AppendEvent(TrackCursor& destination, const TrackEvent& event) {
    InsertSlots(destination, 1, false);
    Write(destination, event, true);
}

// Copies the events of `source` but its end marker one by one, each changed
// by `transform` on the way.
template <typename Transform>
void CopyEventsTransformed(TrackCursor& destination, TrackCursor& source, Transform transform) {
    const int n = EventsBeforeEnd(*source.track);
    for (int i = 0; i < n; ++i) {
        TrackEvent event = EventAt(*source.track, i);
        transform(event);
        AppendEvent(destination, event);
    }
}

// Places each exclusive event of `source` into `destination` at its own tick.
void CopyExclusiveEvents(TrackCursor& destination, TrackCursor& source) {
    const int n = EventsBeforeEnd(*source.track);
    int tick = 0;
    for (int i = 0; i < n; ++i) {
        TrackEvent event = EventAt(*source.track, i);
        const int step = event.Step();
        if (event.Kind() == EventKind::kExclusive) {
            event.SetStep(0);  // the insertion computes the steps around it
            Seek(destination, tick, 0);
            InsertAtTime(destination, event);
        }
        tick += step;
    }
}

// Halves a nonzero channel volume, never down to 0.
void HalveVolume(TrackEvent& event) {
    if (event.Kind() != EventKind::kControl || event.U8(4) != kVolumeController) return;
    const std::uint8_t value = event.U8(5);
    if (value == 0) return;
    event.SetU8(5, std::max<std::uint8_t>(value >> 1, 1));
}

// Scales a tempo event by the percentage as the clock plays it.
void ScaleTempo(TrackEvent& event, int tempoPercent) {
    if (event.Kind() != EventKind::kTempo) return;
    event.SetI32(4, EffectiveTempo(event.I32(4), tempoPercent));
}

void CopyExclusiveTable(const ExclusiveTable& from, ExclusiveTable& to) {
    // The count covers only entries that hold a message, and an import may
    // leave an entry empty (a message too long or cut off), so the entries in
    // use can reach past it: every entry is looked at.
    for (int i = 0; i < kExclusiveEntries; ++i) {
        MovableBlock copy;
        const int length = ExclusiveCopy(from, i, copy);
        if (length <= 0) continue;
        BlockLock bytes(copy);
        ExclusiveStore(i, to, length, bytes.Data());  // an entry that cannot be stored is skipped
    }
}

// What the copy of a channel needs to know before it starts: where its
// first note is, whether the volume and the expression are set at or before
// it, and the highest values it plays with.
struct ChannelStart {
    int part = -1;  // the part of the channel's first note; -1: the channel plays none
    int index = 0;  // the note's event index in its part
    int firstNoteTick = -1;
    int firstVolumeTick = -1;
    int firstExpressionTick = -1;
    ChannelPeaks peaks{0, 0, 0};

    bool SetsVolume() const { return firstVolumeTick >= 0 && firstVolumeTick <= firstNoteTick; }
    bool SetsExpression() const { return firstExpressionTick >= 0 && firstExpressionTick <= firstNoteTick; }
};

bool IsControl(const TrackEvent& event, std::uint8_t controller) {
    return event.Kind() == EventKind::kControl && event.U8(4) == controller;
}

void NoteEarliest(int& first, int tick) {
    if (first < 0 || tick < first) first = tick;
}

std::array<ChannelStart, kMidiChannels> ChannelStarts(SongContainer& loaded) {
    std::array<ChannelStart, kMidiChannels> starts{};
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = loaded.partChannel[part];
        const Track* track = loaded.SlotTrack(PartSlot(part));
        if (channel > kHighestRoutedChannel || track == nullptr) continue;
        ChannelStart& start = starts[channel];
        int tick = 0;
        bool noteSeen = false;
        for (int i = 0; i < EventsBeforeEnd(*track); ++i) {
            const TrackEvent& event = EventAt(*track, i);
            if (event.IsNote()) {
                if (!noteSeen && (start.firstNoteTick < 0 || tick < start.firstNoteTick)) {
                    start.firstNoteTick = tick;
                    start.part = part;
                    start.index = i;
                }
                noteSeen = true;
                start.peaks.velocity = std::max<int>(start.peaks.velocity, event.Velocity());
            } else if (IsControl(event, kVolumeController)) {
                NoteEarliest(start.firstVolumeTick, tick);
                start.peaks.volume = std::max<int>(start.peaks.volume, event.U8(5));
            } else if (IsControl(event, kExpressionController)) {
                NoteEarliest(start.firstExpressionTick, tick);
                start.peaks.expression = std::max<int>(start.peaks.expression, event.U8(5));
            }
            tick += event.Step();
        }
    }
    for (ChannelStart& start : starts) {
        if (start.part < 0) continue;
        if (!start.SetsVolume()) start.peaks.volume = std::max<int>(start.peaks.volume, kDefaultChannelVolume);
        if (!start.SetsExpression()) start.peaks.expression = std::max<int>(start.peaks.expression, kDefaultExpression);
    }
    return starts;
}

// How a channel's events change on the way into the render song.
struct ChannelChange {
    bool turnedDown = false;
    std::optional<LevelScaling> level;
};

ChannelChange ChangeOf(const SongOptions& options, int channel, const ChannelStart& start) {
    ChannelChange change;
    change.turnedDown = options.volumeDown[channel] != 0;
    if (options.levelDb[channel] != 0) {
        ChannelPeaks peaks = start.peaks;
        if (change.turnedDown) peaks.volume = std::max(peaks.volume >> 1, 1);
        change.level = PlanLevel(options.levelDb[channel], peaks);
    }
    return change;
}

// The controllers a changed channel that sets none of its own starts with,
// in front of its first note.
std::vector<TrackEvent> StartControllers(const ChannelChange& change, const ChannelStart& start) {
    std::vector<TrackEvent> events;
    auto add = [&events](std::uint8_t controller, std::uint8_t value) {
        TrackEvent event = MakeEvent(EventKind::kControl);
        event.SetU8(4, controller);
        event.SetU8(5, value);
        events.push_back(event);
    };
    const double volumeFactor = change.level ? change.level->volume : 1.0;
    if (!start.SetsVolume() && (change.turnedDown || volumeFactor != 1.0)) {
        add(kVolumeController,
            ScaledValue(change.turnedDown ? kTurnedDownStartVolume : kDefaultChannelVolume, volumeFactor));
    }
    if (!start.SetsExpression() && change.level && change.level->expression != 1.0) {
        add(kExpressionController, ScaledValue(kDefaultExpression, change.level->expression));
    }
    return events;
}

// A silent channel's note becomes a rest of the same step.
void SilenceNote(TrackEvent& event) {
    if (event.IsNote()) event = MakeEvent(EventKind::kRest, event.Step());
}

// Copies a turned-down or leveled part: volumes halved, then every value
// the level touches scaled, and the starting controllers in front of the
// event `startAt` (-1: none); notes left out when `silent`.
void CopyChanged(TrackCursor& destination, TrackCursor& source, const ChannelChange& change,
                 const std::vector<TrackEvent>& startControllers, int startAt, bool silent) {
    const int n = EventsBeforeEnd(*source.track);
    for (int i = 0; i < n; ++i) {
        if (i == startAt) {
            for (const TrackEvent& start : startControllers) AppendEvent(destination, start);
        }
        TrackEvent event = EventAt(*source.track, i);
        if (change.turnedDown) HalveVolume(event);
        if (change.level) ScaleForLevel(event, *change.level);
        if (silent) SilenceNote(event);
        AppendEvent(destination, event);
    }
}

void CopyPart(SongContainer& loaded, const SongOptions& options, SongContainer& render, int part,
              const ChannelStart& start) {
    const int slot = PartSlot(part);
    const int channel = loaded.partChannel[part];
    if (channel > kHighestRoutedChannel || loaded.SlotTrack(slot) == nullptr) return;
    CursorGuard source(loaded, slot);
    if (EventsBeforeEnd(*source->track) == 0) return;
    CursorGuard destination(render, slot);
    const ChannelChange change = ChangeOf(options, channel, start);
    if (options.mute[channel]) {
        CopyExclusiveEvents(*destination, *source);
    } else if (!change.turnedDown && !change.level) {
        if (options.silent[channel]) {
            CopyEventsTransformed(*destination, *source, SilenceNote);
        } else {
            CopyAllEvents(*destination, *source);
        }
    } else {
        CopyChanged(*destination, *source, change, StartControllers(change, start), start.part == part ? start.index : -1,
                    options.silent[channel] != 0);
    }
}

// True when the track holds a tempo event at tick 0.
bool StartsWithTempo(const Track& track) {
    for (int i = 0; i < EventsBeforeEnd(track); ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.Kind() == EventKind::kTempo) return true;
        if (event.Step() != 0) return false;
    }
    return false;
}

void CopyTempoTrack(SongContainer& loaded, int tempoPercent, SongContainer& render) {
    CursorGuard destination(render, kTempoSlot);
    EmptyToEndMarker(*destination);
    const Track* track = loaded.SlotTrack(kTempoSlot);
    if (tempoPercent != kFullTempoScale && (track == nullptr || !StartsWithTempo(*track))) {
        // Until its first tempo event a song plays at the default tempo,
        // which the percentage scales like any other.
        TrackEvent start = MakeEvent(EventKind::kTempo);
        start.SetI32(4, EffectiveTempo(kDefaultTempo, tempoPercent));
        InsertSlots(*destination, 1, false);
        Write(*destination, start, true);
    }
    if (track == nullptr) return;
    CursorGuard source(loaded, kTempoSlot);
    if (tempoPercent == kFullTempoScale) {
        CopyAllEvents(*destination, *source);
    } else {
        CopyEventsTransformed(*destination, *source,
                              [tempoPercent](TrackEvent& event) { ScaleTempo(event, tempoPercent); });
    }
}

void CopyMeasureTrack(SongContainer& loaded, SongContainer& render) {
    if (loaded.SlotTrack(kMeasureSlot) == nullptr) return;
    CursorGuard source(loaded, kMeasureSlot);
    CursorGuard destination(render, kMeasureSlot);
    CopyAllEvents(*destination, *source);
}

// The count-in planned for the first pass, repeated in front of each of
// `passes` passes of `passLength` ticks that follow one another from its
// bar on: the count-ins in the order they sound, each at its place once the
// gaps before it are open.
std::vector<CountIn> RepeatedCountIns(const CountIn& first, int passes, int passLength) {
    std::vector<CountIn> countIns;
    for (int pass = 0; pass < passes; ++pass) {
        CountIn countIn = first;
        const int moved = pass * (passLength + first.gap);
        countIn.at += moved;
        countIn.clicksEnd += moved;
        countIns.push_back(countIn);
    }
    return countIns;
}

// The count-in and the click: one grid, the click's first bars being the
// count-in. `firstNote` is the song's first note (-1: none) and `songEnd`
// its end, before the count-in; a `section` counts in on its meter's beats.
// With `passes` above 1, the section's passes of `passLength` ticks each get
// a count-in of their own (before its gaps open, the first note of a pass
// lies `passLength` after the one before). `prepared` tells which channels
// sound and takes the first count-in's place.
void AddClicks(const SongOptions& options, SongContainer& render, int firstNote, int songEnd, bool section,
               int passes, int passLength, bool clicks, PreCountPlace place, PreparedSong& prepared) {
    // The click's beats are those of the song's own bars; the count-in then
    // moves them with the music.
    std::vector<Beat> beats;
    if (options.click) beats = SongBeats(render, TickToMeasure(render, songEnd));
    // With every channel that plays muted and no click, there is nothing to
    // count in (a silent channel stands for the mix the clicks' stem is of).
    bool anythingSounds = options.click;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        anythingSounds = anythingSounds || options.silent[channel] ||
                         (prepared.soundingChannels[channel] && !options.mute[channel]);
    }
    std::optional<CountIn> countIn;
    if (options.preCount && anythingSounds) countIn = PlanCountIn(render, options, firstNote, !options.click && !section);
    std::vector<CountIn> countIns;
    if (countIn) {
        countIns = RepeatedCountIns(*countIn, passes, passLength);
        // From the last pass back, so that each gap opens where the song still has it.
        for (int pass = passes - 1; pass >= 0; --pass) {
            CountIn unmoved = *countIn;
            unmoved.at += pass * passLength;
            OpenCountInGap(render, unmoved);
        }
        prepared.preCountFirst = countIn->at;
        prepared.preCountGap = countIn->gap;
    }
    std::vector<Beat> counted;
    for (const CountIn& each : countIns) {
        std::vector<Beat> pass = CountInBeats(each);
        counted.insert(counted.end(), pass.begin(), pass.end());
    }
    if (!clicks) return;
    if (!options.click) {
        if (countIns.empty()) return;
        const int velocity = ClickVelocity(kPreCountVelocity, options.clickLevelDb);
        prepared.clicksSound = place == PreCountPlace::kOwnPart ? InsertPreCountClicksApart(render, counted, velocity)
                                                                : InsertPreCountClicks(render, counted, velocity);
        return;
    }
    if (!countIns.empty()) {
        ShiftBeats(beats, countIns.front().at, countIns.front().gap);
        for (std::size_t pass = 1; pass < countIns.size(); ++pass) {
            for (Beat& beat : beats) {
                if (beat.tick >= countIns[pass].at) beat.tick += countIns[pass].gap;
            }
        }
        // A count-in's clicks after its gap (through a pickup's bar) are the song's own beats.
        std::erase_if(counted, [&](const Beat& beat) {
            return std::ranges::any_of(countIns, [&beat](const CountIn& each) {
                return beat.tick >= each.at + each.gap && beat.tick < each.clicksEnd;
            });
        });
        beats.insert(beats.end(), counted.begin(), counted.end());
        std::ranges::stable_sort(beats, {}, &Beat::tick);
    }
    prepared.clicksSound = InsertClicks(render, beats, options.clickLevelDb) && !beats.empty();
}

}  // namespace

PreparedSong PrepareRenderSong(SongContainer& loaded, const SongOptions& options, SongContainer& render, bool clicks,
                               PreCountPlace place) {
    PreparedSong prepared;
    render.Clear();
    render.Reset();
    CopyExclusiveTable(*loaded.exclusiveTable, *render.exclusiveTable);
    const std::array<ChannelStart, kMidiChannels> starts = ChannelStarts(loaded);
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = loaded.partChannel[part];
        CopyPart(loaded, options, render, part, starts[channel & 0x0F]);
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.mute[channel] || starts[channel].part < 0) continue;
        const ChannelChange change = ChangeOf(options, channel, starts[channel]);
        if (change.level && change.level->capped)
            prepared.cappedLevels.push_back({channel, options.levelDb[channel], change.level->reachedDb});
    }
    const bool looped = options.firstMeasure > 0 && options.loopPasses > 1;
    // A loop scales the raw tempos pass by pass when it cuts the section.
    CopyTempoTrack(loaded, looped ? kFullTempoScale : options.tempoPercent, render);
    CopyMeasureTrack(loaded, render);
    ConformMeasureTrack(loaded, render);
    std::copy_n(loaded.partChannel.begin(), kPartCount, render.partChannel.begin());
    prepared.notesLeftOut = TransposeParts(render, options, options.transpose);

    // The span converted, in the song's bars. The count-in and the stems go
    // by what the whole song plays there, muted channels included, and the
    // song lasts as long as all of it.
    int songEnd = std::max(SongEndTick(loaded), SongEndTick(render));
    const int songLastBar = TickToMeasure(render, songEnd);
    const bool section = options.firstMeasure > 0;
    int firstBar = section ? options.firstMeasure : 1;
    const int lastBar = section ? std::min(options.lastMeasure, songLastBar) : songLastBar;
    if (firstBar > lastBar) {
        prepared.sectionMissing = true;
        prepared.lastMeasure = songLastBar;
        return prepared;
    }
    const int spanEnd = MeasureToTick(render, lastBar + 1);
    SpanNotes notes = NotesInSpan(loaded, MeasureToTick(render, firstBar), spanEnd);
    if (options.dropLeadingEmptyBars && notes.first >= 0) {
        const int noteBar = TickToMeasure(render, MeasureToTick(render, firstBar) + notes.first);
        if (noteBar > firstBar) {
            firstBar = noteBar;
            notes = NotesInSpan(loaded, MeasureToTick(render, firstBar), spanEnd);
        }
    }
    const int passLength = MeasureToTick(render, lastBar + 1) - MeasureToTick(render, firstBar);
    if (section || firstBar > 1) {
        std::vector<int> passTempos;
        for (int pass = 0; looped && pass < options.loopPasses; ++pass) passTempos.push_back(PassTempo(options, pass));
        if (!CutToMeasures(render, firstBar, lastBar, songLastBar, passTempos) && looped) {
            prepared.loopTooLong = true;
            return prepared;
        }
        songEnd = SongEndTick(render);
    }
    prepared.soundingChannels = notes.sounding;
    const int passes = looped && options.countInEachPass ? options.loopPasses : 1;
    AddClicks(options, render, notes.first, songEnd, section, passes, passLength, clicks, place, prepared);
    return prepared;
}

int PassTempo(const SongOptions& options, int pass) {
    constexpr int kHighestTempo = 999;
    double percent = options.tempoPercent + static_cast<double>(pass) * options.loopTempoStep;
    if (options.loopTempoTo != 0 && options.loopPasses > 1) {
        percent = options.tempoPercent +
                  static_cast<double>(pass) * (options.loopTempoTo - options.tempoPercent) / (options.loopPasses - 1);
    }
    return std::clamp(static_cast<int>(std::lround(percent)), 1, kHighestTempo);
}
