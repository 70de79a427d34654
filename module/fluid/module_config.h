// The module's configuration file "QNStaff.conf" beside QNStaff.so: lines of
// "key = value"; "#" starts a comment line; keys are matched without regard
// to case, and the first line of a key counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The configuration file looked for in the module's folder.
inline constexpr char kModuleConfigFileName[] = "QNStaff.conf";

// Path of the configuration file in `moduleFolder`.
std::string ModuleConfigPath(const std::string& moduleFolder);

// The text of the configuration file at `path`; empty when there is none.
std::string ReadModuleConfig(const std::string& path);

// The trimmed value of the first line of `configText` whose key is `key`;
// nothing when no line has that key.
std::optional<std::string> ConfigValue(const std::string& configText, std::string_view key);
