// Track containers: slot management, cursor attachment and release, change
// counters, observers, the selection and clearing.
#include "model/track_containers.h"

#include <algorithm>
#include <random>

namespace {

// New tracks and part entries start their counters at one pseudo-random
// value, so that a stale remembered value rarely matches by chance.
std::uint16_t NextCounterSeed() {
    static std::minstd_rand generator(0x4F4D);
    return static_cast<std::uint16_t>(generator());
}

void WidenPair(std::array<std::int16_t, 2>& pair, int value) {
    const auto v = static_cast<std::int16_t>(value);
    if (pair[0] == -1) {
        pair[0] = v;
        pair[1] = v;
    } else {
        pair[0] = std::min(pair[0], v);
        pair[1] = std::max(pair[1], v);
    }
}

void WidenRange16(std::int16_t& low, std::int16_t& high, int first, int last) {
    if (low == -1 && high == -1) {
        low = static_cast<std::int16_t>(first);
        high = static_cast<std::int16_t>(last);
    } else {
        low = std::min<std::int16_t>(low, static_cast<std::int16_t>(first));
        high = std::max<std::int16_t>(high, static_cast<std::int16_t>(last));
    }
}

// Observer pair of a payload change kind, or the events pair.
int PairOfTrackChange(std::uint32_t kind) {
    for (int i = 0; i < 6; ++i) {
        if (kind == (0x400000u << i)) return ObserverPair::kPayload400000 + i;
    }
    return ObserverPair::kEvents;
}

// Observer pair of a part attribute kind (0x1000 .. 0x200000), or -1.
int PairOfPartAttribute(std::uint32_t kind) {
    for (int i = 0; i < 10; ++i) {
        if (kind == (0x1000u << i)) return ObserverPair::kPartKind1000 + i;
    }
    return -1;
}

void ResetObserverRanges(SongObserver& observer) {
    observer.firstIndex.fill(-1);
    observer.lastIndex.fill(-1);
    observer.firstRange16.fill(-1);
    observer.lastRange16.fill(-1);
    for (auto& pair : observer.pairs) pair = {-1, -1};
}

// Removes the selection mark (bit 7 of byte +11) from one event.
bool Unmark(TrackEvent& ev) {
    if (!(ev.U8(11) & kSelectedMark)) return false;
    ev.SetU8(11, ev.U8(11) & kMarksKeptOnDeselect);
    return true;
}

}  // namespace

TrackContainers::TrackContainers(int isSong, int hasPartTable) : isSong_(isSong), hasPartTable_(hasPartTable) {
    if (!isSong) noEndMarkerSlot_ = -1;
    if (hasPartTable) {
        partCounters_ = std::make_unique<std::uint16_t[]>(kPartTableSize * kPartCounterEntries);
        for (int p = 0; p < kPartTableSize; ++p) {
            std::fill_n(&partCounters_[p * kPartCounterEntries], kPartCounterEntries, NextCounterSeed());
        }
    }
    ClearSelectionRecord();
}

TrackContainers::~TrackContainers() {
    markers_.Free();
    // Cursors and observers that outlive the container are left detached, so
    // closing or detaching them later touches nothing that is gone.
    for (auto& slot : slots_) {
        if (!slot) continue;
        for (TrackCursor* cursor = slot->cursors; cursor != nullptr;) {
            TrackCursor* next = cursor->next;
            cursor->track = nullptr;
            cursor->next = nullptr;
            cursor = next;
        }
        slot.reset();
    }
    for (SongObserver* observer = observers_; observer != nullptr;) {
        SongObserver* next = observer->next;
        observer->owner = nullptr;
        observer->next = nullptr;
        observer = next;
    }
}

std::uint16_t* TrackContainers::PartCounters(int part) {
    if (!partCounters_ || part < 0 || part >= kPartTableSize) return nullptr;
    return &partCounters_[part * kPartCounterEntries];
}

void TrackContainers::RaiseCounter(int index) {
    ++counters_[index];
    if (index != Counter::kTotal) ++counters_[Counter::kTotal];
}

DataPool* TrackContainers::PoolForKind(std::uint8_t kind) {
    switch (kind) {
        case EventKind::kLyric: return &Pool(PoolId::kText);
        case EventKind::kPayloadF1: return &Pool(PoolId::kF1);
        case EventKind::kPayloadFE: return &Pool(PoolId::kFE);
        case EventKind::kPayloadEC: return &Pool(PoolId::kEC);
        case EventKind::kPayloadEB: return &Pool(PoolId::kEB);
        case EventKind::kPayloadEA: return &Pool(PoolId::kEA);
        default: return nullptr;
    }
}

