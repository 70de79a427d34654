// The live mutes and turned-down channels of playback.
#include "render/live_channels.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kNoteOff = 0x80;
constexpr std::uint32_t kNoteOn = 0x90;
constexpr std::uint32_t kControl = 0xB0;
constexpr std::uint32_t kVolumeController = 7;
constexpr std::uint32_t kAllSoundOff = 120;
constexpr std::uint8_t kDefaultVolume = 100;  // the General MIDI starting volume
constexpr int kChannelMask = 0x0F;

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
}

void LiveChannels::SendVolume(int channel) const {
    const std::uint8_t volume = down_[channel] ? Halved(volume_[channel]) : volume_[channel];
    Send(Message(kControl, channel, kVolumeController, volume));
}

void LiveChannels::Set(const SongOptions& options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool mute = options.mute[channel] != 0;
        if (mute && !muted_[channel]) {
            for (int note = 0; note < 128; ++note) {
                if (held_[channel][note]) Send(Message(kNoteOff, channel, static_cast<std::uint32_t>(note), 0));
            }
            held_[channel].reset();
            // Notes held by the sustain pedal stop too.
            Send(Message(kControl, channel, kAllSoundOff, 0));
        }
        muted_[channel] = mute;
        const bool down = options.volumeDown[channel] != 0;
        if (down != down_[channel]) {
            down_[channel] = down;
            if (volumeSent_[channel]) SendVolume(channel);
        }
    }
}

void LiveChannels::Pass(std::uint32_t message, int part) {
    const std::uint32_t status = message & 0xF0;
    const int channel = static_cast<int>(message) & kChannelMask;
    const std::uint32_t first = (message >> 8) & 0x7F;
    const std::uint32_t second = (message >> 16) & 0x7F;
    const bool exempt = part >= 0 && part < static_cast<int>(exempt_.size()) && exempt_[static_cast<std::size_t>(part)];
    const bool noteOn = status == kNoteOn && second > 0;
    if (noteOn && !exempt) {
        if (muted_[channel]) return;
        // A turned-down channel that sets no volume before its first note starts at half the default.
        if (down_[channel] && !volumeSent_[channel]) {
            volumeSent_[channel] = true;
            SendVolume(channel);
        }
        held_[channel][first] = true;
    } else if (status == kNoteOff || status == kNoteOn) {
        if (!exempt) held_[channel][first] = false;
    } else if (status == kControl && first == kVolumeController) {
        volume_[channel] = static_cast<std::uint8_t>(second);
        volumeSent_[channel] = true;
        SendVolume(channel);
        return;
    }
    Send(message);
}
