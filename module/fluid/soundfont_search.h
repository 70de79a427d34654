// Where the module finds its SoundFont: the file the loading program names
// in the settings variable, else the one named in "QNStaff.conf" beside the
// module, else the General MIDI SoundFonts Debian installs.
#pragma once

#include <string>
#include <vector>

// Environment variable for tests only: when it is set, its value is the one
// and only SoundFont candidate, as if the configuration file named it.
inline constexpr char kTestSoundFontVariable[] = "QNSTAFF_TEST_SOUNDFONT";

// The SoundFont named by the "soundfont = <path>" line of the configuration
// text. A relative path is taken from `moduleFolder`. Empty when the text
// names none.
std::string SoundFontFromConfig(const std::string& configText, const std::string& moduleFolder);

// The SoundFont files to try, best first.
struct SoundFontSearch {
    std::vector<std::string> candidates;
    // What named the one candidate (the configuration file, or the test
    // variable); empty when the installed SoundFonts are searched.
    std::string namedBy;
};

// The SoundFonts to try for the module in `moduleFolder`: only the one the
// settings variable or else the configuration file names (a named file that is missing is not replaced by
// another), else the installed General MIDI SoundFonts. Only the test
// variable's value when that is set. Files are not checked here.
SoundFontSearch SoundFontCandidates(const std::string& moduleFolder);

// The English line that says why no SoundFont could be used: `search` as
// made above, `unusable` the candidate that exists but failed to load (empty
// when none existed).
std::string NoSoundFontMessage(const SoundFontSearch& search, const std::string& unusable);
