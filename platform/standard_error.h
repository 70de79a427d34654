// Plain English lines for the user on standard error, beside the program's
// own messages: which file, which cause, what to do.
#pragma once

#include <string_view>

// Writes "ombrix: " + `text` as one line on standard error (control
// characters escaped).
void WriteErrorLine(std::string_view text);
