// Checking the reverb and chorus choices and handing the choice to the module.
#include "app/startup/sound_choice.h"

#include <charconv>

#include "platform/environment.h"

namespace {

bool IsLevel(std::string_view text) {
    double level = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, level);
    // The comparison is false for a value that is not a number.
    return error == std::errc() && stop == end && level >= 0.0 && level <= 1.0;
}

}  // namespace

bool IsReverbChoice(std::string_view text) {
    return text == "off" || text == "room" || text == "hall" || IsLevel(text);
}

bool IsChorusChoice(std::string_view text) { return text == "off" || text == "on" || IsLevel(text); }

std::string ModuleSettingsText(const SoundChoice& choice, bool stems) {
    std::string text;
    if (!choice.soundFont.empty()) text += "soundfont = " + choice.soundFont + "\n";
    text += "reverb = " + choice.reverb + "\nchorus = " + choice.chorus + "\n";
    if (stems) text += "synthesizers = per-channel\n";
    return text;
}

void UseSoundChoice(const SoundChoice& choice, bool stems) {
    SetEnvironmentVariable(kModuleSettingsVariable, ModuleSettingsText(choice, stems));
}
