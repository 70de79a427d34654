// Finding a rehearsal part's channels by voice, part and track names.
#include "app/song/rehearsal_parts.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "app/song/voice_names.h"

namespace {

constexpr std::array<std::string_view, 5> kVoiceOrder = {"Soprano", "Alto", "Tenor", "Baritone", "Bass"};

struct FinderPart {
    int kind;
    std::string_view name;
};
constexpr std::array<FinderPart, PartKind::kCount> kFinderParts = {{
    {PartKind::kMelody, "Melody"}, {PartKind::kBass, "Bass"}, {PartKind::kGuitar, "Guitar"}, {PartKind::kDrums, "Drums"},
}};

bool SameNameAnyCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The used channels with a track whose name passes `named`.
template <typename Named>
std::uint16_t ChannelsOfTracks(const SongOptions& options, Named named) {
    std::uint16_t channels = 0;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] != 0 && std::ranges::any_of(options.trackNames[channel], named))
            channels |= static_cast<std::uint16_t>(1u << channel);
    }
    return channels;
}

std::uint16_t VoiceChannels(const SongOptions& options, std::string_view voice) {
    return ChannelsOfTracks(options, [voice](const std::string& track) { return VoiceNamed(track) == voice; });
}

std::uint16_t FinderChannels(const SongOptions& options, int kind) {
    std::uint16_t channels = 0;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] != 0 && ((options.partChannels[kind] >> channel) & 1) != 0)
            channels |= static_cast<std::uint16_t>(1u << channel);
    }
    return channels;
}

}  // namespace

std::vector<RehearsalPart> SongRehearsalParts(const SongOptions& options) {
    std::vector<RehearsalPart> parts;
    std::uint16_t voices = 0;
    for (const std::string_view voice : kVoiceOrder) {
        const std::uint16_t channels = VoiceChannels(options, voice);
        if (channels == 0) continue;
        parts.push_back({std::string(voice), channels});
        voices |= channels;
    }
    for (const FinderPart& part : kFinderParts) {
        const std::uint16_t channels = FinderChannels(options, part.kind);
        // A choir's melody is its soprano, with whatever doubles it: no part of its own.
        if (channels != 0 && (channels & voices) == 0) parts.push_back({std::string(part.name), channels});
    }
    return parts;
}

std::optional<RehearsalPart> RehearsalPartNamed(std::string_view name, const SongOptions& options) {
    if (const std::string_view voice = VoiceNamed(name); !voice.empty()) {
        if (const std::uint16_t channels = VoiceChannels(options, voice)) return RehearsalPart{std::string(voice), channels};
    }
    for (const FinderPart& part : kFinderParts) {
        if (!SameNameAnyCase(name, part.name)) continue;
        if (const std::uint16_t channels = FinderChannels(options, part.kind)) return RehearsalPart{std::string(part.name), channels};
    }
    const std::uint16_t channels =
        ChannelsOfTracks(options, [name](const std::string& track) { return SameNameAnyCase(track, name); });
    if (channels == 0) return std::nullopt;
    return RehearsalPart{std::string(name), channels};
}
