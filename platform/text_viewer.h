// Stand-in for opening a text file in the desktop's text editor.
#pragma once

#include <string>

// With a display, opens `path` in the desktop's viewer (xdg-open) without
// waiting for it; without one, copies the file to standard output. Returns
// false when neither could be done.
bool OpenTextViewer(const std::string& path);
