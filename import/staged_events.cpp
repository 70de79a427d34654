// Gathering a track's events over the chunks and writing them in one pass.
#include "import/staged_events.h"

#include <algorithm>

void StagedEvents::Add(const TimedEvent& event) {
    if (!events_.empty() && event.tick < events_.back().tick) sorted_ = false;
    events_.push_back(event);
}

void StagedEvents::Reach(int tick) { reach_ = std::max(reach_, tick); }

void StagedEvents::WriteInto(TrackCursor& cursor) {
    // One stable sort merges the chunks' runs: at one tick the earlier
    // chunk's events come first, as if each had been inserted after them.
    if (!sorted_)
        std::stable_sort(events_.begin(), events_.end(),
                         [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });

    // Each event's step reaches to the next event, up to a measure; the
    // rest of a longer gap is rests of 1920 ticks and a shorter last one.
    std::vector<TrackEvent> out;
    out.reserve(events_.size() + 1);
    auto pad = [&out](int gap) {
        for (; gap > 0; gap -= kMaxRestStep)
            out.push_back(MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(std::min(gap, kMaxRestStep))));
    };
    const int end = std::max(reach_, events_.empty() ? 0 : events_.back().tick);
    pad(events_.empty() ? end : events_.front().tick);
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const int next = i + 1 < events_.size() ? events_[i + 1].tick : end;
        const int step = std::min(next - events_[i].tick, kMaxRestStep);
        TrackEvent event = events_[i].event;
        event.SetStep(static_cast<std::uint16_t>(step));
        out.push_back(event);
        pad(next - events_[i].tick - step);
    }

    // Open room in front of the end marker and fill it.
    Track& track = *cursor.track;
    const int endMarker = track.count > 0 && track.events[track.count - 1].IsEnd() ? track.count - 1 : track.count;
    cursor.position = endMarker;
    InsertSlots(cursor, static_cast<int>(out.size()), false);
    std::copy(out.begin(), out.end(), track.events + endMarker);
    CountTrackChange(track);
    MarkChanged(track, endMarker, track.count, ChangeKind::kEvents);
    Seek(cursor, 0, 0);

    events_.clear();
    events_.shrink_to_fit();
    sorted_ = true;
    reach_ = 0;
}

void StagedEvents::AddTrack(const Track& track) {
    int tick = 0;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (!event.IsRest() && !event.IsEnd()) Add(TimedEvent{tick, event});
        tick += event.Step();
    }
}
