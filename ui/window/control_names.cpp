// Names and keyboard order of the main window's controls.
#include "ui/window/control_names.h"

#include "app/song/song_options_logic.h"
#include "model/song_options.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

// "channel 3, Fingered Bass", or "channel 3, not used".
std::string ChannelPart(const char* format, const char* unusedFormat, int channel, const SongOptions& options) {
    if (options.channelUsed[channel] == 0) return Formatted(unusedFormat, channel + 1);
    return Formatted(format, channel + 1, options.toneName[channel].c_str());
}

std::vector<int> BuildOrder() {
    std::vector<int> order = {SwitchId::kPreCount, SwitchId::kMelody, SwitchId::kGuitar, SwitchId::kBass,
                              SwitchId::kDrums};
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        order.push_back(SwitchId::kFirstVolumeDown + channel);
        order.push_back(SwitchId::kFirstMute + channel);
    }
    return order;
}

}  // namespace

std::string SwitchName(int id, const SongOptions& options) {
    if (id >= SwitchId::kFirstVolumeDown && id < SwitchId::kFirstVolumeDown + kMidiChannels) {
        // TRANSLATORS: a switch that halves a MIDI channel's volume; %d the channel, %s its instrument.
        return ChannelPart(Tr("Volume down, channel %d, %s"), Tr("Volume down, channel %d, not used"),
                           id - SwitchId::kFirstVolumeDown, options);
    }
    if (id >= SwitchId::kFirstMute && id < SwitchId::kFirstMute + kMidiChannels) {
        // TRANSLATORS: a switch that silences a MIDI channel; %d the channel, %s its instrument.
        return ChannelPart(Tr("Mute channel %d, %s"), Tr("Mute channel %d, not used"), id - SwitchId::kFirstMute,
                           options);
    }
    switch (id) {
        case SwitchId::kLoad: return Tr("Load a MIDI file");
        case SwitchId::kConvert: return Tr("Convert to an audio file");
        // TRANSLATORS: the switch that plays the practice track, on while it plays.
        case SwitchId::kPlay: return Tr("Play");
        case SwitchId::kPreCount: return Tr("Pre-count");
        case SwitchId::kMelody: return Tr("Remove the melody");
        case SwitchId::kGuitar: return Tr("Remove the guitar");
        case SwitchId::kBass: return Tr("Remove the bass");
        case SwitchId::kDrums: return Tr("Remove the drums");
        default: return {};
    }
}

std::string TempoName(int tempoPercent, bool songLoaded) {
    if (!songLoaded) return Tr("Tempo, no song loaded");
    return Formatted(Tr("Tempo %d percent"), tempoPercent);
}

const std::vector<int>& SwitchesAfterTempo() {
    static const std::vector<int> order = BuildOrder();
    return order;
}