int TrackContainers::OpenCursor(TrackCursor& cursor, int slot) {
    if (slot < 0 || slot >= kSlotCount) return 0;
    // A cursor still attached elsewhere is closed first, so no track keeps it
    // in its list after it moves on.
    if (cursor.track != nullptr) CloseCursor(cursor);
    CSingleLock guard(lock_);
    const auto savedCounters = counters_;

    bool created = false;
    if (!slots_[slot]) {
        auto track = std::make_unique<Track>();
        track->owner = this;
        track->slot = slot;
        track->changeCounters.fill(NextCounterSeed());
        if (IsPartSlot(slot)) track->partCounters = PartCounters(slot - kFirstPartSlot);
        slots_[slot] = std::move(track);
        created = true;
    }
    Track& track = *slots_[slot];

    cursor = TrackCursor{};
    cursor.track = &track;
    TrackCursor** tail = &track.cursors;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = &cursor;
    if (track.events == nullptr) {
        track.storage.resize(track.capacity);
        track.events = track.storage.data();
    }

    if (created && isSong_ && slot != noEndMarkerSlot_) {
        // A new song track gets its end marker without any counter or
        // observer noticing.
        const auto trackCounters = track.changeCounters;
        std::array<std::uint16_t, kPartCounterEntries> partCounters{};
        if (track.partCounters) std::copy_n(track.partCounters, kPartCounterEntries, partCounters.begin());
        const int modified = track.modified;
        EnsureEndMarker(cursor);
        cursor.position = 0;
        track.changeCounters = trackCounters;
        if (track.partCounters) std::copy_n(partCounters.begin(), kPartCounterEntries, track.partCounters);
        track.modified = modified;
    }
    counters_ = savedCounters;
    return 1;
}

OwnedCursor TrackContainers::NewCursor(int slot) {
    OwnedCursor cursor(new TrackCursor{});
    OpenCursor(*cursor, slot);
    return cursor;
}

void CloseCursor(TrackCursor& cursor) {
    if (cursor.released || cursor.track == nullptr) {
        cursor.track = nullptr;
        cursor.released = 0;
        return;
    }
    Track* track = cursor.track;
    TrackContainers* owner = track->owner;
    auto unlinkAndMaybeFree = [&] {
        const bool strict = track->slot == -1 || (owner != nullptr && track->slot == owner->noEndMarkerSlot_);
        const bool empty = track->count == 0 || (!strict && track->count == 1 && track->events[0].IsEnd());
        for (TrackCursor** link = &track->cursors; *link != nullptr; link = &(*link)->next) {
            if (*link == &cursor) {
                *link = cursor.next;
                break;
            }
        }
        cursor.next = nullptr;
        if (owner != nullptr && empty && track->slot != -1 && track->cursors == nullptr &&
            (track->slot == kUncountedSlot || track->modified == 0)) {
            owner->slots_[track->slot].reset();
        }
    };
    if (owner != nullptr) {
        CSingleLock guard(owner->lock_);
        unlinkAndMaybeFree();
    } else {
        unlinkAndMaybeFree();
    }
    cursor.track = nullptr;
    cursor.released = 0;
}

void TrackContainers::Clear() {
    for (auto& pool : pools_) PoolReset(pool);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!slots_[slot]) continue;
        TrackCursor cursor;
        OpenCursor(cursor, slot);
        Track& track = *cursor.track;
        ClearTrack(track);
        cursor.position = 0;
        cursor.targetTick = 0;
        cursor.positionTick = 0;
        const int shrunk = track.growStep * (track.count / track.growStep + 1);
        track.storage.resize(shrunk);
        track.storage.shrink_to_fit();
        track.events = track.storage.data();
        track.capacity = shrunk;
        track.modified = 0;
        CloseCursor(cursor);
    }
    ClearSelection();
    FreeMarkers();
    RaiseCounter(Counter::kAllTracks);
}

void TrackContainers::Prune() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!slots_[slot]) continue;
        slots_[slot]->modified = 0;
        if (slots_[slot]->count <= 1) {
            TrackCursor cursor;
            OpenCursor(cursor, slot);
            CloseCursor(cursor);
        }
    }
    modifiedFlag = 0;
}

void TrackContainers::AttachObserver(SongObserver& observer) {
    observer.owner = this;
    ResetObserverRanges(observer);
    observer.next = nullptr;
    SongObserver** tail = &observers_;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = &observer;
}

void TrackContainers::DetachObserver(SongObserver& observer) {
    if (observer.owner == nullptr) return;
    for (SongObserver** link = &observer.owner->observers_; *link != nullptr; link = &(*link)->next) {
        if (*link == &observer) {
            *link = observer.next;
            break;
        }
    }
    observer.next = nullptr;
    observer.owner = nullptr;
}

void TrackContainers::NotifyTrackChange(int slot, int first, int last, std::uint32_t kind) {
    if (first == -1 || slot < 0 || slot >= kSlotCount) return;
    if (last == -1) last = first;
    const Track* track = slots_[slot].get();
    const int count = track != nullptr ? track->count : 0;
    for (SongObserver* o = observers_; o != nullptr; o = o->next) {
        int low = first;
        int high = last;
        if (o->firstIndex[slot] != -1 || o->lastIndex[slot] != -1) {
            low = std::min(low, o->firstIndex[slot]);
            high = std::max(high, o->lastIndex[slot]);
        }
        o->firstIndex[slot] = std::min(low, count);
        o->lastIndex[slot] = std::min(high, count);
        WidenPair(o->pairs[PairOfTrackChange(kind)], slot);
    }
}

