// The render song: a copy of the loaded song with the user's options applied.
#include "render/prepare_render_song.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/measure.h"
#include "model/slots.h"
#include "model/track_editing.h"
#include "platform/movable_block.h"
#include "sequencer/tempo_clock.h"
#include "render/count_in.h"
#include "render/measure_grid.h"
#include "render/metronome.h"
#include "render/song_section.h"
#include "render/span_notes.h"
#include "render/transpose_song.h"

namespace {

constexpr int kHighestRoutedChannel = 15;  // channel entries above this leave a part unrouted
constexpr std::uint8_t kVolumeController = 7;
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

// The note of a turned-down channel that the starting volume goes in front
// of: the channel's first note, when no part of the channel sets the volume
// at or before its tick.
struct StartVolumeNote {
    int part = -1;  // -1: the channel needs no starting volume
    int index = 0;  // the note's event index in its part
};

std::array<StartVolumeNote, kMidiChannels> StartVolumeNotes(SongContainer& loaded, const SongOptions& options) {
    std::array<int, kMidiChannels> firstNoteTick;
    std::array<int, kMidiChannels> firstVolumeTick;
    firstNoteTick.fill(-1);
    firstVolumeTick.fill(-1);
    std::array<StartVolumeNote, kMidiChannels> notes{};
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = loaded.partChannel[part];
        const Track* track = loaded.SlotTrack(PartSlot(part));
        if (channel > kHighestRoutedChannel || track == nullptr || !options.volumeDown[channel]) continue;
        int tick = 0;
        bool noteSeen = false;
        for (int i = 0; i < EventsBeforeEnd(*track); ++i) {
            const TrackEvent& event = EventAt(*track, i);
            if (event.IsNote() && !noteSeen && (firstNoteTick[channel] < 0 || tick < firstNoteTick[channel])) {
                firstNoteTick[channel] = tick;
                notes[channel] = {part, i};
            }
            noteSeen = noteSeen || event.IsNote();
            const bool volume = event.Kind() == EventKind::kControl && event.U8(4) == kVolumeController;
            if (volume && (firstVolumeTick[channel] < 0 || tick < firstVolumeTick[channel])) firstVolumeTick[channel] = tick;
            tick += event.Step();
        }
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool volumeFirst = firstVolumeTick[channel] >= 0 && firstVolumeTick[channel] <= firstNoteTick[channel];
        if (firstNoteTick[channel] < 0 || volumeFirst) notes[channel].part = -1;
    }
    return notes;
}

// A silent channel's note becomes a rest of the same step.
void SilenceNote(TrackEvent& event) {
    if (event.IsNote()) event = MakeEvent(EventKind::kRest, event.Step());
}

// Copies a turned-down part: volumes halved, and the starting volume in
// front of the event `startAt` (-1: none); notes left out when `silent`.
void CopyTurnedDown(TrackCursor& destination, TrackCursor& source, int startAt, bool silent) {
    TrackEvent start = MakeEvent(EventKind::kControl);
    start.SetU8(4, kVolumeController);
    start.SetU8(5, kTurnedDownStartVolume);
    const int n = EventsBeforeEnd(*source.track);
    for (int i = 0; i < n; ++i) {
        if (i == startAt) AppendEvent(destination, start);
        TrackEvent event = EventAt(*source.track, i);
        HalveVolume(event);
        if (silent) SilenceNote(event);
        AppendEvent(destination, event);
    }
}

void CopyPart(SongContainer& loaded, const SongOptions& options, SongContainer& render, int part,
              const StartVolumeNote& startVolume) {
    const int slot = PartSlot(part);
    const int channel = loaded.partChannel[part];
    if (channel > kHighestRoutedChannel || loaded.SlotTrack(slot) == nullptr) return;
    CursorGuard source(loaded, slot);
    if (EventsBeforeEnd(*source->track) == 0) return;
    CursorGuard destination(render, slot);
    if (options.mute[channel]) {
        CopyExclusiveEvents(*destination, *source);
    } else if (options.volumeDown[channel]) {
        CopyTurnedDown(*destination, *source, startVolume.part == part ? startVolume.index : -1,
                       options.silent[channel] != 0);
    } else if (options.silent[channel]) {
        CopyEventsTransformed(*destination, *source, SilenceNote);
    } else {
        CopyAllEvents(*destination, *source);
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

// The count-in and the click: one grid, the click's first bars being the
// count-in. `firstNote` is the song's first note (-1: none) and `songEnd`
// its end, before the count-in; a `section` counts in on its meter's beats.
// `prepared` tells which channels sound and takes the count-in's place.
void AddClicks(const SongOptions& options, SongContainer& render, int firstNote, int songEnd, bool section,
               bool clicks, PreCountPlace place, PreparedSong& prepared) {
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
    if (countIn) {
        OpenCountInGap(render, *countIn);
        prepared.preCountFirst = countIn->at;
        prepared.preCountGap = countIn->gap;
    }
    if (!clicks) return;
    if (!options.click) {
        if (!countIn) return;
        const int velocity = ClickVelocity(kPreCountVelocity, options.clickLevelDb);
        prepared.clicksSound = place == PreCountPlace::kOwnPart
                                   ? InsertPreCountClicksApart(render, CountInBeats(*countIn), velocity)
                                   : InsertPreCountClicks(render, CountInBeats(*countIn), velocity);
        return;
    }
    if (countIn) {
        ShiftBeats(beats, countIn->at, countIn->gap);
        std::vector<Beat> counted = CountInBeats(*countIn);
        std::erase_if(counted, [&](const Beat& beat) { return beat.tick >= countIn->at + countIn->gap; });
        beats.insert(beats.begin(), counted.begin(), counted.end());
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
    const std::array<StartVolumeNote, kMidiChannels> startVolumes = StartVolumeNotes(loaded, options);
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = loaded.partChannel[part];
        CopyPart(loaded, options, render, part, startVolumes[channel & 0x0F]);
    }
    CopyTempoTrack(loaded, options.tempoPercent, render);
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
    if (section || firstBar > 1) {
        CutToMeasures(render, firstBar, lastBar, songLastBar);
        songEnd = SongEndTick(render);
    }
    prepared.soundingChannels = notes.sounding;
    AddClicks(options, render, notes.first, songEnd, section, clicks, place, prepared);
    return prepared;
}
