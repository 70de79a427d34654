// The Practice dialog on GTK: the section and its loop, tempo, key,
// count-in, click, levels of parts, loudness and stems of the song, as the
// option command line sets them.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "ui/window/practice_settings.h"

struct SongOptions;

// Runs the dialog over `parent` with `current` for the opened song `song`
// of `lastMeasure` measures; the confirmed choices, or nothing on Cancel.
// A wrong value keeps the dialog open with a message that names it.
std::optional<PracticeSettings> RunPracticeDialog(GtkWindow* parent, const PracticeSettings& current,
                                                  const SongOptions& song, int lastMeasure);
