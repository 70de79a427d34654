// The song options' reaction to the main window's switches.
#include "app/song/song_options_logic.h"

namespace {

// The state is the low bit of a notified value; a right-button toggle adds 0x10000 above it.
constexpr int kStateBit = 1;

bool IsGuitarProgram(int program) { return program >= kFirstGuitarProgram && program <= kLastGuitarProgram; }

// True when `channel` belongs to the part that the part switch `id` removes.
bool ChannelInPart(const SongOptions& options, int id, int channel) {
    switch (id) {
        case SwitchId::kMelody:
            return channel == kMelodyChannelIndex;
        case SwitchId::kBass:
            return channel == kBassChannelIndex;
        case SwitchId::kDrums:
            return options.drumChannel[channel] != 0;
        case SwitchId::kGuitar:
            return options.drumChannel[channel] == 0 && channel != kBassChannelIndex &&
                   channel != kMelodyChannelIndex && IsGuitarProgram(options.program[channel]);
        default:
            return false;
    }
}

// Clears a part's flag and turns its switch off quietly when it is on.
void ReleasePart(bool& flag, OptionSwitches& switches, int id) {
    flag = false;
    if (switches.Enabled(id) && switches.State(id) != 0) switches.SetSwitchState(id, 0, false);
}

}  // namespace

SwitchCommand OnSwitchNotify(SongOptions& options, OptionSwitches& switches, int id, int value) {
    const int state = value & kStateBit;
    if (id == SwitchId::kLoad) return SwitchCommand::kOpenSong;
    if (id == SwitchId::kConvert) return SwitchCommand::kConvertSong;
    if (id >= SwitchId::kFirstVolumeDown && id < SwitchId::kFirstVolumeDown + kMidiChannels) {
        options.volumeDown[id - SwitchId::kFirstVolumeDown] = state;
    } else if (id >= SwitchId::kFirstMute && id < SwitchId::kFirstMute + kMidiChannels) {
        const int channel = id - SwitchId::kFirstMute;
        options.mute[channel] = state;
        if (state == 0) SyncPartSwitchOnUnmute(options, switches, channel);
    } else if (id == SwitchId::kPreCount) {
        options.preCount = state != 0;
    } else if (id == SwitchId::kBass || id == SwitchId::kDrums || id == SwitchId::kGuitar || id == SwitchId::kMelody) {
        bool& flag = id == SwitchId::kBass    ? options.minusBass
                     : id == SwitchId::kDrums ? options.minusDrums
                     : id == SwitchId::kGuitar ? options.minusGuitar
                                               : options.minusMelody;
        flag = state != 0;
        ApplyMinusOne(options, switches, id, state);
    }
    return SwitchCommand::kNone;
}

void ApplyMinusOne(SongOptions& options, OptionSwitches& switches, int id, int state) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (!ChannelInPart(options, id, channel)) continue;
        // The flag is set even when the channel's switch is disabled and stays as it is.
        options.mute[channel] = state;
        switches.SetSwitchState(SwitchId::kFirstMute + channel, state, true);
    }
}

void SyncPartSwitchOnUnmute(SongOptions& options, OptionSwitches& switches, int channel) {
    if (channel < 0 || channel >= kMidiChannels) return;
    if (channel == kBassChannelIndex) {
        ReleasePart(options.minusBass, switches, SwitchId::kBass);
    } else if (channel == kMelodyChannelIndex) {
        ReleasePart(options.minusMelody, switches, SwitchId::kMelody);
    } else if (options.drumChannel[channel] != 0) {
        ReleasePart(options.minusDrums, switches, SwitchId::kDrums);
    } else if (IsGuitarProgram(options.program[channel])) {
        ReleasePart(options.minusGuitar, switches, SwitchId::kGuitar);
    }
}

void EnableChannelSwitches(const SongOptions& options, OptionSwitches& switches) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool used = options.channelUsed[channel] != 0;
        switches.SetSwitchEnabled(SwitchId::kFirstVolumeDown + channel, used);
        switches.SetSwitchEnabled(SwitchId::kFirstMute + channel, used);
    }
    for (const int id : {SwitchId::kBass, SwitchId::kDrums, SwitchId::kGuitar, SwitchId::kMelody})
        switches.SetSwitchEnabled(id, true);
}
