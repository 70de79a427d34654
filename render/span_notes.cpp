// A walk over every routed part's notes.
#include "render/span_notes.h"

#include "model/slots.h"
#include "model/song_container.h"

namespace {
constexpr int kHighestRoutedChannel = 15;  // channel entries above this leave a part unrouted
}  // namespace

SpanNotes NotesInSpan(SongContainer& song, int from, int to) {
    SpanNotes notes;
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = song.partChannel[part];
        if (channel > kHighestRoutedChannel || song.SlotTrack(PartSlot(part)) == nullptr) continue;
        CursorGuard cursor(song, PartSlot(part));
        const Track& track = *cursor->track;
        int tick = 0;
        for (int i = 0; i < track.count && !EventAt(track, i).IsEnd() && tick < to; ++i) {
            const TrackEvent& event = EventAt(track, i);
            const bool sounds = event.IsNote() && (tick >= from || tick + event.Gate() > from);
            if (sounds) {
                const int start = tick >= from ? tick - from : 0;
                if (notes.first < 0 || start < notes.first) notes.first = start;
                notes.sounding[channel] = true;
            }
            tick += event.Step();
        }
    }
    return notes;
}
