// Environment variables on POSIX setenv.
#include "platform/environment.h"

#include <stdlib.h>

void SetEnvironmentDefault(const char* name, const char* value) { ::setenv(name, value, /*overwrite=*/0); }
