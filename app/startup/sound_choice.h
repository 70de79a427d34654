// The sound a conversion is made with: the SoundFont, the reverb and the
// chorus. The choice reaches the synthesizer module as configuration lines
// in the environment variable QNSTAFF_SETTINGS, which the module reads
// before its own QNStaff.conf; the module's seven entry points stay as they
// are.
#pragma once

#include <string>
#include <string_view>

// The environment variable the module reads its loading program's settings from.
inline constexpr char kModuleSettingsVariable[] = "QNSTAFF_SETTINGS";

inline constexpr char kDefaultReverb[] = "room";
inline constexpr char kDefaultChorus[] = "on";

struct SoundChoice {
    std::string soundFont;  // a SoundFont file; empty: the module's own choice
    std::string reverb = kDefaultReverb;
    std::string chorus = kDefaultChorus;
    bool operator==(const SoundChoice&) const = default;
};

// "off", "room", "hall" or a level from 0 to 1 ("0.35").
bool IsReverbChoice(std::string_view text);
// "off", "on" or a level from 0 to 1.
bool IsChorusChoice(std::string_view text);

// The configuration lines that give the module `choice`. With `stems`, the
// module plays each MIDI channel on a synthesizer of its own, so that the
// stems of a song add up to its mix (at a higher processor cost).
std::string ModuleSettingsText(const SoundChoice& choice, bool stems = false);
// Makes every module this process loads from now on play with `choice`.
void UseSoundChoice(const SoundChoice& choice, bool stems = false);