void TrackContainers::NotifyLayout(int first, int last) {
    Track* measure = slots_[kMeasureSlot].get();
    if (measure == nullptr) return;
    for (TrackCursor* c = measure->cursors; c != nullptr; c = c->next) {
        WidenRange16(c->firstChanged16, c->lastChanged16, first, last);
        c->changeFlags |= ChangeKind::kLayout;
    }
    for (SongObserver* o = observers_; o != nullptr; o = o->next) {
        WidenRange16(o->firstRange16[kMeasureSlot], o->lastRange16[kMeasureSlot], first, last);
        WidenPair(o->pairs[ObserverPair::kClearedOrLayout], kMeasureSlot);
    }
}

void TrackContainers::NotifyPartAttribute(int part, std::uint32_t kind) {
    const int pair = PairOfPartAttribute(kind);
    for (SongObserver* o = observers_; o != nullptr; o = o->next) {
        if (pair >= 0) WidenPair(o->pairs[pair], part);
        WidenPair(o->pairs[ObserverPair::kAnyPartAttribute], part);
    }
}

void TrackContainers::InsertMarker(std::int16_t kind, std::int16_t subKind, std::int32_t value,
                                   const std::string& text) {
    markers_.Insert(kind, subKind, value, text);
    RaiseCounter(Counter::kMarkers);
    NotifyLayout(1, 1);
    MarkModified();
}

void TrackContainers::FreeMarkers() {
    constexpr int kAllMeasures = 999;
    markers_.Free();
    RaiseCounter(Counter::kMarkers);
    NotifyLayout(1, kAllMeasures);
}

void TrackContainers::ClearSelectionRecord() {
    selection_ = Selection{};
}

void TrackContainers::ClearSelection() {
    if (selection_.Exists()) {
        if (selection_.mode == 2) {
            const int slot = selection_.firstSlot;
            if (Track* track = slots_[slot].get()) {
                const int first = std::max(selection_.firstIndex, 0);
                const int last = selection_.lastIndex == -1 ? track->count - 2 : selection_.lastIndex;
                int changedFirst = -1;
                int changedLast = -1;
                for (int i = first; i <= last && i < track->count; ++i) {
                    if (Unmark(track->events[i])) {
                        if (changedFirst == -1) changedFirst = i;
                        changedLast = i;
                    }
                }
                if (changedFirst != -1) MarkChanged(*track, changedFirst, changedLast, ChangeKind::kEvents);
            }
        } else {
            const int from = selection_.fromTick == -1 ? 0 : selection_.fromTick;
            for (int slot = selection_.firstSlot; slot <= selection_.lastSlot && slot < kSlotCount; ++slot) {
                Track* track = slots_[slot].get();
                if (track == nullptr || !selection_.SlotBit(slot)) continue;
                int tick = 0;
                int changedFirst = -1;
                int changedLast = -1;
                for (int i = 0; i < track->count; ++i) {
                    if (selection_.toTick != -1 && tick >= selection_.toTick) break;
                    if (tick >= from && Unmark(track->events[i])) {
                        if (changedFirst == -1) changedFirst = i;
                        changedLast = i;
                    }
                    tick += track->events[i].Step();
                }
                if (changedFirst != -1) MarkChanged(*track, changedFirst, changedLast, ChangeKind::kEvents);
            }
        }
    }
    ClearSelectionRecord();
    RaiseCounter(Counter::kSelection);
}

bool TrackContainers::SelectionIncludes(const Track& track) const {
    return selection_.Exists() && track.slot >= 0 && track.slot < kSlotCount && selection_.SlotBit(track.slot);
}

bool TrackContainers::ExportSelection(SelectionExport& out) const {
    out = SelectionExport{};
    if (!selection_.Exists()) return false;
    out.active = selection_.active;
    out.mode = selection_.mode;
    for (int slot = 0; slot < kSlotCount; ++slot) out.slots[slot] = selection_.SlotBit(slot) ? 1 : 0;
    out.firstSlot = selection_.firstSlot;
    out.lastSlot = selection_.lastSlot;
    out.fromTick = selection_.fromTick;
    out.toTick = selection_.toTick;
    if (selection_.mode == 2) {
        out.firstIndex = selection_.firstIndex;
        out.lastIndex = selection_.lastIndex;
    } else {
        out.extraA = selection_.extraA;
        out.extraB = selection_.extraB;
    }
    if (selection_.SlotBit(kLyricSlot)) {
        for (int bit = 0; bit < 4; ++bit) out.lyricOptions[bit] = (selection_.options >> bit) & 1;
        out.extraA = selection_.extraA;
        out.extraB = selection_.extraB;
    }
    return true;
}

CCPTrackContainers::CCPTrackContainers() : TrackContainers(0, 0) { ResetOwnFields(); }

void CCPTrackContainers::Clear() {
    TrackContainers::Clear();
    ResetOwnFields();
}

void CCPTrackContainers::ResetOwnFields() {
    bytes_.fill(0);
    shorts_.fill(0);
    ints_.fill(0);
    u8_ = 0;
    i16_ = 0;
    minusOnes_ = {-1, -1, -1};
}
