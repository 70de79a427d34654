// Song generator: a chord progression played by a band of 16 parts.

#include "bench/module/gm_song.h"

#include <algorithm>

#include "tools/smfwriter/smf_writer.h"

namespace {

constexpr int kQuarter = kSongTicksPerQuarter;
constexpr int kMeasure = 4 * kQuarter;
constexpr std::uint8_t kDrumChannel = 9;

struct Part {
    std::uint8_t channel;
    std::uint8_t program;
    std::uint8_t pan;
    enum class Style { kChord, kPad, kBass, kArpeggio, kMelody, kStab } style;
    int octave;  // added to the chord's root, in semitones
};

// The band: every channel but the drums plays one part.
constexpr Part kBand[] = {
    {0, 0, 64, Part::Style::kChord, 0},      // piano
    {1, 33, 64, Part::Style::kBass, -24},    // finger bass
    {2, 48, 40, Part::Style::kPad, 0},       // strings
    {3, 25, 90, Part::Style::kArpeggio, 0},  // steel guitar
    {4, 16, 30, Part::Style::kPad, -12},     // organ
    {5, 61, 100, Part::Style::kStab, 0},     // brass
    {6, 65, 70, Part::Style::kMelody, 12},   // alto sax
    {7, 73, 50, Part::Style::kMelody, 24},   // flute
    {8, 11, 80, Part::Style::kArpeggio, 12}, // vibraphone
    {10, 52, 60, Part::Style::kPad, 12},     // choir
    {11, 4, 20, Part::Style::kChord, 12},    // electric piano
    {12, 46, 110, Part::Style::kArpeggio, 0},// harp
    {13, 80, 64, Part::Style::kMelody, 12},  // square lead
    {14, 88, 64, Part::Style::kPad, 0},      // new-age pad
    {15, 42, 50, Part::Style::kBass, -12},   // cello
};

// C, A minor, F, G: root note and chord tones (semitones above the root).
struct Chord {
    int root;
    int tones[4];
};
constexpr Chord kProgression[] = {{60, {0, 4, 7, 12}}, {57, {0, 3, 7, 12}}, {53, {0, 4, 7, 12}}, {55, {0, 4, 7, 10}}};

class Writer {
public:
    explicit Writer(bool loud) : loud_(loud) {}

    void Note(std::uint8_t channel, int key, int velocity, std::uint32_t start, std::uint32_t length) {
        key = std::clamp(key, 0, 127);
        velocity = loud_ ? 127 : std::clamp(velocity, 1, 127);
        events_.push_back({start, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                                   static_cast<std::uint8_t>(velocity)}});
        events_.push_back({start + length, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0}});
    }
    void Control(std::uint8_t channel, std::uint8_t controller, std::uint8_t value) {
        events_.push_back({0, {static_cast<std::uint8_t>(0xB0 | channel), controller, value}});
    }
    void Program(std::uint8_t channel, std::uint8_t program) {
        events_.push_back({0, {static_cast<std::uint8_t>(0xC0 | channel), program}});
    }
    void Exclusive(std::vector<std::uint8_t> bytes) { events_.push_back({0, std::move(bytes)}); }

    std::vector<SongEvent> Take() {
        // By tick; at one tick note-offs go first so that a repeated key restarts.
        std::stable_sort(events_.begin(), events_.end(), [](const SongEvent& a, const SongEvent& b) {
            if (a.tick != b.tick) return a.tick < b.tick;
            return IsNoteOff(a) && !IsNoteOff(b);
        });
        return std::move(events_);
    }

private:
    static bool IsNoteOff(const SongEvent& e) { return (e.bytes[0] & 0xF0) == 0x80; }

    bool loud_;
    std::vector<SongEvent> events_;
};

