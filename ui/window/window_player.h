// Playing the loaded song from the window: the PLAY/STOP switch starts and
// stops it, the choices made while it plays (mutes, parts, turned-down
// channels, tempo, key) go to it at once, and a timer follows where it is
// and notices its end.
#pragma once

#include <memory>
#include <string>

#include "app/player/player.h"
#include "ui/window/window_canvas.h"

class MainWindowHost;

// The timer that follows playback, and how often it ticks.
inline constexpr int kPlaybackTimer = 102;
inline constexpr int kPlaybackPollMs = 20;
// Where the bar playing is shown: under the tempo's "%" and arrows.
inline constexpr PixelRect kPlayingBarRect{342, 102, 64, 14};
inline constexpr TextColour kPlayingBarColour{238, 170, 60};

// "Bar 12", or "Count-in 2" during the count-in.
std::string PlayingBarText(const PlaybackPosition& position);

class WindowPlayer {
public:
    // `host` (borrowed) makes the audio output of each playback.
    explicit WindowPlayer(MainWindowHost& host) : host_(host) {}
    ~WindowPlayer() { Stop(); }
    WindowPlayer(const WindowPlayer&) = delete;
    WindowPlayer& operator=(const WindowPlayer&) = delete;

    // Starts playing `loaded` with `options` (`render` as Player::Start
    // takes it). False when it cannot start; Failure() says why.
    bool Start(SongContainer& loaded, SongContainer& render, const SongOptions& options);
    // Stops the playback and closes the output; nothing when none plays.
    void Stop();
    bool Playing() const { return player_ != nullptr; }
    // Sends the choices of `options` that changed since they were last sent.
    void Follow(const SongOptions& options);
    // The timer's tick: follows `options` and reads where playback is.
    // False once playback is over (the song's end, or a failure).
    bool Poll(const SongOptions& options);
    // Where playback is, as the last Poll found it.
    const PlaybackPosition& Position() const { return position_; }
    // Why the last playback could not start or stopped; empty when it did not fail.
    const std::string& Failure() const { return failure_; }
    // The output of the playback, while one plays (tests look at it).
    AudioSink* Output() const { return output_.get(); }

private:
    MainWindowHost& host_;
    // The output outlives the player that pulls from it.
    std::unique_ptr<AudioSink> output_;
    std::unique_ptr<Player> player_;
    SongOptions sent_;
    PlaybackPosition position_;
    std::string failure_;
};
