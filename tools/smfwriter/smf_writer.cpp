// Event encoding and chunk layout of the Standard MIDI File writer.
#include "tools/smfwriter/smf_writer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMetaOrder = 0;
constexpr int kNoteOffOrder = 1;
constexpr int kControlOrder = 2;
constexpr int kNoteOnOrder = 3;
constexpr double kMicrosecondsPerMinute = 60'000'000.0;

std::uint8_t Status(int high, int channel) { return static_cast<std::uint8_t>(high | ((channel - 1) & 0x0F)); }
std::uint8_t Data(int value) { return static_cast<std::uint8_t>(value & 0x7F); }

void AppendBigEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendVariableLength(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

}  // namespace

void SmfTrack::Add(int tick, int order, Bytes bytes) { events_.push_back({tick, order, std::move(bytes)}); }

void SmfTrack::Note(int tick, int channel, int key, int velocity, int length) {
    Add(tick, kNoteOnOrder, {Status(0x90, channel), Data(key), Data(velocity)});
    Add(tick + length, kNoteOffOrder, {Status(0x80, channel), Data(key), 0});
}

void SmfTrack::ProgramChange(int tick, int channel, int program) {
    Add(tick, kControlOrder, {Status(0xC0, channel), Data(program)});
}

void SmfTrack::ControlChange(int tick, int channel, int controller, int value) {
    Add(tick, kControlOrder, {Status(0xB0, channel), Data(controller), Data(value)});
}

void SmfTrack::Message(int tick, const Bytes& message) {
    if (message.empty()) return;
    const int high = message[0] & 0xF0;
    if (message[0] == 0xF0) {
        Exclusive(tick, message);
    } else if (high == 0x80 || (high == 0x90 && message.size() > 2 && message[2] == 0)) {
        Add(tick, kNoteOffOrder, message);
    } else {
        Add(tick, high == 0x90 ? kNoteOnOrder : kControlOrder, message);
    }
}

void SmfTrack::Exclusive(int tick, const Bytes& message) {
    Bytes bytes{0xF0};
    AppendVariableLength(bytes, static_cast<std::uint32_t>(message.size() - 1));
    bytes.insert(bytes.end(), message.begin() + 1, message.end());
    Add(tick, kMetaOrder, std::move(bytes));
}

void SmfTrack::Tempo(int tick, double bpm) {
    Bytes bytes{0xFF, 0x51, 0x03};
    AppendBigEndian(bytes, static_cast<std::uint32_t>(std::lround(kMicrosecondsPerMinute / bpm)), 3);
    Add(tick, kMetaOrder, std::move(bytes));
}

void SmfTrack::TimeSignature(int tick, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) ++power;
    Add(tick, kMetaOrder, {0xFF, 0x58, 0x04, Data(numerator), Data(power), 24, 8});
}

void SmfTrack::KeySignature(int tick, int sharps, bool minor) {
    Add(tick, kMetaOrder, {0xFF, 0x59, 0x02, static_cast<std::uint8_t>(sharps), static_cast<std::uint8_t>(minor)});
}

void SmfTrack::Meta(int tick, int type, std::string_view text) {
    Bytes bytes{0xFF, Data(type)};
    AppendVariableLength(bytes, static_cast<std::uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    Add(tick, kMetaOrder, std::move(bytes));
}

Bytes SmfTrack::Chunk() const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    int last = 0;
    for (const Event& event : sorted) {
        AppendVariableLength(body, static_cast<std::uint32_t>(event.tick - last));
        body.insert(body.end(), event.bytes.begin(), event.bytes.end());
        last = event.tick;
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});  // end of track
    Bytes chunk{'M', 'T', 'r', 'k'};
    AppendBigEndian(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes SmfHeader(int format, int trackCount, int division) {
    Bytes header{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    AppendBigEndian(header, static_cast<std::uint32_t>(format), 2);
    AppendBigEndian(header, static_cast<std::uint32_t>(trackCount), 2);
    AppendBigEndian(header, static_cast<std::uint32_t>(division), 2);
    return header;
}

Bytes SmfFile(int format, int division, const std::vector<SmfTrack>& tracks) {
    Bytes file = SmfHeader(format, static_cast<int>(tracks.size()), division);
    for (const SmfTrack& track : tracks) {
        const Bytes chunk = track.Chunk();
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    return file;
}
