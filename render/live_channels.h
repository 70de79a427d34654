// Mutes and turned-down channels that change while a song plays. The render
// song of a playback keeps every part; this filter, between the engine and
// the module, drops the notes of muted channels and halves the volumes of
// turned-down ones, so that a switch is heard with the next block: a channel
// that is muted has its sounding notes ended at once, one that is turned
// down or up gets its volume sent again.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "model/song_options.h"
#include "sequencer/synth_module.h"

class LiveChannels final : public ShortMessageFilter {
public:
    // Sends through `module` (borrowed). Parts flagged in `exempt` (the
    // clicks) are never muted.
    LiveChannels(const SynthModule& module, std::bitset<256> exempt);

    // Applies the mutes and turned-down channels of `options`.
    void Set(const SongOptions& options);
    void Pass(std::uint32_t message, int part) override;

private:
    void Send(std::uint32_t message) const { module_.SendShortDirect(message); }
    // Sends the channel's volume as the song set it, halved when turned down.
    void SendVolume(int channel) const;

    const SynthModule& module_;
    std::bitset<256> exempt_;
    std::array<bool, kMidiChannels> muted_{};
    std::array<bool, kMidiChannels> down_{};
    std::array<std::bitset<128>, kMidiChannels> held_{};  // notes sounding, of parts that can be muted
    std::array<std::uint8_t, kMidiChannels> volume_{};    // the song's last volume of each channel
    std::array<bool, kMidiChannels> volumeSent_{};        // a volume has reached the module
};
