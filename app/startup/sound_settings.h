// The sound the window converts with, kept in the settings file
// "Ombrix.ini" (section "Sound": SoundFont, Reverb, Chorus), so that the
// window plays with the same SoundFont, reverb and chorus from run to run.
#pragma once

#include <string>

#include "app/startup/sound_choice.h"

// The choice stored in the settings file at `path`; a missing file or key
// gives the default, as does a reverb or chorus value that is not a choice
// the option command line takes.
SoundChoice ReadSoundSettings(const std::string& path);
// Stores `choice` in the settings file at `path`; false when it cannot be written.
bool WriteSoundSettings(const SoundChoice& choice, const std::string& path);
