// The sequencer engine that plays a song into the synthesizer module. ToQ1
// merges the tracks in time order, queues note-offs, translates track events
// into MIDI messages and routes them to the module; PlayRec plays by the
// render time and handles play start, measures and the song's end;
// ChordProcess is the class a conversion creates.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "model/slots.h"
#include "model/track_containers.h"
#include "model/track_event.h"
#include "sequencer/event_writer.h"
#include "sequencer/note_off_queue.h"
#include "sequencer/output_event.h"
#include "sequencer/play_settings.h"
#include "sequencer/port_caches.h"
#include "sequencer/tempo_clock.h"
#include "sequencer/track_merge_tree.h"

class SongContainer;
struct SynthModule;

// Merge-tree leaves with a special role.
constexpr int kRangeLeaf = 0;      // play-range markers (not used while rendering)
constexpr int kSongEndLeaf = 1;    // fires at the end position
constexpr int kMetronomeLeaf = 6;  // metronome clicks (off while rendering)

class ToQ1 {
public:
    virtual ~ToQ1() = default;
    ToQ1(const ToQ1&) = delete;
    ToQ1& operator=(const ToQ1&) = delete;

    // Slot 0: forgets the caches and pending note-offs; the current measure becomes 4/4.
    virtual void ResetOutputState();
    // Slot 1: sends the current output event; returns EmitEvent's result.
    virtual int SendCurrent();
    // Slot 2: plays every remaining event, ignoring the render time; returns the stop flag.
    virtual int PlayUntil();
    // Slot 3: closes all cursors, opens those of the played tracks and resets
    // the merge tree. Returns the number of part tracks opened.
    virtual int ResetPlayState();
    // Slot 4: closes all cursors and sets the stop flag.
    virtual void StopPlay();
    // Slot 5: takes the winning slot's next event and translates it; true when
    // that produced an output event.
    virtual bool FetchNext();
    // Slot 6: turns the current track event of `slot` into the current output
    // event; true when there is something to send.
    virtual bool TranslateEvent(int slot);
    // Slot 7: chord changes are not followed; does nothing.
    virtual void OnChordChange() {}

    // Routes one output event to the module: tempo changes to the clock,
    // exclusive messages and payloads as long messages (the result is the low
    // byte of the module's answer), channel messages of parts to the part's
    // channel, the song end to the end-of-song flag. Returns 0 otherwise.
    int EmitEvent(std::uint32_t message, int code);

    TempoClock& Clock() { return clock_; }
    const TempoClock& Clock() const { return clock_; }
    int CurrentTick() const { return clock_.currentTick; }
    // 1 once play has stopped (the song ended or StopPlay ran), else 0.
    int StopFlag() const { return stop_; }
    int ActiveTracks() const { return activeTracks_; }
    int MeasureCounter() const { return measureCounter_; }
    bool MeasureTrackEnded() const { return measureTrackEnded_; }
    const OutputEvent& CurrentOutput() const { return output_; }
    const TrackMergeTree& MergeTree() const { return tree_; }
    const NoteOffQueue& NoteOffs() const { return *noteOffs_; }
    SongContainer& Song() { return song_; }

protected:
    // Borrows the song and the module record for the engine's lifetime.
    ToQ1(SongContainer& song, SynthModule& module);

    // Plays the next candidate: the earliest note-off when it is due no later
    // than the merge tree's winner, else the winner's event. Returns
    // SendCurrent's result (0 for a note-off).
    int PlayCandidate();
    // Whether the next candidate is a pending note-off, and its tick.
    bool NextCandidate(int& tick) const;
    // Makes the next candidate's tick and time the clock's current ones; returns the time in ms.
    int ExamineNextCandidate();
    // Sends the note-off of a pending entry unless its note is 0.
    void SendNoteOff(const NoteOffQueue::Entry& entry);
    // The buffered event of `slot` becomes the current event and the next one
    // is read ahead (an end marker stands in when the track has no more).
    void TakeBuffered(int slot);
    // Reads the slot's next event into its buffer; false at the end of the track.
    bool ReadAhead(int slot);
    // The ordinary fetch: take the buffered event, advance the leaf, translate.
    bool FetchOrdinary(int slot);
    // Sets the current output event; returns true.
    bool Output(std::uint32_t message, int code, std::uint16_t extra = 0);
    // Opens a cursor on a played slot and remembers its events-written counter.
    void OpenPlayCursor(int slot);
    void CloseAllCursors();
    // The 8-bit channel byte of part slot `code` (port x 16 + channel).
    std::uint8_t ChannelOfPart(int code) const;

    SongContainer& song_;
    SynthModule& module_;
    TempoClock clock_;
    int stop_ = 0;
    int activeTracks_ = 0;
    int measureCounter_ = 0;
    bool measureTrackEnded_ = false;
    std::array<OwnedCursor, kSlotCount> cursors_;  // null: the slot is not played
    std::uint16_t songChanges_ = 0;                // the song's total change counter at PreparePlay
    std::array<std::uint16_t, kSlotCount> eventsWritten_{};
    PortCaches caches_;
    TrackMergeTree tree_;
    std::unique_ptr<NoteOffQueue> noteOffs_;
    std::array<TrackEvent, kSlotCount> buffered_{};
    TrackEvent currentEvent_;
    TrackEvent currentMeasure_;
    OutputEvent output_;
};

class PlayRec : public ToQ1, public ToQ2 {
public:
    // Borrows the song and the module record for the engine's lifetime.
    PlayRec(SongContainer& song, SynthModule& module);

    // Plays everything due before the module's elapsed time. Returns 0 when
    // the next event is not yet due (or an exclusive message was answered
    // with a nonzero low byte), 1 once the song has ended.
    int PlayUntil() override;
    // Forgets the event writer's cursors, then closes the engine's and stops.
    void StopPlay() override;
    // The ordinary fetch, plus the measure track and the song end leaf.
    bool FetchNext() override;
    // Notes go through the note-off queue; other kinds as in ToQ1.
    bool TranslateEvent(int slot) override;

    // Prepares play: output state reset, cursors opened, merge tree reset,
    // clock tick 0. Returns the number of part tracks opened.
    int PreparePlay();
    // Starts play at the song's beginning. Returns 0, or -1 when the song
    // has no playable measure.
    int StartPlay();
    // Positions every track at the start tick without sending anything and
    // arms the song end leaf.
    void Locate();
    // Advances every track to `target` without output.
    void SkipTo(int target);

    PlaySettings& Settings() { return settings_; }
    const PlayPositions& Positions() const { return positions_; }

private:
    // The measure track's leaf: counts measures, ends the song after the last one.
    bool FetchMeasure();
    // The song end leaf: cuts every sounding note and reports the end.
    bool FetchSongEnd();
    // The next measure-track event, or the current measure repeated once the track has ended.
    TrackEvent NextMeasureEvent();
    // Moves play to the start of `measure` when the measure order jumps.
    void JumpToMeasure(int measure);
    // Re-reads parts written to since play started, from the current tick on.
    void RepositionChangedParts();
    void Reposition(int slot, int tick);

    PlaySettings settings_;
    PlayPositions positions_;
    int mappedMeasure_ = 0;  // the measure reached through the song's measure order
};

// The engine a conversion creates. Chord following is never turned on, so it
// plays exactly as PlayRec.
class ChordProcess final : public PlayRec {
public:
    using PlayRec::PlayRec;
};
