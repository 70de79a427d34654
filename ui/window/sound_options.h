// What the sound settings offer: the SoundFonts to choose from (the
// module's own, the installed ones, a file chosen before) and the reverb
// and chorus choices, each with the text the dialog shows.
#pragma once

#include <string>
#include <vector>

#include "app/startup/soundfont_catalog.h"

struct SoundOption {
    std::string label;  // as the dialog shows it
    std::string value;  // as the settings keep it: a path, or a reverb or chorus choice
};

// The module's own SoundFont first (value ""), then each installed one as
// "name (size)", then `current` when it is a file none of them is.
std::vector<SoundOption> SoundFontOptions(const std::vector<InstalledSoundFont>& installed, const std::string& current);
// Off, room, hall, and `current` when it is a level such as "0.35".
std::vector<SoundOption> ReverbOptions(const std::string& current);
// Off, on, and `current` when it is a level.
std::vector<SoundOption> ChorusOptions(const std::string& current);
