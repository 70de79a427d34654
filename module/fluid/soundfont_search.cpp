// SoundFont candidates from the configuration file or the installed fonts.

#include "module/fluid/soundfont_search.h"

#include "module/fluid/module_config.h"

#include <cstdlib>
#include <iterator>
#include <optional>

namespace {

// The installed General MIDI SoundFonts, best first.
constexpr const char* kInstalledSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

constexpr char kSoundFontKey[] = "soundfont";

}  // namespace

std::string SoundFontFromConfig(const std::string& configText, const std::string& moduleFolder) {
    const std::optional<std::string> value = ConfigValue(configText, kSoundFontKey);
    if (!value || value->empty()) return {};
    if (value->front() == '/' || moduleFolder.empty()) return *value;
    return moduleFolder + "/" + *value;
}

SoundFontSearch SoundFontCandidates(const std::string& moduleFolder) {
    if (const char* testSoundFont = std::getenv(kTestSoundFontVariable)) {
        return {{testSoundFont}, kTestSoundFontVariable};
    }
    if (std::string chosen = SoundFontFromConfig(SettingsFromEnvironment(), moduleFolder); !chosen.empty()) {
        return {{std::move(chosen)}, kSettingsVariable};
    }
    const std::string configPath = ModuleConfigPath(moduleFolder);
    if (std::string configured = SoundFontFromConfig(ReadModuleConfig(configPath), moduleFolder);
        !configured.empty()) {
        return {{std::move(configured)}, configPath};
    }
    return {{std::begin(kInstalledSoundFonts), std::end(kInstalledSoundFonts)}, {}};
}

std::string NoSoundFontMessage(const SoundFontSearch& search, const std::string& unusable) {
    if (!search.namedBy.empty()) {
        const std::string& named = search.candidates.front();
        if (!unusable.empty()) {
            return "the SoundFont " + named + " named in " + search.namedBy +
                   " cannot be loaded (not a SoundFont, or unreadable); name another one there";
        }
        return "the SoundFont " + named + " named in " + search.namedBy + " does not exist; name another one there";
    }
    if (!unusable.empty()) {
        return "the SoundFont " + unusable +
               " cannot be loaded (not a SoundFont, or unreadable); reinstall it, or name another one in "
               "QNStaff.conf (soundfont = <path>)";
    }
    std::string tried;
    for (const std::string& path : search.candidates) tried += (tried.empty() ? "" : ", ") + path;
    return "no SoundFont found (tried " + tried +
           "); install one (apt-get install fluid-soundfont-gm) or name one in QNStaff.conf beside the module "
           "(soundfont = <path>)";
}
