// Stand-in for setting the process's environment, which worker processes
// and the libraries they load inherit.
#pragma once

// Sets the environment variable `name` to `value` unless it is set already.
void SetEnvironmentDefault(const char* name, const char* value);
