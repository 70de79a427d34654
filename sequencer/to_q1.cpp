// ToQ1: merging the tracks, the note-off queue, translating track events
// into output events and routing output events to the module.
#include <algorithm>

#include "model/data_pool.h"
#include "model/exclusive_table.h"
#include "model/measure.h"
#include "model/song_container.h"
#include "platform/movable_block.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"

namespace {

constexpr int kHighestChannel = 15;
constexpr std::uint8_t kBankSelectMsb = 0;
constexpr std::uint8_t kBankSelectLsb = 32;

TrackEvent DefaultMeasureEvent() {
    TrackEvent ev = MakeEvent(EventKind::kMeasure);
    ev.SetU8(4, 0xFF);
    ev.SetU8(5, kDefaultTimeSignature);
    return ev;
}

}  // namespace

ToQ1::ToQ1(SongContainer& song, SynthModule& module)
    : song_(song), module_(module), noteOffs_(std::make_unique<NoteOffQueue>()) {
    currentMeasure_ = DefaultMeasureEvent();
}

void ToQ1::ResetOutputState() {
    caches_.Forget();
    noteOffs_->Clear();
    currentMeasure_ = DefaultMeasureEvent();
}

int ToQ1::SendCurrent() { return EmitEvent(output_.message, output_.code); }

bool ToQ1::NextCandidate(int& tick) const {
    const NoteOffQueue::Entry* off = noteOffs_->Earliest();
    const MergeNode& next = tree_.Root();
    // A pending note-off goes before a track event of the same tick.
    if (off != nullptr && off->time <= next.time) {
        tick = off->time;
        return true;
    }
    tick = next.time;
    return false;
}

int ToQ1::PlayCandidate() {
    int tick = 0;
    if (NextCandidate(tick)) {
        const NoteOffQueue::Entry entry = *noteOffs_->Earliest();
        noteOffs_->RemoveEarliest();
        SendNoteOff(entry);
        return 0;
    }
    return FetchNext() ? SendCurrent() : 0;
}

int ToQ1::ExamineNextCandidate() {
    int tick = 0;
    NextCandidate(tick);
    clock_.currentTick = tick;
    clock_.currentMs = clock_.TickToMs(tick);
    return clock_.currentMs;
}

int ToQ1::PlayUntil() {
    while (stop_ == 0) {
        ExamineNextCandidate();
        PlayCandidate();
    }
    return stop_;
}

void ToQ1::SendNoteOff(const NoteOffQueue::Entry& entry) {
    if (entry.note != 0) EmitEvent(ShortMessage(kNoteOnStatus, entry.note, 0), entry.port);
}

int ToQ1::ResetPlayState() {
    tree_.FinishAll();
    for (int slot = 0; slot <= kLastPartSlot; ++slot) tree_.SetLeaf(slot, 0, 0, slot);
    CloseAllCursors();

    songChanges_ = song_.CounterValue(Counter::kTotal);
    OpenPlayCursor(kMeasureSlot);
    OpenPlayCursor(kTempoSlot);
    OpenPlayCursor(kSpareSlot);
    int parts = 0;
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        // A track holding only its end marker plays nothing and gets no cursor.
        const Track* track = song_.SlotTrack(slot);
        if (track == nullptr || track->count <= 1) continue;
        OpenPlayCursor(slot);
        ++parts;
    }
    return parts;
}

void ToQ1::OpenPlayCursor(int slot) {
    cursors_[slot] = song_.NewCursor(slot);
    const Track* track = cursors_[slot]->track;
    eventsWritten_[slot] = track != nullptr ? track->changeCounters[TrackCounter::kEventsWritten] : 0;
}

void ToQ1::CloseAllCursors() {
    for (OwnedCursor& cursor : cursors_) cursor.reset();
}

void ToQ1::StopPlay() {
    CloseAllCursors();
    stop_ = 1;
}

bool ToQ1::ReadAhead(int slot) {
    TrackCursor* cursor = cursors_[slot].get();
    return cursor != nullptr && Read(*cursor, &buffered_[slot], 1, true) == 1;
}

void ToQ1::TakeBuffered(int slot) {
    currentEvent_ = buffered_[slot];
    if (!ReadAhead(slot)) buffered_[slot] = MakeEvent(EventKind::kEnd);
}

bool ToQ1::FetchOrdinary(int slot) {
    if (slot < 0) {
        // Every track has finished.
        stop_ = 1;
        return false;
    }
    TakeBuffered(slot);
    tree_.Advance(slot, currentEvent_.Step(), buffered_[slot].Offset());
    return TranslateEvent(slot);
}

bool ToQ1::FetchNext() { return FetchOrdinary(tree_.Root().slot); }

