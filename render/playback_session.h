// Playing the loaded song with the user's choices, block by block, as a
// conversion renders it, while the choices change: mutes, parts and
// turned-down channels reach the module with the next block (see
// live_channels.h), the tempo changes from the moment it is asked for, and
// play can move to the start of any measure of the section.
//
// A playback's render song keeps every part (the mutes are applied live),
// plays its tempi through the engine's tempo scale and gives the pre-count
// a part of its own; with the choices it started with, its samples are
// those of a conversion.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "model/bar_map.h"

#include "model/song_options.h"

class SongContainer;
class LiveChannels;

// Where playback is, in the loaded song's terms.
struct PlaybackPosition {
    int measure = 0;  // from 1; 0 during the pre-count
    int beat = 1;     // from 1
    int ms = 0;       // the song's time at the current tempo percentage
    int tempo = 0;    // the tempo playing, hundredths of BPM
    int tempoPercent = 100;
};

// What Start found.
enum class PlaybackStart { kPlaying, kModuleFailed, kSectionMissing, kNothingToPlay };

class PlaybackSession {
public:
    // Borrows the loaded song and the program's render song for its lifetime.
    PlaybackSession(SongContainer& loaded, SongContainer& render);
    // Ends the render.
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    // Binds the module and starts at the first measure of the section
    // `options` chooses, with its pre-count.
    PlaybackStart Start(const SongOptions& options);
    // Renders the next block into `block` (kBlockBytes long); the elapsed ms
    // of this start, or 0 once the song is over (that block is not part of it).
    int Step(std::span<std::uint8_t> block);
    // Mutes, parts and turned-down channels as `options` has them.
    void SetChannels(const SongOptions& options);
    // The tempo percentage (1-999) from now on.
    void SetTempo(int percent);
    // The key, in semitones from the song's own (-12 to 12), for the notes
    // that start from now on.
    void SetTranspose(int semitones);
    // Plays from the start of `measure`, kept inside the section, without a
    // pre-count. False when the module could not go on.
    bool Seek(int measure);
    // The section's first and last measure.
    int FirstMeasure() const { return first_; }
    int LastMeasure() const { return last_; }
    // Where the next block starts (the last one rendered ends there).
    PlaybackPosition Position() const;

private:
    // Prepares the render song from `measure` on and plays it.
    int Play(int measure, bool preCount, bool bind);

    SongContainer& loaded_;
    SongContainer& render_;
    SongOptions options_;
    // The bars the conversion numbers the song by; positions and moves use them.
    std::vector<Bar> bars_;
    std::unique_ptr<LiveChannels> live_;
    int first_ = 1;
    int last_ = 1;
    int preparedTranspose_ = 0;  // the key the render song was prepared in
    int startTick_ = 0;       // the loaded song's tick where this start began
    int preCountFirst_ = 0;   // the render song's tick the pre-count stands in front of
    int preCountGap_ = 0;
    int preCountBeat_ = 0;    // ticks of a pre-count click
};
