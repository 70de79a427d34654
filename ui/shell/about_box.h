// The About box: the program's icon, name and version, and OK.
#pragma once

#include <gtk/gtk.h>

// The About box's first line.
inline constexpr char kAboutVersionText[] = "Ombrix Converter Version 1.00";

// Shows the About box over `parent` and returns when it is closed.
void RunAboutBox(GtkWindow* parent);
