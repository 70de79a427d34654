// Play start and locate: cursors and merge tree set up, clock started, every
// track positioned at the start tick and the song's end armed.
#include "model/measure.h"
#include "model/song_container.h"
#include "sequencer/engine.h"
#include "sequencer/song_timeline.h"

int PlayRec::PreparePlay() {
    settings_.recordTarget = -1;
    settings_.wholeSong = true;
    ResetOutputState();
    const int parts = ResetPlayState();
    clock_.currentTick = 0;
    stop_ = 0;
    measureTrackEnded_ = false;
    return parts;
}

int PlayRec::StartPlay() {
    PreparePlay();
    positions_.rangeStart = 0;
    positions_.endPosition = kUnboundedEnd;
    positions_.startMeasure = 1;
    positions_.lastMeasure = LastMeasure(song_);
    if (positions_.lastMeasure < 1) {
        StopPlay();
        return -1;
    }
    const MappedMeasure first = MapMeasure(positions_.startMeasure, song_);
    mappedMeasure_ = first.measure;
    positions_.startTick = 0;
    positions_.startMs = TimeOfPosition(song_, positions_.startMeasure, positions_.startTick);

    clock_.StartClock(positions_.startMs, positions_.startTick, TempoAt(song_, positions_.startTick));
    Locate();

    Output(currentMeasure_.U8(5) | (static_cast<std::uint32_t>(measureCounter_) << 16), OutputCode::kMeasureStart);
    SendCurrent();
    // The render time is still 0, so nothing is due yet.
    PlayUntil();
    return 0;
}

void PlayRec::Locate() {
    const int startTick = positions_.startTick;
    measureCounter_ = positions_.startMeasure;
    if (MeasureToTick(song_, TickToMeasure(song_, startTick)) == startTick) {
        // The measure event at the start tick is counted again when it is fetched.
        --measureCounter_;
        --mappedMeasure_;
    }
    clock_.currentTick = startTick;
    SkipTo(startTick);
    stop_ = 0;
    tree_.SetLeaf(kSongEndLeaf, positions_.endPosition, 0, kSongEndLeaf);
}

void PlayRec::SkipTo(int target) {
    activeTracks_ = 0;
    for (int slot = 0; slot <= kLastPartSlot; ++slot) {
        TrackCursor* cursor = cursors_[slot].get();
        if (cursor == nullptr) {
            tree_.Finish(slot);
            continue;
        }
        tree_.SetLeaf(slot, 0, 0, slot);
        Seek(*cursor, 0, 0);
        if (!ReadAhead(slot)) {
            tree_.Finish(slot);
            continue;
        }
        tree_.Advance(slot, 0, buffered_[slot].Offset());
        ++activeTracks_;
    }
    if (cursors_[kMeasureSlot] == nullptr) measureTrackEnded_ = true;

    while (tree_.Root().slot >= 0 && tree_.Root().time < target) {
        const int slot = tree_.Root().slot;
        if (slot == kMeasureSlot) {
            const TrackEvent ev = NextMeasureEvent();
            tree_.Advance(kMeasureSlot, ev.Step(), 0);
            if (ev.IsMeasure()) currentMeasure_ = ev;
            if (ev.IsEnd()) {
                measureTrackEnded_ = true;
                --activeTracks_;
            }
            continue;
        }
        TakeBuffered(slot);
        tree_.Advance(slot, currentEvent_.Step(), buffered_[slot].Offset());
        if (currentEvent_.IsEnd()) {
            tree_.Finish(slot);
            --activeTracks_;
        }
    }
}
