// Message boxes of interactive mode: a modal GtkMessageDialog with an OK
// button, titled with the program's name.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <string_view>

#include "platform/user_report.h"

// Shows `text` over `parent` (may be null) and returns when OK is pressed.
void ShowMessageDialog(GtkWindow* parent, std::string_view text);

// Asks `question` with Yes and No over `parent`; true for Yes.
bool AskYesNo(GtkWindow* parent, const std::string& question);

// Every report becomes a message box over `parent` (borrowed; may be null).
class MessageBoxReport final : public UserReport {
public:
    explicit MessageBoxReport(GtkWindow* parent) : parent_(parent) {}
    void Report(std::string_view text) override { ShowMessageDialog(parent_, text); }

private:
    GtkWindow* parent_;
};