bool ToQ1::Output(std::uint32_t message, int code, std::uint16_t extra) {
    output_ = OutputEvent{message, static_cast<std::int16_t>(code), extra};
    return true;
}

bool ToQ1::TranslateEvent(int slot) {
    const TrackEvent& ev = currentEvent_;
    const std::uint8_t kind = ev.Kind();
    const std::uint8_t data1 = ev.U8(4);
    const std::uint8_t data2 = ev.U8(5);
    switch (kind) {
        case EventKind::kPolyPressure:
        case EventKind::kPitchBend:
            return Output(ShortMessage(kind, data1, data2), slot);
        case EventKind::kControl:
            if (data1 == kBankSelectMsb || data1 == kBankSelectLsb) {
                std::int32_t& bank = data1 == kBankSelectMsb ? caches_.bankMsb[slot] : caches_.bankLsb[slot];
                if (bank == data2) return false;
                bank = data2;
            }
            return Output(ShortMessage(kind, data1, data2), slot);
        case EventKind::kProgram: {
            const bool repeated = caches_.program[slot] == data1 &&
                                  caches_.programBankMsb[slot] == caches_.bankMsb[slot] &&
                                  caches_.programBankLsb[slot] == caches_.bankLsb[slot];
            caches_.program[slot] = data1;
            caches_.programBankMsb[slot] = caches_.bankMsb[slot];
            caches_.programBankLsb[slot] = caches_.bankLsb[slot];
            return repeated ? false : Output(ShortMessage(kind, data1), slot);
        }
        case EventKind::kChannelPressure:
            return Output(ShortMessage(kind, data1), slot);
        case EventKind::kExclusive:
            // An exclusive message may reset the module: nothing cached is known any more.
            caches_.Forget();
            return Output(kind | (static_cast<std::uint32_t>(ev.U16(4)) << 16), slot);
        case EventKind::kPayloadFE:
            caches_.Forget();
            return Output(kind | (static_cast<std::uint32_t>(ev.U16(4)) << 16), slot, ev.U16(6));
        case EventKind::kSongPosition:
            return Output(ev.U32(4), OutputCode::kSongPosition);
        case EventKind::kTempo:
            return Output(ev.U32(4), OutputCode::kTempoChange);
        case EventKind::kMeasure:
            return Output(ev.U8(5) | (static_cast<std::uint32_t>(measureCounter_) << 16), OutputCode::kMeasureStart);
        case EventKind::kEnd:
            --activeTracks_;
            if (slot == kMeasureSlot) {
                measureTrackEnded_ = true;
            } else {
                tree_.Finish(slot);
            }
            return false;
        default:
            return false;
    }
}

std::uint8_t ToQ1::ChannelOfPart(int code) const {
    const int part = code - kFirstPartSlot;
    return module_.channelTable != nullptr ? module_.channelTable[part] : song_.partChannel[part];
}

int ToQ1::EmitEvent(std::uint32_t message, int code) {
    const std::uint8_t status = static_cast<std::uint8_t>(message);
    const int index = static_cast<int>(message >> 16);
    if (code == OutputCode::kTempoChange) {
        clock_.rawTempo = static_cast<std::int32_t>(message);
        clock_.ApplyTempo();
        return 0;
    }
    if (code >= 0 && code < kSlotCount && status == EventKind::kExclusive) {
        if (!song_.exclusiveTable) return 0;
        MovableBlock block;
        const int length = ExclusiveCopyWithChecksum(*song_.exclusiveTable, index, block);
        if (length <= 0) return 0;
        BlockLock lock(block);
        return module_.SendLong(lock.Data(), length);
    }
    if (code >= 0 && code < kSlotCount && status == EventKind::kPayloadFE) {
        const DataPool* pool = song_.PoolForKind(EventKind::kPayloadFE);
        if (pool == nullptr) return 0;
        MovableBlock block(static_cast<std::size_t>(PayloadRecordMax(EventKind::kPayloadFE)));
        int length = 0;
        BlockLock lock(block);
        if (!PoolRead(*pool, index, static_cast<int>(block.Size()), lock.Data(), &length) || length <= 0) return 0;
        return module_.SendLong(lock.Data(), std::min<int>(length, static_cast<int>(block.Size())));
    }
    if (code >= kFirstPartSlot && code <= kLastPartSlot) {
        // Parts routed to a channel above 15 (another port) make no sound.
        const std::uint8_t channel = ChannelOfPart(code);
        if (channel <= kHighestChannel) module_.SendShort(message + channel, code - kFirstPartSlot);
        return 0;
    }
    if (code == OutputCode::kSongEnd) module_.endOfSong = 1;
    return 0;
}
