// The switch table of the main window.
#include "ui/window/switch_layout.h"

#include "app/song/song_options_logic.h"
#include "resources/resource_ids.h"

namespace {

// Channel switches: one row every 20 pixels from y = 209.
constexpr int kFirstChannelSwitchY = 209;
constexpr int kChannelRowPitch = 20;
constexpr int kVolumeDownX = 349;
constexpr int kMuteX = 372;

std::vector<SwitchPlacement> BuildTable() {
    using namespace ResourceId;
    std::vector<SwitchPlacement> table = {
        {SwitchId::kLoad, 44, 43, kLoad, kLoad, 0},
        {SwitchId::kConvert, 146, 43, kConvert, kConvert, 0},
        {SwitchId::kPlay, 195, 43, kPlay, kStop, 0},
    };
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const int y = kFirstChannelSwitchY + kChannelRowPitch * channel;
        table.push_back({SwitchId::kFirstVolumeDown + channel, kVolumeDownX, y, kChannelSwitchOff, kVolumeDownOn,
                         kChannelSwitchDisabled});
        table.push_back(
            {SwitchId::kFirstMute + channel, kMuteX, y, kChannelSwitchOff, kMuteOn, kChannelSwitchDisabled});
    }
    table.push_back({SwitchId::kPreCount, 248, 101, kPreCountOff, kPreCountOn, 0});
    table.push_back({SwitchId::kBass, 216, 145, kBassOff, kBassOn, 0});
    table.push_back({SwitchId::kDrums, 311, 145, kDrumsOff, kDrumsOn, 0});
    table.push_back({SwitchId::kGuitar, 122, 145, kGuitarOff, kGuitarOn, 0});
    table.push_back({SwitchId::kMelody, 27, 145, kMelodyOff, kMelodyOn, 0});
    return table;
}

}  // namespace

const std::vector<SwitchPlacement>& MainWindowSwitches() {
    static const std::vector<SwitchPlacement> table = BuildTable();
    return table;
}
