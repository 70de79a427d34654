// The process environment through POSIX setenv.
#include "platform/environment.h"

#include <cstdlib>

bool SetEnvironmentVariable(const std::string& name, const std::string& value) {
    return ::setenv(name.c_str(), value.c_str(), /*overwrite=*/1) == 0;
}
