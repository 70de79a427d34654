// Message boxes of interactive mode: a modal GtkMessageDialog with an OK
// button, titled with the program's name, in the user's language.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/window/window_messages.h"

// Shows `text` (the program's own messages translated) over `parent` (may
// be null), with `explanation` as secondary text when it is not empty, and
// returns when OK is pressed.
void ShowMessageDialog(GtkWindow* parent, std::string_view text, std::string_view explanation = {});

// Asks `question` with Yes and No over `parent`; true for Yes.
bool AskYesNo(GtkWindow* parent, const std::string& question);

// Every report becomes a message box over `parent` (borrowed; may be null).
// `beforeShow` runs first (the window ends a held button there).
class MessageBoxReport final : public WindowMessages {
public:
    explicit MessageBoxReport(GtkWindow* parent) : parent_(parent) {}
    void Explain(std::string_view text, std::string_view explanation) override;
    void SetBeforeShow(std::function<void()> beforeShow) { beforeShow_ = std::move(beforeShow); }

private:
    GtkWindow* parent_;
    std::function<void()> beforeShow_;
};
