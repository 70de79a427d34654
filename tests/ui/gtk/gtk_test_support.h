// Start-up of GTK for widget tests: every test skips, saying why, when there
// is no display.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

// Initialises GTK once; false when no display could be opened.
inline bool GtkAvailable()
{
    static const bool available = gtk_init_check(nullptr, nullptr);
    return available;
}

#define SKIP_WITHOUT_DISPLAY()                                                                   \
    if (!GtkAvailable()) {                                                                       \
        GTEST_SKIP() << "no X display: run under xvfb-run (tests/ui/gtk/run_with_display.sh)"; \
    }

// Handles every pending GTK event.
inline void DrainEvents()
{
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
}
