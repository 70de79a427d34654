// The reverb and chorus the module plays with, from the "reverb = ..." and
// "chorus = ..." configuration lines. Every value is set explicitly, so that
// the same choice sounds the same whatever defaults the installed FluidSynth
// has.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ReverbSettings {
    bool active = true;
    double roomSize = 0.5;
    double damp = 0.3;
    double width = 0.8;
    double level = 0.7;
};

struct ChorusSettings {
    bool active = true;
    int voices = 3;
    double level = 0.6;
    double speedHz = 0.2;
    double depthMs = 4.25;
};

// "off", "room" (the defaults above), "hall" (a larger, brighter space) or a
// level from 0 to 1 in the room; nothing for anything else.
std::optional<ReverbSettings> ReverbNamed(std::string_view text);
// "off", "on" (the defaults above) or a level from 0 to 1; nothing otherwise.
std::optional<ChorusSettings> ChorusNamed(std::string_view text);

struct EffectSettings {
    ReverbSettings reverb;
    ChorusSettings chorus;
};

// The effects `configText` asks for; the defaults where it names none. A
// value that is not understood keeps the default, and `problem` says so,
// naming `configPath`.
EffectSettings EffectsFromConfig(const std::string& configText, const std::string& configPath, std::string& problem);
