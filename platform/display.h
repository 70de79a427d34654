// What the program can show the user on: a graphical display, a terminal.
#pragma once

// True when a graphical display is named ($DISPLAY or $WAYLAND_DISPLAY).
bool HasDisplay();

// True when standard error is a terminal, so a line may be rewritten in place.
bool StandardErrorIsTerminal();

// Width of the terminal on standard error in columns; 80 when it cannot be told.
int TerminalColumns();
