// The option command line's options as switch clicks.
#include "app/options/requested_options.h"

#include <algorithm>
#include <cctype>

#include "app/options/option_command_line.h"
#include "app/options/practice_values.h"
#include "app/song/song_options_logic.h"
#include "app/song/switch_board.h"

namespace {

bool SameNameAnyCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool Empty(const ChannelSet& channels) { return std::ranges::none_of(channels, [](bool on) { return on; }); }

}  // namespace

void ApplyRequestedOptions(const ConversionRequest& request, SongOptions& options) {
    SwitchBoard board(options);
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (request.volumeDown[channel]) board.Click(SwitchId::kFirstVolumeDown + channel, 1);
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (request.mute[channel]) board.Click(SwitchId::kFirstMute + channel, 1);
    }
    for (const int part : request.removedParts) board.Click(part, 1);
    board.Click(SwitchId::kPreCount, request.preCount ? 1 : 0);
    options.tempoPercent = request.tempoPercent;
    options.transpose = request.transpose;
    options.click = request.click;
    ApplyLevels(request.levels, options);
    options.countInMeasures = request.countInBars;
    options.clickLevelDb = request.clickLevelDb;
    options.dropLeadingEmptyBars = request.dropEmptyBars;
    if (request.measures) {
        options.firstMeasure = request.measures->first;
        options.lastMeasure = request.measures->last;
    }
    options.loopPasses = request.loopPasses;
    options.loopTempoStep = request.tempoStep.value_or(0);
    options.loopTempoTo = request.tempoTo.value_or(0);
    options.countInEachPass = request.countInEach;
}

std::vector<int> PartsNotFound(const ConversionRequest& request, const SongOptions& options) {
    std::vector<int> missing;
    for (const int part : request.removedParts) {
        if (!PartRemovesSomething(options, part)) missing.push_back(part);
    }
    return missing;
}

ChannelSet LevelTargetChannels(std::string_view target, const SongOptions& options) {
    if (const auto channels = ParseChannelList(target)) return *channels;
    ChannelSet channels{};
    const auto parts = ParsePartList(target);
    if (parts && parts->size() == 1) {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            channels[channel] = options.channelUsed[channel] != 0 && PartTakesChannel(options, parts->front(), channel);
        }
        return channels;
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        channels[channel] = std::ranges::any_of(options.trackNames[channel],
                                                [target](const std::string& name) { return SameNameAnyCase(name, target); });
    }
    return channels;
}

std::vector<std::string> LevelTargetsNotFound(const ConversionRequest& request, const SongOptions& options) {
    std::vector<std::string> missing;
    for (const LevelRequest& level : request.levels) {
        if (Empty(LevelTargetChannels(level.target, options))) missing.push_back(level.target);
    }
    return missing;
}
