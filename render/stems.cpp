// Stem planning and naming.
#include "render/stems.h"

#include <filesystem>

namespace {

constexpr char kClickStemName[] = "click";
constexpr char kUnnamedDrums[] = "Drums";
constexpr char kUnnamedProgram[] = "Program ";

// A tone name as part of a file name: path separators and control
// characters become "_", and dots and spaces at its ends go ("Jazz Gt."
// would end the name in two dots).
std::string FileNamePart(std::string_view text) {
    std::string part;
    for (const char c : text) part += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    const auto first = part.find_first_not_of(". ");
    if (first == std::string::npos) return {};
    return part.substr(first, part.find_last_not_of(". ") - first + 1);
}

// Built by appending: GCC 12 takes a literal prepended to a new string for
// an overlapping copy (-Wrestrict, a false alarm).
std::string TwoDigits(int number) {
    std::string digits(number < 10 ? 1 : 0, '0');
    digits += std::to_string(number);
    return digits;
}

// "<channel>-<instrument><extension>"; a channel without a usable tone name
// is named by what it plays.
std::string StemFileName(const SongOptions& options, int channel, std::string_view extension) {
    std::string name = FileNamePart(options.toneName[channel]);
    if (name.empty()) {
        name = options.drumChannel[channel] != 0 ? kUnnamedDrums
                                                 : kUnnamedProgram + std::to_string(options.program[channel] + 1);
    }
    return TwoDigits(channel + 1) + "-" + name + std::string(extension);
}

}  // namespace

std::vector<Stem> PlanStems(const SongOptions& options, const std::array<bool, kMidiChannels>& sounding, bool clicks,
                            std::string_view extension) {
    std::vector<Stem> stems;
    Stem drums;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] == 0 || options.mute[channel] != 0 || !sounding[channel]) continue;
        if (options.drumChannel[channel] != 0) {
            if (drums.channels.empty()) {
                drums.fileName = StemFileName(options, channel, extension);
                stems.push_back({});  // the drum stem's place in channel order
            }
            drums.channels.push_back(channel);
            continue;
        }
        stems.push_back({{channel}, false, StemFileName(options, channel, extension)});
    }
    for (Stem& stem : stems) {
        if (stem.channels.empty()) stem = drums;
    }
    if (clicks) stems.push_back({{}, true, kClickStemName + std::string(extension)});
    return stems;
}

std::vector<Stem> PossibleStems(const SongOptions& options, std::string_view extension) {
    std::array<bool, kMidiChannels> mayPlay;
    mayPlay.fill(true);
    return PlanStems(options, mayPlay, true, extension);
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
    if (stem.clicks) {
        muted.mute[kDrumChannelIndex] = options.mute[kDrumChannelIndex];
        muted.silent[kDrumChannelIndex] = 1;
    }
    return muted;
}
