// Reading "key = value" lines of the module's configuration file.

#include "module/fluid/module_config.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// A configuration file is small; anything past this is not read.
constexpr std::size_t kMaxConfigBytes = 64 * 1024;

constexpr char kGainKey[] = "gain";
constexpr char kSynthesizersKey[] = "synthesizers";
constexpr char kPerChannel[] = "per-channel";
constexpr double kMinGain = 0.0;
constexpr double kMaxGain = 1.0;

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

}  // namespace

std::string ModuleConfigPath(const std::string& moduleFolder) {
    return (moduleFolder.empty() ? std::string() : moduleFolder + "/") + kModuleConfigFileName;
}

std::string SettingsFromEnvironment() {
    const char* settings = std::getenv(kSettingsVariable);
    return settings != nullptr ? std::string(settings) : std::string();
}

std::string ReadModuleConfig(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxConfigBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::optional<std::string> ConfigValue(const std::string& configText, std::string_view key) {
    std::istringstream lines(configText);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view text = Trim(line);
        if (text.empty() || text.front() == '#') continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || !EqualsIgnoringCase(Trim(text.substr(0, equals)), key)) continue;
        return std::string(Trim(text.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<double> GainFromConfig(const std::string& configText, const std::string& configPath,
                                     std::string& problem) {
    problem.clear();
    const std::optional<std::string> value = ConfigValue(configText, kGainKey);
    if (!value) return std::nullopt;
    double gain = 0.0;
    const char* end = value->data() + value->size();
    const auto [stop, error] = std::from_chars(value->data(), end, gain);
    // The comparison is false for a value that is not a number.
    if (error != std::errc() || stop != end || !(gain >= kMinGain && gain <= kMaxGain)) {
        std::ostringstream text;
        text << "\"gain = " << *value << "\" in " << configPath << " is not a number from 0.0 to 1.0; the default gain "
             << kDefaultOutputGain << " is used";
        problem = text.str();
        return std::nullopt;
    }
    return gain;
}

bool SynthesizerPerChannelFromConfig(const std::string& configText) {
    const std::optional<std::string> value = ConfigValue(configText, kSynthesizersKey);
    return value && EqualsIgnoringCase(*value, kPerChannel);
}
