// The frame the window's choice dialogs share: a modal dialog with Cancel
// and OK, its content a grid of labelled rows.
#pragma once

#include <gtk/gtk.h>

// Space between rows and columns, and around the grid (pixels).
inline constexpr int kDialogSpacing = 6;
inline constexpr int kDialogBorder = 12;

// A modal dialog titled `title` over `parent`, OK as its default; `grid`
// receives the grid its rows go in.
GtkWidget* NewChoiceDialog(GtkWindow* parent, const char* title, GtkWidget*& grid);

// A left-aligned label whose "_" marks its access key.
GtkWidget* ChoiceLabel(const char* text);
