// Helpers for import tests: build Standard MIDI File bytes inline, write them
// to a temporary file, import them into a fresh song and list the events of
// a track with their absolute ticks.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "import/imp_smf.h"
#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "platform/user_report.h"

namespace smftest {

using Bytes = std::vector<std::uint8_t>;

// The variable-length form of a number.
inline Bytes VarLen(std::uint32_t value) {
    Bytes out{static_cast<std::uint8_t>(value & 0x7F)};
    while (value >>= 7) out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

// The events of one track chunk, each written as delta time then bytes.
class Chunk {
public:
    explicit Chunk(const char* id = "MTrk") : id_(id) {}
    // Any bytes after a delta time.
    Chunk& At(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
        Append(VarLen(delta));
        body_.insert(body_.end(), bytes);
        return *this;
    }
    Chunk& NoteOn(std::uint32_t delta, int channel, int key, int velocity) {
        return At(delta, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                          static_cast<std::uint8_t>(velocity)});
    }
    Chunk& NoteOff(std::uint32_t delta, int channel, int key) {
        return At(delta, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0});
    }
    // A meta event with a variable-length count.
    Chunk& Meta(std::uint32_t delta, int type, const Bytes& data) {
        At(delta, {0xFF, static_cast<std::uint8_t>(type)});
        Append(VarLen(static_cast<std::uint32_t>(data.size())));
        Append(data);
        return *this;
    }
    Chunk& Text(std::uint32_t delta, int type, const std::string& text) {
        return Meta(delta, type, Bytes(text.begin(), text.end()));
    }
    Chunk& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        return Meta(delta, 0x51, {static_cast<std::uint8_t>(microsPerQuarter >> 16),
                                  static_cast<std::uint8_t>(microsPerQuarter >> 8),
                                  static_cast<std::uint8_t>(microsPerQuarter)});
    }
    Chunk& TimeSig(std::uint32_t delta, int numerator, int power, int clocks = 24) {
        return Meta(delta, 0x58, {static_cast<std::uint8_t>(numerator), static_cast<std::uint8_t>(power),
                                  static_cast<std::uint8_t>(clocks), 8});
    }
    Chunk& KeySig(std::uint32_t delta, int sharpsFlats, int minor) {
        return Meta(delta, 0x59, {static_cast<std::uint8_t>(sharpsFlats), static_cast<std::uint8_t>(minor)});
    }
    Chunk& Exclusive(std::uint32_t delta, const Bytes& data) {
        At(delta, {0xF0});
        Append(VarLen(static_cast<std::uint32_t>(data.size())));
        Append(data);
        return *this;
    }
    Chunk& End(std::uint32_t delta = 0) { return At(delta, {0xFF, 0x2F, 0x00}); }
    // Bytes without a delta time in front (padding, broken events).
    Chunk& Raw(const Bytes& bytes) {
        Append(bytes);
        return *this;
    }
    // Makes the header state `length` instead of the body's real length.
    Chunk& DeclaredLength(std::uint32_t length) {
        declaredLength_ = length;
        declared_ = true;
        return *this;
    }

    // Identifier, big-endian length, body.
    Bytes Serialize() const {
        Bytes out(id_.begin(), id_.end());
        const auto n = declared_ ? declaredLength_ : static_cast<std::uint32_t>(body_.size());
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(n >> shift));
        out.insert(out.end(), body_.begin(), body_.end());
        return out;
    }

private:
    void Append(const Bytes& bytes) { body_.insert(body_.end(), bytes.begin(), bytes.end()); }
    std::string id_;
    Bytes body_;
    std::uint32_t declaredLength_ = 0;
    bool declared_ = false;
};

// "MThd", length 6, format, track count, division, then the chunks.
inline Bytes Smf(int format, int division, const std::vector<Chunk>& chunks) {
    Bytes out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format), 0,
              static_cast<std::uint8_t>(chunks.size()), static_cast<std::uint8_t>(division >> 8),
              static_cast<std::uint8_t>(division)};
    for (const Chunk& c : chunks) {
        const Bytes b = c.Serialize();
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// Writes bytes to a fresh file in the test's temporary folder.
std::string WriteTempFile(const Bytes& bytes);

// Collects reported messages.
class RecordingReport : public UserReport {
public:
    void Report(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

// A song with the result of importing bytes into it.
struct Imported {
    SongContainer song{1};
    RecordingReport report;
    MidiFileLoad load;
};
// Writes the bytes to a file and loads it into `into`.
void ImportBytes(const Bytes& bytes, Imported& into);

// One event of a track with its absolute tick.
struct Ev {
    int tick = 0;
    TrackEvent event;
    int Kind() const { return event.Kind(); }
    int Gate() const { return event.Gate(); }
};
// Every event of a slot (end marker included); empty when the slot has no track.
std::vector<Ev> Events(SongContainer& song, int slot);
// The events of a slot that are neither rests nor the end marker.
std::vector<Ev> Sounding(SongContainer& song, int slot);

}  // namespace smftest
