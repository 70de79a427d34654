// The application object: it owns the program-wide songs and runs start-up,
// which finds the synthesizer module, builds the main window object, reads
// the command line and then converts a folder or runs the window.
#pragma once

#include <memory>
#include <string_view>

#include "model/song_container.h"
#include "model/track_containers.h"

class InteractiveShell;
class SongTimeline;
class ToneLibrary;

class COmbrixApp {
public:
    // Creates the track container and the two songs, and publishes them.
    COmbrixApp();
    // Deletes the timeline, the current song, the second song and the track
    // container, in that order.
    ~COmbrixApp();
    COmbrixApp(const COmbrixApp&) = delete;
    COmbrixApp& operator=(const COmbrixApp&) = delete;

    // Creates the song timeline on the current song and publishes it: the
    // first step of start-up, which every conversion needs.
    void CreateTimeline();

    // Runs the program on `commandLine` (the arguments after the program's
    // name joined by single spaces). Without "-f" the window runs through
    // `shell` (borrowed; null: no window can be shown), opening the command
    // line as a song when it names one. Returns the process's exit status:
    // 0 when a batch converted every file or the window was closed, 1 when
    // anything failed.
    int InitInstance(std::string_view commandLine, InteractiveShell* shell = nullptr);

    // The song that conversions render.
    SongContainer& CurrentSong() { return *currentSong_; }

private:
    std::unique_ptr<SongTimeline> timeline_;
    std::unique_ptr<CCPTrackContainers> trackContainers_;
    std::unique_ptr<SongContainer> currentSong_;
    std::unique_ptr<SongContainer> secondSong_;
};

// The tone library of the program's TONE folder and the user's copies.
std::unique_ptr<ToneLibrary> LoadToneLibrary();

// The application's track container, or null outside its lifetime. Borrowed.
extern CCPTrackContainers* g_pCPTrackContainers;
