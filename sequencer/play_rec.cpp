// PlayRec: play driven by the render time, notes through the note-off queue,
// the measure track and the end of the song.
#include "model/measure.h"
#include "model/song_container.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"

PlayRec::PlayRec(SongContainer& song, SynthModule& module) : ToQ1(song, module) {}

int PlayRec::PlayUntil() {
    if (stop_ != 0) return stop_;
    RepositionChangedParts();
    while (stop_ == 0) {
        // Not yet due: the candidate stays for the next block.
        if (ExamineNextCandidate() >= module_.elapsedMs) return 0;
        // A nonzero answer to an exclusive message ends this block's pass;
        // the remaining due events go out in the next block.
        if (PlayCandidate() != 0) return stop_;
    }
    return stop_;
}

void PlayRec::StopPlay() {
    // The writer's cursors are never lent during play; it only forgets them.
    ToQ2::StopPlay();
    ToQ1::StopPlay();
}

bool PlayRec::FetchNext() {
    const int slot = tree_.Root().slot;
    if (slot == kSongEndLeaf) return FetchSongEnd();
    if (slot == kMeasureSlot) return FetchMeasure();
    return FetchOrdinary(slot);
}

bool PlayRec::TranslateEvent(int slot) {
    if (!currentEvent_.IsNote()) return ToQ1::TranslateEvent(slot);
    const std::uint8_t note = currentEvent_.Kind();
    const int gate = currentEvent_.Gate();
    if (gate == 0) return false;
    const int pending = noteOffs_->Insert(note, clock_.currentTick + gate, static_cast<std::uint16_t>(slot), note,
                                          currentEvent_.Velocity());
    // A full queue drops the note; a note still sounding on this slot is
    // extended to the new end instead of being struck again.
    if (pending != NoteOffQueue::kNothingPending) return false;
    // Note number 0 is never sounded.
    if (note == 0) return false;
    return Output(ShortMessage(kNoteOnStatus, note, currentEvent_.Velocity()), slot);
}

TrackEvent PlayRec::NextMeasureEvent() {
    if (measureTrackEnded_) {
        TrackEvent repeated = currentMeasure_;
        repeated.SetStep(static_cast<std::uint16_t>(MeasureLengthOf(currentMeasure_.U8(5))));
        return repeated;
    }
    TakeBuffered(kMeasureSlot);
    return currentEvent_;
}

bool PlayRec::FetchMeasure() {
    const TrackEvent ev = NextMeasureEvent();
    tree_.Advance(kMeasureSlot, ev.Step(), 0);
    currentEvent_ = ev;
    if (!ev.IsMeasure()) return TranslateEvent(kMeasureSlot);

    ++measureCounter_;
    currentMeasure_ = ev;
    if (settings_.wholeSong && measureCounter_ > 0) {
        if (measureCounter_ > positions_.lastMeasure) {
            // The song ends at the start of the measure after its last one.
            tree_.SetLeaf(kSongEndLeaf, clock_.currentTick, 0, kSongEndLeaf);
            return false;
        }
        const MappedMeasure mapped = MapMeasure(measureCounter_, song_);
        if (mapped.valid && mapped.measure != mappedMeasure_ + 1) JumpToMeasure(mapped.measure);
        mappedMeasure_ = mapped.valid ? mapped.measure : mappedMeasure_ + 1;
    }
    return TranslateEvent(kMeasureSlot);
}

void PlayRec::JumpToMeasure(int measure) {
    const int target = MeasureToTick(song_, measure);
    noteOffs_->Shift(target - clock_.currentTick);
    SkipTo(target);
    // The tick side of the clock restarts at the target; time runs on without a gap.
    clock_.currentTick = target;
    clock_.rawTempo = TempoAt(song_, target);
    clock_.ApplyTempo();
    // The measure event at the target is counted again when it is fetched.
    --measureCounter_;
}

bool PlayRec::FetchSongEnd() {
    noteOffs_->ForEach([this](const NoteOffQueue::Entry& entry) { SendNoteOff(entry); });
    noteOffs_->Clear();
    stop_ = 1;
    return Output(kSongEndMessage, OutputCode::kSongEnd);
}

void PlayRec::RepositionChangedParts() {
    const std::uint16_t changes = song_.CounterValue(Counter::kTotal);
    if (changes == songChanges_) return;
    songChanges_ = changes;
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        const TrackCursor* cursor = cursors_[slot].get();
        if (cursor == nullptr || cursor->track == nullptr) continue;
        const std::uint16_t written = cursor->track->changeCounters[TrackCounter::kEventsWritten];
        if (written == eventsWritten_[slot]) continue;
        eventsWritten_[slot] = written;
        Reposition(slot, clock_.currentTick);
    }
}

void PlayRec::Reposition(int slot, int tick) {
    TrackCursor& cursor = *cursors_[slot];
    const bool wasFinished = tree_.Leaf(slot).slot < 0;
    Seek(cursor, tick, 0);
    int at = cursor.positionTick;
    TrackEvent first;
    if (Read(cursor, &first, 1, false) == 1 && at < tick && !first.IsEnd()) {
        // The event sounding across the tick has already played: skip it.
        Read(cursor, &first, 1, true);
        at += first.Step();
    }
    if (!ReadAhead(slot)) buffered_[slot] = MakeEvent(EventKind::kEnd);
    tree_.SetLeaf(slot, at, 0, slot);
    tree_.Advance(slot, 0, buffered_[slot].Offset());
    if (wasFinished) ++activeTracks_;
}
