// Playing the loaded song: a worker process renders it (as conversions are
// rendered, so that a module that crashes or hangs ends the playback, not
// the program), a thread of the program reads its blocks into a short
// queue, and the audio output plays from that queue. Switches, tempo, key and
// moves go to the worker at once and are heard within about 100 ms: the
// output's buffer, the queue and the pipe each hold a few blocks.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "app/player/frame_queue.h"
#include "model/song_options.h"
#include "platform/audio_sink.h"
#include "platform/child_process.h"

class SongContainer;

// A worker that sends nothing for this long while the output waits is ended.
constexpr std::chrono::seconds kPlaybackStallTimeout{5};
// The same before the first block: the worker's start and the module's.
constexpr std::chrono::seconds kPlaybackStartTimeout{30};
// Blocks the queue holds: 2 x 500 frames, 23 ms.
constexpr std::size_t kQueuedBlocks = 2;

struct PlayerStatus {
    PlaybackPosition position;  // what is heard now
    bool paused = false;
    bool over = false;    // the song has been played to its end, or playback failed
    std::string failure;  // why playback failed; empty when it did not
    std::int64_t framesPlayed = 0;  // frames the output has taken, silence included
};

class Player {
public:
    explicit Player(AudioSink& sink, std::chrono::milliseconds stallTimeout = kPlaybackStallTimeout,
                    std::chrono::milliseconds startTimeout = kPlaybackStartTimeout);
    // Stops the playback.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Opens the output and starts the worker on `loaded` with `options`
    // (the worker has its own copy of both; `render` is the program's render
    // song, which the worker fills). False when the output cannot be opened
    // (Status().failure says why); a song that cannot be played is told
    // by Status() once the worker says so.
    bool Start(SongContainer& loaded, SongContainer& render, const SongOptions& options);
    // Mutes, parts and turned-down channels as `options` has them.
    void SetChannels(const SongOptions& options);
    // The tempo percentage (1-999).
    void SetTempo(int percent);
    // The key in semitones from the song's own, for the notes that start from now on.
    void SetKey(int semitones);
    // Moves to the start of `measure` (kept inside the section; 0 or less:
    // the section's first measure).
    void Seek(int measure);
    void Pause(bool paused);
    // Stops the output and the worker.
    void Stop();
    PlayerStatus Status() const;

private:
    void Send(const std::string& record);
    // The reading thread: blocks into the queue until the worker ends.
    void Read();
    void Fail(const std::string& why);

    AudioSink& sink_;
    std::chrono::milliseconds stallTimeout_;
    std::chrono::milliseconds startTimeout_;
    FrameQueue queue_{kQueuedBlocks};
    ChildProcess worker_;
    std::thread reader_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint32_t> move_{0};
    mutable std::mutex mutex_;  // guards what follows
    std::string failure_;
    bool workerEnded_ = false;
};
