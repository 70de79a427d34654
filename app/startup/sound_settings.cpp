// The sound choice in the settings file.
#include "app/startup/sound_settings.h"

#include "platform/ini_file.h"

namespace {

constexpr std::string_view kSection = "Sound";
constexpr std::string_view kSoundFontKey = "SoundFont";
constexpr std::string_view kReverbKey = "Reverb";
constexpr std::string_view kChorusKey = "Chorus";
// A level such as "0.35" or a name: far below this.
constexpr std::size_t kChoiceCapacity = 32;
// The longest path the system takes, with its terminating byte.
constexpr std::size_t kSoundFontCapacity = 4096;

}  // namespace

SoundChoice ReadSoundSettings(const std::string& path) {
    SoundChoice choice;
    choice.soundFont = GetPrivateProfileString(kSection, kSoundFontKey, "", kSoundFontCapacity, path);
    const std::string reverb = GetPrivateProfileString(kSection, kReverbKey, kDefaultReverb, kChoiceCapacity, path);
    if (IsReverbChoice(reverb)) choice.reverb = reverb;
    const std::string chorus = GetPrivateProfileString(kSection, kChorusKey, kDefaultChorus, kChoiceCapacity, path);
    if (IsChorusChoice(chorus)) choice.chorus = chorus;
    return choice;
}

bool WriteSoundSettings(const SoundChoice& choice, const std::string& path) {
    return WritePrivateProfileString(kSection, kSoundFontKey, choice.soundFont, path) &&
           WritePrivateProfileString(kSection, kReverbKey, choice.reverb, path) &&
           WritePrivateProfileString(kSection, kChorusKey, choice.chorus, path);
}
