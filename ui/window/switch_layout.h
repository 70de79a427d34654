// Where the main window's 39 switches sit and which images they show.
#pragma once

#include <vector>

// One switch of the main window; images are resource IDs (0: none).
struct SwitchPlacement {
    int id = 0;
    int x = 0;
    int y = 0;
    int offImage = 0;
    int onImage = 0;
    int disabledImage = 0;
};

// The switches in the order the window creates them: LOAD, CONVERT, PLAY, then
// VOLUME DOWN and MUTE of each channel, PRE COUNT, BASS, DRUMS, GUITAR,
// MELODY. Positions are client pixels of the top-left corner.
const std::vector<SwitchPlacement>& MainWindowSwitches();
