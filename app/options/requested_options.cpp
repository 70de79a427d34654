// The option command line's options as switch clicks.
#include "app/options/requested_options.h"

#include "app/options/option_command_line.h"
#include "app/song/switch_board.h"

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
    options.countInMeasures = request.countInBars;
    options.clickLevelDb = request.clickLevelDb;
    options.dropLeadingEmptyBars = request.dropEmptyBars;
    if (request.measures) {
        options.firstMeasure = request.measures->first;
        options.lastMeasure = request.measures->last;
    }
}

std::vector<int> PartsNotFound(const ConversionRequest& request, const SongOptions& options) {
    std::vector<int> missing;
    for (const int part : request.removedParts) {
        if (!PartRemovesSomething(options, part)) missing.push_back(part);
    }
    return missing;
}
