// Stand-in for the desktop's message box with an OK button.
#pragma once

#include <string_view>

// Shows `text` to the user and returns when it has been acknowledged. Until
// the window layer exists this writes the text as one line on standard error.
void ShowMessageBox(std::string_view text);
