// The window's switches as plain state.
#include "app/song/switch_board.h"

#include <array>

namespace {

constexpr std::array<int, 4> kPartSwitches = {SwitchId::kMelody, SwitchId::kGuitar, SwitchId::kBass, SwitchId::kDrums};

}  // namespace

SwitchBoard::SwitchBoard(SongOptions& options) : options_(options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        states_[SwitchId::kFirstVolumeDown + channel] = options.volumeDown[channel] & 1;
        states_[SwitchId::kFirstMute + channel] = options.mute[channel] & 1;
    }
    states_[SwitchId::kPreCount] = options.preCount ? 1 : 0;
    states_[SwitchId::kBass] = options.minusBass ? 1 : 0;
    states_[SwitchId::kDrums] = options.minusDrums ? 1 : 0;
    states_[SwitchId::kGuitar] = options.minusGuitar ? 1 : 0;
    states_[SwitchId::kMelody] = options.minusMelody ? 1 : 0;
    EnableChannelSwitches(options, *this);
    enabled_[SwitchId::kPreCount] = true;
}

int SwitchBoard::State(int id) const {
    const auto found = states_.find(id);
    return found == states_.end() ? 0 : found->second;
}

bool SwitchBoard::Enabled(int id) const {
    const auto found = enabled_.find(id);
    return found != enabled_.end() && found->second;
}

void SwitchBoard::SetSwitchState(int id, int state, bool notify) {
    if (!Enabled(id) || State(id) == state) return;
    states_[id] = state;
    if (notify) OnSwitchNotify(options_, *this, id, state);
}

std::vector<int> PartSwitchesOfChannel(const SongOptions& options, int channel) {
    std::vector<int> parts;
    for (const int id : kPartSwitches) {
        SongOptions trial = options;
        trial.mute.fill(0);
        trial.minusMelody = trial.minusGuitar = trial.minusBass = trial.minusDrums = false;
        SwitchBoard board(trial);
        board.Click(id, 1);
        if (trial.mute[channel] != 0) parts.push_back(id);
    }
    return parts;
}
