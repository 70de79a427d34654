// Events the importer gathers for one track over all chunks, written into the
// track in one pass at the end. Chunks restart at tick 0, so a later chunk's
// messages for an earlier chunk's part belong in the middle of that part;
// gathering and writing once keeps the import linear in the events it makes.
#pragma once

#include <cstdint>
#include <vector>

#include "model/track.h"

// An event with its absolute tick.
struct TimedEvent {
    std::int32_t tick = 0;
    TrackEvent event;
};

class StagedEvents {
public:
    // Adds one event after the ones added before; ticks go back when a new
    // chunk starts. Events at one tick keep the order they were added in.
    void Add(const TimedEvent& event);
    // Adds the events of a track that one chunk wrote, leaving out its rests
    // and end marker.
    void AddTrack(const Track& track);
    // The track must reach at least `tick` (the end of a chunk that wrote to it).
    void Reach(int tick);
    bool Empty() const { return events_.empty() && reach_ == 0; }
    std::size_t Size() const { return events_.size(); }

    // Writes the gathered events into the track of `cursor`, which must hold
    // nothing but its end marker, and forgets them. Steps longer than a
    // measure are carried by rests of at most 1920 ticks.
    void WriteInto(TrackCursor& cursor);

private:
    std::vector<TimedEvent> events_;
    bool sorted_ = true;
    int reach_ = 0;
};
