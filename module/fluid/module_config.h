// The module's configuration file "QNStaff.conf" beside QNStaff.so: lines of
// "key = value"; "#" starts a comment line; keys are matched without regard
// to case, and the first line of a key counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Output gain when the configuration names none. On 46 real General MIDI
// songs (bench/module/default_level.sh) 0.32 gives a median of -22.2 LUFS
// on FluidR3_GM and -23.5 on TimGM6mb, the loudest song peaking at -0.1
// dBFS, with no clipped sample; 0.3 keeps half a decibel more for denser
// songs. The converter raises a song written as rendered by 2.9 dB under
// its limiter; a set level is --loudness's work.
inline constexpr double kDefaultOutputGain = 0.3;

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

// Whether `configText` asks for a synthesizer per MIDI channel
// ("synthesizers = per-channel"), which renders whose parts must add up to
// the whole ask for; otherwise every channel plays on one synthesizer.
bool SynthesizerPerChannelFromConfig(const std::string& configText);
