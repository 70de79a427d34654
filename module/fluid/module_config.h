// The module's configuration file "QNStaff.conf" beside QNStaff.so: lines of
// "key = value"; "#" starts a comment line; keys are matched without regard
// to case, and the first line of a key counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Output gain when the configuration names none. A dense 16-channel General
// MIDI song (bench/module) peaks at 0.75 of full scale with FluidSynth's usual
// 0.2 on FluidR3_GM and 0.44 on TimGM6mb; 0.15 leaves 5 dB of headroom so
// that denser songs rarely clip.
inline constexpr double kDefaultOutputGain = 0.15;

// The configuration file looked for in the module's folder.
inline constexpr char kModuleConfigFileName[] = "QNStaff.conf";

// Environment variable by which the program that loads the module sets
// configuration lines for its own process (its choice of SoundFont, reverb
// and chorus): they are read before the file's, so that their keys win.
inline constexpr char kSettingsVariable[] = "QNSTAFF_SETTINGS";

// The configuration lines of the settings variable; empty when it is not set.
std::string SettingsFromEnvironment();

// Path of the configuration file in `moduleFolder`.
std::string ModuleConfigPath(const std::string& moduleFolder);

// The text of the configuration file at `path`; empty when there is none.
std::string ReadModuleConfig(const std::string& path);

// The trimmed value of the first line of `configText` whose key is `key`;
// nothing when no line has that key.
std::optional<std::string> ConfigValue(const std::string& configText, std::string_view key);

// The output gain set by the "gain = <0.0-1.0>" line of `configText`;
// nothing when there is no such line, or when its value is not a number from
// 0.0 to 1.0 (then `problem` says so, naming the file `configPath`).
std::optional<double> GainFromConfig(const std::string& configText, const std::string& configPath,
                                     std::string& problem);
