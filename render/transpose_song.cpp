// Transposition of the render song's parts.
#include "render/transpose_song.h"

#include "model/slots.h"

namespace {

// The engine never sounds note number 0, so the range that sounds starts at 1.
constexpr int kLowestSoundingNote = 1;
constexpr int kHighestNote = 127;
constexpr int kHighestRoutedChannel = 15;

}  // namespace

int TransposeParts(SongContainer& render, const SongOptions& options, int semitones) {
    if (semitones == 0) return 0;
    int leftOut = 0;
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = render.partChannel[part];
        const int slot = PartSlot(part);
        if (channel > kHighestRoutedChannel || options.drumChannel[channel] != 0 || render.SlotTrack(slot) == nullptr) {
            continue;
        }
        CursorGuard cursor(render, slot);
        Track& track = *cursor->track;
        for (int i = 0; i < track.count; ++i) {
            TrackEvent& event = EventAt(track, i);
            if (!event.IsNote() || event.Kind() < kLowestSoundingNote) continue;
            const int moved = event.Kind() + semitones;
            if (moved >= kLowestSoundingNote && moved <= kHighestNote) {
                event.SetKind(static_cast<std::uint8_t>(moved));
            } else {
                event = MakeEvent(EventKind::kRest, event.Step());
                ++leftOut;
            }
        }
    }
    return leftOut;
}
