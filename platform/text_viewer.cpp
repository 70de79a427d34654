// The log viewer: xdg-open started in the background, or the file printed.
#include "platform/text_viewer.h"

#include <spawn.h>

#include <fstream>
#include <iostream>

#include "platform/display.h"

extern char** environ;

namespace {

bool StartViewer(const std::string& path) {
    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    // Not waited for: the viewer outlives this program.
    return posix_spawnp(&child, program, nullptr, nullptr, argv, environ) == 0;
}

bool PrintFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        std::cout.write(buffer, in.gcount());
    }
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

}  // namespace

bool OpenTextViewer(const std::string& path) {
    if (HasDisplay() && StartViewer(path)) return true;
    return PrintFile(path);
}
