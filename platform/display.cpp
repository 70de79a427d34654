// Display and terminal checks from the environment and the standard streams.
#include "platform/display.h"

#include <unistd.h>

#include <cstdlib>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] != '\0';
}

}  // namespace

bool HasDisplay() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"); }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }
