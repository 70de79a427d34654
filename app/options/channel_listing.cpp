// The used channels of a song as text lines.
#include "app/options/channel_listing.h"

#include "app/options/option_values.h"
#include "app/song/switch_board.h"

std::vector<std::string> ChannelListing(const SongOptions& options) {
    std::vector<std::string> lines;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] == 0) continue;
        std::string parts;
        for (const int id : PartSwitchesOfChannel(options, channel)) {
            parts += (parts.empty() ? "" : ",") + std::string(PartName(id));
        }
        const std::string& why = options.partReason[channel];
        lines.push_back(std::to_string(channel + 1) + "\t" + (options.drumChannel[channel] != 0 ? "drum" : "-") + "\t" +
                        (parts.empty() ? "-" : parts) + "\t" + options.toneName[channel] + "\t" +
                        (parts.empty() || why.empty() ? "-" : why));
    }
    return lines;
}