void PlayPart(Writer& w, const Part& part, std::uint32_t bar, const Chord& chord, int measure) {
    const int root = chord.root + part.octave;
    switch (part.style) {
        case Part::Style::kChord:
            for (int beat = 0; beat < 4; ++beat) {
                for (int tone : chord.tones) w.Note(part.channel, root + tone, beat == 0 ? 100 : 80, bar + beat * kQuarter, kQuarter - 20);
            }
            break;
        case Part::Style::kPad:
            for (int tone : chord.tones) w.Note(part.channel, root + tone, 85, bar, kMeasure - 10);
            break;
        case Part::Style::kBass:
            for (int eighth = 0; eighth < 8; ++eighth) {
                w.Note(part.channel, root + (eighth % 4 == 3 ? 7 : 0), 105, bar + eighth * kQuarter / 2, kQuarter / 2 - 20);
            }
            break;
        case Part::Style::kArpeggio:
            for (int sixteenth = 0; sixteenth < 16; ++sixteenth) {
                w.Note(part.channel, root + chord.tones[sixteenth % 4], 75, bar + sixteenth * kQuarter / 4, kQuarter / 2);
            }
            break;
        case Part::Style::kMelody:
            for (int eighth = 0; eighth < 8; ++eighth) {
                const int step = (eighth * 3 + measure) % 4;
                w.Note(part.channel, root + chord.tones[step] + (eighth % 2 ? 2 : 0), 95, bar + eighth * kQuarter / 2, kQuarter / 2);
            }
            break;
        case Part::Style::kStab:
            for (int beat : {1, 3}) {
                for (int tone : chord.tones) w.Note(part.channel, root + tone, 110, bar + beat * kQuarter + kQuarter / 2, kQuarter / 4);
            }
            break;
    }
}

void PlayDrums(Writer& w, std::uint32_t bar, int measure) {
    constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kCrash = 49, kRide = 51, kTom = 45;
    for (int beat = 0; beat < 4; ++beat) {
        const std::uint32_t at = bar + beat * kQuarter;
        w.Note(kDrumChannel, beat % 2 == 0 ? kKick : kSnare, 115, at, kQuarter / 4);
        w.Note(kDrumChannel, kRide, 70, at, kQuarter / 4);
    }
    for (int eighth = 0; eighth < 8; ++eighth) w.Note(kDrumChannel, kClosedHat, 90, bar + eighth * kQuarter / 2, kQuarter / 8);
    if (measure % 8 == 0) w.Note(kDrumChannel, kCrash, 120, bar, kQuarter);
    if (measure % 4 == 3) {
        for (int sixteenth = 12; sixteenth < 16; ++sixteenth) w.Note(kDrumChannel, kTom, 110, bar + sixteenth * kQuarter / 4, kQuarter / 8);
    }
}

}  // namespace

std::vector<SongEvent> GenerateGmSong(int measures, bool loud) {
    Writer w(loud);
    w.Exclusive({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});  // GS reset
    const std::uint8_t level = loud ? 127 : 100;
    for (const Part& part : kBand) {
        w.Program(part.channel, part.program);
        w.Control(part.channel, 7, level);      // volume
        w.Control(part.channel, 11, loud ? 127 : 110);  // expression
        w.Control(part.channel, 10, part.pan);  // pan
        w.Control(part.channel, 91, 50);        // reverb send
        w.Control(part.channel, 93, 20);        // chorus send
    }
    w.Control(kDrumChannel, 7, level);
    w.Control(kDrumChannel, 91, 30);
    for (int measure = 0; measure < measures; ++measure) {
        const std::uint32_t bar = static_cast<std::uint32_t>(kMeasure * (measure + 1));  // one bar lead-in
        const Chord& chord = kProgression[measure % 4];
        for (const Part& part : kBand) PlayPart(w, part, bar, chord, measure);
        PlayDrums(w, bar, measure);
    }
    return w.Take();
}

std::vector<std::uint8_t> ToStandardMidiFile(const std::vector<SongEvent>& events) {
    SmfTrack track;
    track.Tempo(0, kSongTempoBpm);
    for (const SongEvent& event : events) track.Message(static_cast<int>(event.tick), event.bytes);
    return SmfFile(0, kSongTicksPerQuarter, {track});
}
