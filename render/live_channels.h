// Mutes and turned-down channels that change while a song plays. The render
// song of a playback keeps every part; this filter, between the engine and
// the module, holds back the messages of muted channels (as a conversion
// leaves their parts out, but for exclusive messages) and halves the
// volumes of turned-down ones, so that a switch is heard with the next
// block: a channel that is muted has its sounding notes ended at once, one
// that is unmuted gets its controllers, program and bend as the song has
// set them so far, one that is turned down or up its volume. A change of
// key moves the notes that start after it.
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
    // Moves the notes that start from now on by `semitones` more than the
    // render song has them, on every channel but the drums (as Set last
    // had them); sounding notes end on the key they started on.
    void SetTranspose(int semitones);

private:
    // The key a note of `key` plays on, or -1 when it is left out.
    int Played(int channel, int key, bool noteOn);
    void Send(std::uint32_t message) const { module_.SendShortDirect(message); }
    // Sends the channel's volume as the song set it, halved when turned down.
    void SendVolume(int channel) const;
    // Sends the channel's state as the song has set it so far.
    void SendState(int channel) const;
    // Remembers what a controller, program, pressure or bend message sets.
    void Remember(std::uint32_t status, int channel, std::uint32_t first, std::uint32_t second);

    const SynthModule& module_;
    std::bitset<256> exempt_;
    std::array<bool, kMidiChannels> muted_{};
    std::array<bool, kMidiChannels> down_{};
    std::array<std::bitset<128>, kMidiChannels> held_{};  // notes sounding, of parts that can be muted
    std::array<bool, kMidiChannels> sounded_{};           // a note has sounded since the channel was last muted
    std::array<std::uint8_t, kMidiChannels> volume_{};    // the song's last volume of each channel
    std::array<bool, kMidiChannels> volumeSent_{};        // a volume has reached the module
    // The song's last value of each controller, program, pressure and bend; -1: none yet.
    std::array<std::array<std::int16_t, 128>, kMidiChannels> controllers_{};
    std::array<std::int16_t, kMidiChannels> program_{};
    std::array<std::int16_t, kMidiChannels> pressure_{};
    std::array<std::int32_t, kMidiChannels> bend_{};
    // The key each started note of the song plays on, while it sounds.
    static constexpr std::int8_t kAsWritten = -2;
    static constexpr std::int8_t kLeftOut = -1;
    std::array<std::array<std::int8_t, 128>, kMidiChannels> playedKey_{};
    std::array<bool, kMidiChannels> pitched_{};
    int shift_ = 0;
};
