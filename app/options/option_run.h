// The program run on its option command line (the first argument begins
// with "--"): usage, version, channel listing or conversion.
#pragma once

// Runs the program on `argv` as main receives it. Returns the exit status:
// 0 every input converted or listed, 1 an input failed, 2 a usage error.
int RunOptionCommandLine(int argc, const char* const* argv);
