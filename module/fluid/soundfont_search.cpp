// SoundFont candidates from the configuration file and the installed fonts.

#include "module/fluid/soundfont_search.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

// The installed General MIDI SoundFonts, best first.
constexpr const char* kInstalledSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

// A configuration file is small; anything past this is not read.
constexpr std::size_t kMaxConfigBytes = 64 * 1024;

constexpr std::string_view kSoundFontKey = "soundfont";

std::string_view Trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ReadConfigFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxConfigBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

std::string SoundFontFromConfig(const std::string& configText, const std::string& moduleFolder) {
    std::istringstream lines(configText);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view text = Trim(line);
        if (text.empty() || text.front() == '#') continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || !EqualsIgnoringCase(Trim(text.substr(0, equals)), kSoundFontKey)) {
            continue;
        }
        const std::string_view value = Trim(text.substr(equals + 1));
        if (value.empty()) return {};
        if (value.front() == '/' || moduleFolder.empty()) return std::string(value);
        return moduleFolder + "/" + std::string(value);
    }
    return {};
}

std::vector<std::string> SoundFontCandidates(const std::string& moduleFolder) {
    if (const char* testSoundFont = std::getenv(kTestSoundFontVariable)) return {testSoundFont};

    std::vector<std::string> candidates;
    const std::string configPath = (moduleFolder.empty() ? std::string() : moduleFolder + "/") + kModuleConfigFileName;
    if (std::string configured = SoundFontFromConfig(ReadConfigFile(configPath), moduleFolder); !configured.empty()) {
        candidates.push_back(std::move(configured));
    }
    candidates.insert(candidates.end(), std::begin(kInstalledSoundFonts), std::end(kInstalledSoundFonts));
    return candidates;
}
