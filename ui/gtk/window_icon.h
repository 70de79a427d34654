// The program's icon for GTK windows and dialogs.
#pragma once

#include <gtk/gtk.h>

// Sets every size of icon resource `iconId` as the icon list of `window`;
// nothing when the icon is missing.
void SetWindowIconFromResource(GtkWindow* window, int iconId);

// A new pixbuf of the largest image of icon resource `iconId` (the caller
// unrefs it), or null when the icon is missing.
GdkPixbuf* NewIconPixbuf(int iconId);
