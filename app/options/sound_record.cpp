// Describing the run's sound from the files it comes from.
#include "app/options/sound_record.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kModuleConfigFileName[] = "QNStaff.conf";
constexpr char kDefaultGain[] = "default";
// The General MIDI SoundFonts the module looks for when nothing names one, in its order.
constexpr std::array<const char*, 4> kModuleSoundFonts = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

std::string_view Trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The value of the first "key = value" line of the module's configuration
// file for `key`, as the module reads it; empty when there is none.
std::string ConfigValue(const std::string& configText, std::string_view key) {
    std::istringstream lines(configText);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view text = Trim(line);
        if (text.empty() || text.front() == '#') continue;
        const std::size_t equals = text.find('=');
        if (equals != std::string_view::npos && SameIgnoringCase(Trim(text.substr(0, equals)), key)) {
            return std::string(Trim(text.substr(equals + 1)));
        }
    }
    return {};
}

std::string ModuleConfigText(const std::string& modulePath) {
    std::ifstream in(fs::path(modulePath).parent_path() / kModuleConfigFileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string StampText(const FileStamp& stamp) {
    if (stamp.path.empty()) return "-";
    if (!stamp.exists) return stamp.path + " missing";
    return stamp.path + " " + std::to_string(stamp.size) + " " + std::to_string(stamp.modifiedNs);
}

}  // namespace

FileStamp StampFile(const std::string& path) {
    FileStamp stamp;
    stamp.path = path;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return stamp;
    const auto modified = fs::last_write_time(path, error);
    if (error) return stamp;
    stamp.exists = true;
    stamp.size = size;
    stamp.modifiedNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
    return stamp;
}

std::string SoundFontInUse(const SoundChoice& choice, const std::string& modulePath) {
    if (!choice.soundFont.empty()) return choice.soundFont;
    if (const std::string configured = ConfigValue(ModuleConfigText(modulePath), "soundfont"); !configured.empty()) {
        const fs::path named(configured);
        return named.is_absolute() ? configured : (fs::path(modulePath).parent_path() / named).string();
    }
    for (const char* path : kModuleSoundFonts) {
        std::error_code error;
        if (fs::is_regular_file(path, error)) return path;
    }
    return {};
}

SoundRecord DescribeSound(const SoundChoice& choice, const std::string& modulePath) {
    SoundRecord sound;
    sound.module = StampFile(modulePath);
    const std::string soundFont = SoundFontInUse(choice, modulePath);
    if (!soundFont.empty()) sound.soundFont = StampFile(soundFont);
    sound.reverb = choice.reverb;
    sound.chorus = choice.chorus;
    const std::string gain = ConfigValue(ModuleConfigText(modulePath), "gain");
    sound.gain = gain.empty() ? kDefaultGain : gain;
    return sound;
}

std::string SoundFingerprint(const SoundRecord& sound) {
    return "sound module=" + StampText(sound.module) + " soundfont=" + StampText(sound.soundFont) +
           " reverb=" + sound.reverb + " chorus=" + sound.chorus + " gain=" + sound.gain;
}
