// Recognises the exclusive messages the module acts on itself: the GS reset,
// the GS rhythm-part assignment, and GM / GM2 System On.
#pragma once

#include <cstddef>
#include <cstdint>

// MIDI channel index (0-based) of the General MIDI drum channel, channel 10.
inline constexpr int kDrumChannelIndex = 9;

struct ExclusiveAction {
    enum class Kind {
        kPassOn,         // anything else: FluidSynth gets the message
        kReset,          // GS reset, GM System On, GM2 System On
        kSetRhythmPart,  // GS "use for rhythm part" of one part
        kIgnore,         // not a whole exclusive message (F0 ... F7)
    };
    Kind kind = Kind::kPassOn;
    int channel = 0;    // kSetRhythmPart: MIDI channel index 0-15
    bool drum = false;  // kSetRhythmPart: true makes it a drum channel
};

// Classifies the whole message `data[0..length)`, which runs from 0xF0 to
// 0xF7. GS messages count only with a correct checksum.
ExclusiveAction ClassifyExclusive(const std::uint8_t* data, std::size_t length);

// MIDI channel index of the GS part numbered by the low nibble of an address
// byte: 0 is channel 10, 1-9 are channels 1-9, 10-15 are channels 11-16.
int ChannelOfGsPart(int partNibble);
