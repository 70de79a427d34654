// The song options' reaction to the main window's switches.
#include "app/song/song_options_logic.h"

namespace {

// The state is the low bit of a notified value; a right-button toggle adds 0x10000 above it.
constexpr int kStateBit = 1;

constexpr int kPartSwitches[] = {SwitchId::kBass, SwitchId::kMelody, SwitchId::kDrums, SwitchId::kGuitar};

bool& PartFlag(SongOptions& options, int id) {
    return id == SwitchId::kBass    ? options.minusBass
           : id == SwitchId::kDrums ? options.minusDrums
           : id == SwitchId::kGuitar ? options.minusGuitar
                                     : options.minusMelody;
}

// Clears a part's flag and turns its switch off quietly when it is on.
void ReleasePart(bool& flag, OptionSwitches& switches, int id) {
    flag = false;
    if (switches.Enabled(id) && switches.State(id) != 0) switches.SetSwitchState(id, 0, false);
}

}  // namespace

int PartOfSwitch(int id) {
    switch (id) {
        case SwitchId::kMelody: return PartKind::kMelody;
        case SwitchId::kGuitar: return PartKind::kGuitar;
        case SwitchId::kBass: return PartKind::kBass;
        case SwitchId::kDrums: return PartKind::kDrums;
        default: return -1;
    }
}

bool PartTakesChannel(const SongOptions& options, int id, int channel) {
    const int part = PartOfSwitch(id);
    if (part < 0 || channel < 0 || channel >= kMidiChannels) return false;
    return ((options.partChannels[part] >> channel) & 1) != 0;
}

bool PartRemovesSomething(const SongOptions& options, int id) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] != 0 && PartTakesChannel(options, id, channel)) return true;
    }
    return false;
}

SwitchCommand OnSwitchNotify(SongOptions& options, OptionSwitches& switches, int id, int value) {
    const int state = value & kStateBit;
    if (id == SwitchId::kLoad) return SwitchCommand::kOpenSong;
    if (id == SwitchId::kConvert) return SwitchCommand::kConvertSong;
    if (id == SwitchId::kPlay) return state != 0 ? SwitchCommand::kPlaySong : SwitchCommand::kStopSong;
    if (id >= SwitchId::kFirstVolumeDown && id < SwitchId::kFirstVolumeDown + kMidiChannels) {
        options.volumeDown[id - SwitchId::kFirstVolumeDown] = state;
    } else if (id >= SwitchId::kFirstMute && id < SwitchId::kFirstMute + kMidiChannels) {
        const int channel = id - SwitchId::kFirstMute;
        options.mute[channel] = state;
        if (state == 0) SyncPartSwitchOnUnmute(options, switches, channel);
    } else if (id == SwitchId::kPreCount) {
        options.preCount = state != 0;
    } else if (id == SwitchId::kBass || id == SwitchId::kDrums || id == SwitchId::kGuitar || id == SwitchId::kMelody) {
        PartFlag(options, id) = state != 0;
        ApplyMinusOne(options, switches, id, state);
    }
    return SwitchCommand::kNone;
}

void ApplyMinusOne(SongOptions& options, OptionSwitches& switches, int id, int state) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (!PartTakesChannel(options, id, channel)) continue;
        // The flag is set even when the channel's switch is disabled and stays as it is.
        options.mute[channel] = state;
        switches.SetSwitchState(SwitchId::kFirstMute + channel, state, true);
    }
}

void SyncPartSwitchOnUnmute(SongOptions& options, OptionSwitches& switches, int channel) {
    if (channel < 0 || channel >= kMidiChannels) return;
    for (const int id : kPartSwitches) {
        if (PartTakesChannel(options, id, channel)) ReleasePart(PartFlag(options, id), switches, id);
    }
}

void EnableChannelSwitches(const SongOptions& options, OptionSwitches& switches) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool used = options.channelUsed[channel] != 0;
        switches.SetSwitchEnabled(SwitchId::kFirstVolumeDown + channel, used);
        switches.SetSwitchEnabled(SwitchId::kFirstMute + channel, used);
    }
    for (const int id : kPartSwitches) switches.SetSwitchEnabled(id, PartRemovesSomething(options, id));
}
