// The song options' reaction to the main window's switches.
#include "app/song/song_options_logic.h"

#include "tone/instrument_family.h"

namespace {

// The state is the low bit of a notified value; a right-button toggle adds 0x10000 above it.
constexpr int kStateBit = 1;

bool IsGuitarProgram(int program) { return program >= kFirstGuitarProgram && program <= kLastGuitarProgram; }

bool IsDrum(const SongOptions& options, int channel) { return options.drumChannel[channel] != 0; }

// A used, non-drum channel with a bass instrument, other than the named melody.
bool HasBassInstrument(const SongOptions& options, int channel) {
    return options.channelUsed[channel] != 0 && !IsDrum(options, channel) && channel != options.melodyChannel &&
           IsBassInstrument(options.program[channel], options.toneName[channel]);
}

bool AnyBassInstrument(const SongOptions& options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (HasBassInstrument(options, channel)) return true;
    }
    return false;
}

int MelodyChannel(const SongOptions& options) {
    if (options.melodyChannel >= 0 && options.melodyChannel < kMidiChannels) return options.melodyChannel;
    const bool usable = !IsDrum(options, kMelodyChannelIndex) && !HasBassInstrument(options, kMelodyChannelIndex);
    return usable ? kMelodyChannelIndex : -1;
}

bool IsBassChannel(const SongOptions& options, int channel) {
    if (AnyBassInstrument(options)) return HasBassInstrument(options, channel);
    return channel == kBassChannelIndex && !IsDrum(options, channel) && channel != MelodyChannel(options);
}

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

bool PartTakesChannel(const SongOptions& options, int id, int channel) {
    if (channel < 0 || channel >= kMidiChannels) return false;
    switch (id) {
        case SwitchId::kMelody:
            return channel == MelodyChannel(options);
        case SwitchId::kBass:
            return IsBassChannel(options, channel);
        case SwitchId::kDrums:
            return IsDrum(options, channel);
        case SwitchId::kGuitar:
            return !IsDrum(options, channel) && !IsBassChannel(options, channel) && channel != MelodyChannel(options) &&
                   IsGuitarProgram(options.program[channel]);
        default:
            return false;
    }
}

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
    for (const int id : {SwitchId::kBass, SwitchId::kDrums, SwitchId::kGuitar, SwitchId::kMelody})
        switches.SetSwitchEnabled(id, true);
}
