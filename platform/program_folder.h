// The folder of the running program's own executable file.
#pragma once

#include <string>

// The executable's folder with a trailing "/" (from /proc/self/exe), found
// once and cached; empty when it cannot be determined.
const std::string& ProgramFolder();
