// The sound settings on GTK: the SoundFont (the module's own, an installed
// one or any file), the reverb and the chorus.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "app/startup/sound_choice.h"

// Runs the dialog over `parent` showing `current`; the confirmed choice, or
// nothing on Cancel. A SoundFont that cannot be used keeps the dialog open
// with a message that names the file.
std::optional<SoundChoice> RunSoundDialog(GtkWindow* parent, const SoundChoice& current);
