// Where the module finds its SoundFont: a file named in "QNStaff.conf"
// beside the module, then the General MIDI SoundFonts Debian installs.
#pragma once

#include <string>
#include <vector>

// The configuration file looked for in the module's folder.
inline constexpr char kModuleConfigFileName[] = "QNStaff.conf";

// Environment variable for tests only: when it is set, its value is the one
// and only SoundFont candidate (a missing file then means no SoundFont).
inline constexpr char kTestSoundFontVariable[] = "QNSTAFF_TEST_SOUNDFONT";

// The SoundFont named by the "soundfont = <path>" line of the configuration
// text (the first such line; "#" starts a comment line; the key is matched
// without regard to case). A relative path is taken from `moduleFolder`.
// Empty when the text names none.
std::string SoundFontFromConfig(const std::string& configText, const std::string& moduleFolder);

// The SoundFont files to try, best first: the one from the configuration file
// in `moduleFolder` (when it names one), then the installed General MIDI
// SoundFonts. Only the test variable's value when that is set. Files are not
// checked for existence here.
std::vector<std::string> SoundFontCandidates(const std::string& moduleFolder);
