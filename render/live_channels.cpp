// The live mutes and turned-down channels of playback.
#include "render/live_channels.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kNoteOff = 0x80;
constexpr std::uint32_t kNoteOn = 0x90;
constexpr std::uint32_t kControl = 0xB0;
constexpr std::uint32_t kProgram = 0xC0;
constexpr std::uint32_t kPressure = 0xD0;
constexpr std::uint32_t kBend = 0xE0;
constexpr std::uint32_t kVolumeController = 7;
constexpr std::uint32_t kDataEntry = 6;
constexpr std::uint32_t kDataEntryFine = 38;
constexpr std::uint32_t kAllSoundOff = 120;  // and the channel-mode messages above it
constexpr std::int16_t kUnknown = -1;
constexpr std::uint8_t kDefaultVolume = 100;  // the General MIDI starting volume
constexpr int kChannelMask = 0x0F;
constexpr int kLowestMovedKey = 1;  // key 0 is never a moved note's
constexpr int kHighestKey = 127;

std::uint32_t Message(std::uint32_t status, int channel, std::uint32_t first, std::uint32_t second) {
    return status | static_cast<std::uint32_t>(channel) | (first << 8) | (second << 16);
}

// Half a nonzero volume, never down to 0 (as the conversion halves it).
std::uint8_t Halved(std::uint8_t volume) {
    return volume == 0 ? 0 : std::max<std::uint8_t>(volume >> 1, 1);
}

}  // namespace

LiveChannels::LiveChannels(const SynthModule& module, std::bitset<256> exempt) : module_(module), exempt_(exempt) {
    volume_.fill(kDefaultVolume);
    for (auto& keys : playedKey_) keys.fill(kAsWritten);
    for (auto& values : controllers_) values.fill(kUnknown);
    program_.fill(kUnknown);
    pressure_.fill(kUnknown);
    bend_.fill(kUnknown);
}

void LiveChannels::Remember(std::uint32_t status, int channel, std::uint32_t first, std::uint32_t second) {
    if (status == kControl && first < kAllSoundOff) controllers_[channel][first] = static_cast<std::int16_t>(second);
    if (status == kControl && first == kVolumeController) {
        volume_[channel] = static_cast<std::uint8_t>(second);
        volumeSent_[channel] = true;
    }
    if (status == kProgram) program_[channel] = static_cast<std::int16_t>(first);
    if (status == kPressure) pressure_[channel] = static_cast<std::int16_t>(first);
    if (status == kBend) bend_[channel] = static_cast<std::int32_t>(first | (second << 7));
}

void LiveChannels::SendState(int channel) const {
    // Controllers first (bank select before the program), the data entry
    // after the parameter numbers it belongs to.
    const auto& values = controllers_[channel];
    for (std::uint32_t controller = 0; controller < kAllSoundOff; ++controller) {
        const bool later = controller == kDataEntry || controller == kDataEntryFine || controller == kVolumeController;
        if (!later && values[controller] != kUnknown) {
            Send(Message(kControl, channel, controller, static_cast<std::uint32_t>(values[controller])));
        }
    }
    if (volumeSent_[channel]) SendVolume(channel);
    if (program_[channel] != kUnknown) Send(Message(kProgram, channel, static_cast<std::uint32_t>(program_[channel]), 0));
    for (const std::uint32_t controller : {kDataEntry, kDataEntryFine}) {
        if (values[controller] != kUnknown) Send(Message(kControl, channel, controller, static_cast<std::uint32_t>(values[controller])));
    }
    if (pressure_[channel] != kUnknown) Send(Message(kPressure, channel, static_cast<std::uint32_t>(pressure_[channel]), 0));
    if (bend_[channel] != kUnknown) {
        const auto bend = static_cast<std::uint32_t>(bend_[channel]);
        Send(Message(kBend, channel, bend & 0x7F, bend >> 7));
    }
}

void LiveChannels::SendVolume(int channel) const {
    const std::uint8_t volume = down_[channel] ? Halved(volume_[channel]) : volume_[channel];
    Send(Message(kControl, channel, kVolumeController, volume));
}

void LiveChannels::Set(const SongOptions& options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        pitched_[channel] = options.drumChannel[channel] == 0;
        const bool mute = options.mute[channel] != 0;
        const bool down = options.volumeDown[channel] != 0;
        const bool downChanged = down != down_[channel];
        down_[channel] = down;
        if (mute && !muted_[channel]) {
            for (int note = 0; note < 128; ++note) {
                if (held_[channel][note]) Send(Message(kNoteOff, channel, static_cast<std::uint32_t>(note), 0));
            }
            held_[channel].reset();
            // Notes held by the sustain pedal stop too.
            if (sounded_[channel]) Send(Message(kControl, channel, kAllSoundOff, 0));
            sounded_[channel] = false;
        } else if (!mute && muted_[channel]) {
            SendState(channel);
        } else if (!mute && downChanged && volumeSent_[channel]) {
            SendVolume(channel);
        }
        muted_[channel] = mute;
    }
}

void LiveChannels::SetTranspose(int semitones) { shift_ = semitones; }

int LiveChannels::Played(int channel, int key, bool noteOn) {
    std::int8_t& played = playedKey_[channel][key];
    if (!noteOn) {
        // A note ends on the key it started on, whatever the shift is now.
        const int ended = played == kAsWritten ? key : played;
        played = kAsWritten;
        return ended;
    }
    const int moved = pitched_[channel] ? key + shift_ : key;
    // A note moved out of the sounding range is left out, as the song's
    // preparation leaves it out.
    played = moved >= kLowestMovedKey && moved <= kHighestKey ? static_cast<std::int8_t>(moved) : kLeftOut;
    return played;
}

void LiveChannels::Pass(std::uint32_t message, int part) {
    const std::uint32_t status = message & 0xF0;
    const int channel = static_cast<int>(message) & kChannelMask;
    std::uint32_t first = (message >> 8) & 0x7F;
    const std::uint32_t second = (message >> 16) & 0x7F;
    // The clicks are heard whatever is muted.
    if (part >= 0 && part < static_cast<int>(exempt_.size()) && exempt_[static_cast<std::size_t>(part)]) {
        Send(message);
        return;
    }
    const bool noteOn = status == kNoteOn && second > 0;
    if (status != kNoteOn && status != kNoteOff) Remember(status, channel, first, second);
    if (muted_[channel]) return;
    if (status == kNoteOn || status == kNoteOff) {
        const int key = Played(channel, static_cast<int>(first), noteOn);
        if (key < 0) return;
        first = static_cast<std::uint32_t>(key);
        message = Message(status, channel, first, second);
    }
    if (noteOn) {
        // A turned-down channel that sets no volume before its first note starts at half the default.
        if (down_[channel] && !volumeSent_[channel]) {
            volumeSent_[channel] = true;
            SendVolume(channel);
        }
        held_[channel][first] = true;
        sounded_[channel] = true;
    } else if (status == kNoteOff || status == kNoteOn) {
        held_[channel][first] = false;
    } else if (status == kControl && first == kVolumeController) {
        SendVolume(channel);
        return;
    }
    Send(message);
}
