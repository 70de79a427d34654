// Reverb and chorus choices by name or level.

#include "module/fluid/effect_settings.h"

#include <charconv>

#include "module/fluid/module_config.h"

namespace {

constexpr char kReverbKey[] = "reverb";
constexpr char kChorusKey[] = "chorus";

// A level from 0 to 1 written as a decimal number.
std::optional<double> Level(std::string_view text) {
    double level = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, level);
    // The comparison is false for a value that is not a number.
    if (error != std::errc() || stop != end || !(level >= 0.0 && level <= 1.0)) return std::nullopt;
    return level;
}

}  // namespace

std::optional<ReverbSettings> ReverbNamed(std::string_view text) {
    ReverbSettings reverb;
    if (text == "off") {
        reverb.active = false;
    } else if (text == "hall") {
        reverb.roomSize = 0.8;
        reverb.damp = 0.2;
        reverb.width = 1.0;
    } else if (text != "room") {
        const std::optional<double> level = Level(text);
        if (!level) return std::nullopt;
        reverb.level = *level;
    }
    return reverb;
}

std::optional<ChorusSettings> ChorusNamed(std::string_view text) {
    ChorusSettings chorus;
    if (text == "off") {
        chorus.active = false;
    } else if (text != "on") {
        const std::optional<double> level = Level(text);
        if (!level) return std::nullopt;
        chorus.level = *level;
    }
    return chorus;
}

EffectSettings EffectsFromConfig(const std::string& configText, const std::string& configPath, std::string& problem) {
    problem.clear();
    EffectSettings effects;
    if (const std::optional<std::string> value = ConfigValue(configText, kReverbKey)) {
        if (const std::optional<ReverbSettings> reverb = ReverbNamed(*value)) {
            effects.reverb = *reverb;
        } else {
            problem = "\"reverb = " + *value + "\" in " + configPath +
                      " is not off, room, hall or a level from 0 to 1; the room reverb is used";
        }
    }
    if (const std::optional<std::string> value = ConfigValue(configText, kChorusKey)) {
        if (const std::optional<ChorusSettings> chorus = ChorusNamed(*value)) {
            effects.chorus = *chorus;
        } else {
            problem += (problem.empty() ? "" : "; ") + ("\"chorus = " + *value + "\" in " + configPath +
                                                        " is not off, on or a level from 0 to 1; the chorus is on");
        }
    }
    return effects;
}
