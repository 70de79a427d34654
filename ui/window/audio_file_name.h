// The file name a save dialog's answer stands for, and the name the dialog
// shows when another file type is chosen. The format written is always the
// one the final name's extension names, so the name is all a conversion
// needs to know.
#pragma once

#include <string>

#include "render/audio_format.h"

// The file to write for `typed` under the dialog's file type `chosen`: a
// name whose extension names a format (".flac", any case) is kept whatever
// type is chosen; a name without extension gets the chosen type's
// extension; a name with another extension ("take.2") is kept under WAV,
// as the dialog always kept it, and gets the extension of any other type,
// so that the file says what it holds.
std::string SavedAudioPath(std::string typed, AudioFormat chosen);

// The name the dialog's entry shows once the type `chosen` is picked: an
// extension that names a format is replaced by the chosen type's; any other
// name stays as the user typed it.
std::string NameForChosenType(const std::string& name, AudioFormat chosen);
