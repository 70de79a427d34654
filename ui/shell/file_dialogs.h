// The open dialog of LOAD and the save dialog of CONVERT.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

// Asks for a MIDI file in `folder`; the chosen path, or nothing on cancel.
std::optional<std::string> RunOpenMidiDialog(GtkWindow* parent, const std::string& folder);

// Asks for the audio file to write, starting in `folder` with `songName`,
// offering each format as a file type, WAV first. The final name follows
// SavedAudioPath, and its extension says the format; a file of that name
// that exists is replaced only when the user agrees. Nothing on cancel.
std::optional<std::string> RunSaveAudioDialog(GtkWindow* parent, const std::string& folder, const std::string& songName);
