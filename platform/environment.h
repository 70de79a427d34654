// Setting this process's environment, which the libraries it loads read.
#pragma once

#include <string>

// Sets `name` to `value`, replacing an earlier value; false when the
// environment cannot be changed.
bool SetEnvironmentVariable(const std::string& name, const std::string& value);
