// A small Standard MIDI File writer for generated songs: events are added to
// tracks at absolute ticks and written as delta times, big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// One track of events at absolute ticks (480 to the quarter note).
class SmfTrack {
public:
    // A note of `length` ticks; `channel` is the MIDI channel 1-16.
    void Note(int tick, int channel, int key, int velocity, int length);
    void ProgramChange(int tick, int channel, int program);
    void ControlChange(int tick, int channel, int controller, int value);
    // A channel message of 1-3 bytes, or a whole exclusive message F0 ... F7.
    void Message(int tick, const Bytes& message);
    // A whole exclusive message from 0xF0 to 0xF7.
    void Exclusive(int tick, const Bytes& message);
    // Tempo in beats per minute.
    void Tempo(int tick, double bpm);
    // Numerator and denominator (4, 8, ...).
    void TimeSignature(int tick, int numerator, int denominator);
    void KeySignature(int tick, int sharps, bool minor);
    void Meta(int tick, int type, std::string_view text);

    // The track's "MTrk" chunk, its events in time order (at one tick:
    // meta and exclusive events, then note-offs, controls, note-ons).
    Bytes Chunk() const;

private:
    struct Event {
        int tick;
        int order;  // tie-break at one tick
        Bytes bytes;
    };
    void Add(int tick, int order, Bytes bytes);
    std::vector<Event> events_;
};

// The "MThd" chunk of a file of `trackCount` tracks; the "MTrk" chunks follow it.
Bytes SmfHeader(int format, int trackCount, int division);
// The whole file: header and tracks, format 0 (one track) or 1.
Bytes SmfFile(int format, int division, const std::vector<SmfTrack>& tracks);
