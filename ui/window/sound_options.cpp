// The sound settings' lists.
#include "ui/window/sound_options.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

// `named` with `current` added when it is a level none of them is.
std::vector<SoundOption> WithLevel(std::vector<SoundOption> named, const std::string& current) {
    if (std::ranges::none_of(named, [&current](const SoundOption& option) { return option.value == current; }))
        named.push_back({Formatted(Tr("Level %s"), current.c_str()), current});
    return named;
}

}  // namespace

std::vector<SoundOption> SoundFontOptions(const std::vector<InstalledSoundFont>& installed, const std::string& current) {
    std::vector<SoundOption> options{{Tr("The synthesizer module's own"), ""}};
    for (const InstalledSoundFont& font : installed) {
        const double megabytes = static_cast<double>(font.size) / kBytesPerMegabyte;
        options.push_back({Formatted(Tr("%s (%.1f MB)"), font.name.c_str(), megabytes), font.path});
    }
    if (std::ranges::none_of(options, [&current](const SoundOption& option) { return option.value == current; }))
        options.push_back({current, current});
    return options;
}

std::vector<SoundOption> ReverbOptions(const std::string& current) {
    return WithLevel({{Tr("Off"), "off"}, {Tr("Room"), "room"}, {Tr("Hall"), "hall"}}, current);
}

std::vector<SoundOption> ChorusOptions(const std::string& current) {
    return WithLevel({{Tr("Off"), "off"}, {Tr("On"), "on"}}, current);
}
