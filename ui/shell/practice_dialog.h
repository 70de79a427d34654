// The Practice dialog on GTK: the section, pre-count, click, key, tempo,
// loudness and stems of the song, as the option command line sets them.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "ui/window/practice_settings.h"

// Runs the dialog over `parent` with `current` for a song of `lastMeasure`
// measures; the confirmed choices, or nothing on Cancel.
std::optional<PracticeSettings> RunPracticeDialog(GtkWindow* parent, const PracticeSettings& current, int lastMeasure);
