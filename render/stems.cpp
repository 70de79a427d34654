// Stem planning and naming.
#include "render/stems.h"

#include <filesystem>

namespace {

// A tone name as part of a file name: path separators and control
// characters become "_".
std::string FileNamePart(std::string_view text) {
    std::string part;
    for (const char c : text) part += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    return part;
}

// Built by appending: GCC 12 takes a literal prepended to a new string for
// an overlapping copy (-Wrestrict, a false alarm).
std::string TwoDigits(int number) {
    std::string digits(number < 10 ? 1 : 0, '0');
    digits += std::to_string(number);
    return digits;
}

}  // namespace

std::vector<Stem> PlanStems(const SongOptions& options, std::string_view extension) {
    std::vector<Stem> stems;
    Stem drums;
    drums.clicks = true;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] == 0 || options.mute[channel] != 0) continue;
        if (options.drumChannel[channel] != 0) {
            if (drums.channels.empty()) {
                drums.fileName = TwoDigits(channel + 1) + "-" + FileNamePart(options.toneName[channel]) +
                                 std::string(extension);
                stems.push_back({});  // the drum stem's place in channel order
            }
            drums.channels.push_back(channel);
            continue;
        }
        stems.push_back({{channel}, false,
                         TwoDigits(channel + 1) + "-" + FileNamePart(options.toneName[channel]) + std::string(extension)});
    }
    for (Stem& stem : stems) {
        if (stem.channels.empty()) stem = drums;
    }
    return stems;
}

std::string StemFolder(const std::string& mixPath) {
    const std::filesystem::path mix(mixPath);
    const std::string name = mix.stem().string();
    // "." or ".." (a mix named "..wav" or "...wav") would name the mix's own
    // folder or the one above it: such a mix's stems go into "<mix's file name> stems".
    const bool onlyDots = name.find_first_not_of('.') == std::string::npos;
    return (mix.parent_path() / (onlyDots ? mix.filename().string() + " stems" : name)).string();
}

SongOptions StemOptions(const SongOptions& options, const Stem& stem) {
    SongOptions muted = options;
    for (int channel = 0; channel < kMidiChannels; ++channel) muted.mute[channel] = 1;
    for (const int channel : stem.channels) muted.mute[channel] = options.mute[channel];
    return muted;
}
