// The example arrangements. Each starts with a set-up measure (GS reset,
// rhythm-part message, programs and mixer controls) before the music.
#include "tools/examplegen/songs.h"

#include <map>
#include <string_view>

#include "tools/examplegen/arranger.h"

namespace {

constexpr int kDivision = kTicksPerQuarter;
constexpr int kDrums = 10, kBass = 2, kMelody = 4, kPercussion = 11;
constexpr int kTrackNameMeta = 0x03, kCopyrightMeta = 0x02;

struct PartSetup {
    int channel;
    int program;  // 0-based General MIDI program
    int volume;
    int pan;
    std::string_view name;
};

// A song under construction: a conductor track and one track per part, or
// everything in one track for format 0.
class SongBuilder {
public:
    SongBuilder(bool formatZero, std::string_view title, const std::vector<PartSetup>& parts, int measureTicks)
        : formatZero_(formatZero), tracks_(formatZero ? 1 : parts.size() + 1) {
        SmfTrack& conductor = tracks_[0];
        conductor.Meta(0, kTrackNameMeta, title);
        conductor.Meta(0, kCopyrightMeta, "Example song of Ombrix Converter");
        conductor.Exclusive(0, GsReset());
        conductor.Exclusive(kDivision / 8, GsRhythmPart(kPercussion));
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const PartSetup& part = parts[i];
            index_[part.channel] = formatZero ? 0 : i + 1;
            SmfTrack& track = Part(part.channel);
            if (!formatZero) track.Meta(0, kTrackNameMeta, part.name);
            track.ProgramChange(kDivision / 4, part.channel, part.program);
            track.ControlChange(kDivision / 4, part.channel, 7, part.volume);
            track.ControlChange(kDivision / 4, part.channel, 10, part.pan);
            track.ControlChange(kDivision / 4, part.channel, 91, 40);
        }
        start_ = measureTicks;
    }

    SmfTrack& Conductor() { return tracks_[0]; }
    SmfTrack& Part(int channel) { return tracks_[index_.at(channel)]; }
    // Tick of the start of measure `m` of the music (1-based, after set-up).
    int Measure(int m, int measureTicks) const { return start_ + (m - 1) * measureTicks; }
    Bytes Build() const { return SmfFile(formatZero_ ? 0 : 1, kDivision, tracks_); }

private:
    bool formatZero_;
    std::vector<SmfTrack> tracks_;
    std::map<int, std::size_t> index_;
    int start_ = 0;
};

// A waltz in C: 3/4, format 1, slowing down in its last phrase.
ExampleSong MorningWaltz() {
    constexpr int bar = 3 * kTicksPerQuarter;
    SongBuilder song(false, "Morning Waltz",
                     {{kDrums, 0, 90, 64, "Drums"}, {kBass, 32, 100, 60, "Bass"}, {3, 24, 85, 80, "Guitar"},
                      {kMelody, 73, 105, 56, "Flute"}, {kPercussion, 0, 70, 90, "Shaker"}},
                     bar);
    SmfTrack& conductor = song.Conductor();
    conductor.TimeSignature(0, 3, 4);
    conductor.KeySignature(0, 0, false);
    conductor.Tempo(0, 104);
    conductor.Tempo(song.Measure(13, bar), 96);
    conductor.Tempo(song.Measure(16, bar), 84);

    const char* chords[] = {"C", "F", "G", "C", "Am", "Dm", "G", "C", "F", "C", "Dm", "G", "C", "F", "G", "C"};
    for (int m = 1; m <= 16; ++m) {
        const int t = song.Measure(m, bar);
        const char* chord = chords[m - 1];
        song.Part(kBass).Note(t, kBass, ChordRoot(chord, 2), 96, bar * 3 / 5);
        if (m % 2 == 0) song.Part(kBass).Note(t + 2 * kTicksPerQuarter, kBass, ChordRoot(chord, 2) + 7, 80, 420);
        for (int beat = 1; beat <= 2 && m < 16; ++beat) {
            for (int key : ChordKeys(chord, 4)) song.Part(3).Note(t + beat * kTicksPerQuarter, 3, key, 64, 400);
        }
        song.Part(kDrums).Note(t, kDrums, Drum::kKick, 100, 120);
        if (m == 1 || m == 13) song.Part(kDrums).Note(t, kDrums, Drum::kCrash, 90, 240);
        for (int beat = 1; beat <= 2 && m < 16; ++beat) {
            song.Part(kDrums).Note(t + beat * kTicksPerQuarter, kDrums, Drum::kClosedHat, 60, 120);
            song.Part(kPercussion).Note(t + beat * kTicksPerQuarter, kPercussion, Drum::kMaracas, 50, 120);
        }
    }
    Melody(song.Part(kMelody), kMelody, song.Measure(1, bar),
           "E5h G5q A5h G5q F5q E5q D5q E5h. C5q E5q A5q G5h F5q E5q D5q B4q C5h. "
           "A4q C5q F5q E5h C5q D5q F5q A5q G5h. E5h G5q A5q G5q F5q E5q D5q B4q C5h.",
           {"Sun", "light ", "gold", "en ", "on ", "the ", "hill", "side ",
            "qui", "et ", "ri", "ver ", "sings ", "a", "long ", "the ", "way ",
            "dan", "cing ", "branch", "es ", "sway ", "a", "round ", "the ", "bend ",
            "sing ", "it ", "a", "gain ", "as ", "the ", "mor", "ning ", "ends"});
    return {"MorningWaltz.mid", song.Build()};
}

// A jig in D: 6/8, format 0 (one track), speeding up for its last phrase.
ExampleSong HarborJig() {
    constexpr int bar = 6 * kTicksPerQuarter / 2;
    constexpr int eighth = kTicksPerQuarter / 2;
    SongBuilder song(true, "Harbor Jig",
                     {{kDrums, 0, 85, 64, "Drums"}, {kBass, 33, 100, 64, "Bass"}, {5, 25, 80, 40, "Guitar"},
                      {kMelody, 110, 105, 88, "Fiddle"}, {kPercussion, 0, 70, 100, "Tambourine"}},
                     bar);
    SmfTrack& conductor = song.Conductor();
    conductor.TimeSignature(0, 6, 8);
    conductor.KeySignature(0, 2, false);
    conductor.Tempo(0, 150);
    conductor.Tempo(song.Measure(9, bar), 165);

    const char* chords[] = {"D", "D", "G", "A", "D", "G", "A", "D", "Bm", "G", "A", "D"};
    for (int m = 1; m <= 12; ++m) {
        const int t = song.Measure(m, bar);
        const char* chord = chords[m - 1];
        const bool last = m == 12;
        song.Part(kBass).Note(t, kBass, ChordRoot(chord, 2), 100, last ? bar : 3 * eighth - 40);
        if (!last) song.Part(kBass).Note(t + 3 * eighth, kBass, ChordRoot(chord, 2) + 7, 85, 3 * eighth - 40);
        for (int step : {0, 2, 3, 5}) {
            if (last && step > 0) break;
            for (int key : ChordKeys(chord, 4)) song.Part(5).Note(t + step * eighth, 5, key, step == 0 ? 76 : 60, 200);
        }
        song.Part(kDrums).Note(t, kDrums, Drum::kKick, 100, 120);
        if (last) {
            song.Part(kDrums).Note(t, kDrums, Drum::kCrash, 95, 480);
            continue;
        }
        song.Part(kDrums).Note(t + 3 * eighth, kDrums, Drum::kKick, 85, 120);
        song.Part(kDrums).Note(t + 2 * eighth, kDrums, Drum::kSideStick, 70, 120);
        song.Part(kDrums).Note(t + 5 * eighth, kDrums, Drum::kSideStick, 70, 120);
        for (int step = 0; step < 6; ++step) {
            song.Part(kDrums).Note(t + step * eighth, kDrums, Drum::kClosedHat, step % 3 == 0 ? 60 : 40, 100);
        }
        song.Part(kPercussion).Note(t + 3 * eighth, kPercussion, Drum::kTambourine, 60, 120);
    }
    Melody(song.Part(kMelody), kMelody, song.Measure(1, bar),
           "D5e F#5e A5e A5e F#5e A5e D6e A5e F#5e D5q. B5e G5e B5e D6e B5e G5e A5e E5e C#5e A4q. "
           "F#5e A5e D6e F#5e A5e D6e G5e B5e D6e B5q G5e E5e A5e C#6e E6q C#6e D6q. rq. "
           "B5e F#5e D5e B4e D5e F#5e G5e B5e D6e G5q. A5e C#6e E6e A5e G5e E5e D5h.",
           {"Hey, ", "ho, ", "the ", "boats ", "are ", "com", "ing ", "in ", "to", "day ",
            "sails ", "are ", "full ", "and ", "the ", "wind ", "is ", "blow", "ing ", "strong"});
    return {"HarborJig.mid", song.Build()};
}

// A twelve-bar shuffle in A: 4/4, format 1, with an upper-case extension.
ExampleSong CityShuffle() {
    constexpr int bar = 4 * kTicksPerQuarter;
    constexpr int swing = kTicksPerQuarter * 2 / 3;
    SongBuilder song(false, "City Shuffle",
                     {{kDrums, 0, 90, 64, "Drums"}, {kBass, 34, 100, 64, "Bass"}, {6, 27, 80, 30, "Guitar"},
                      {kMelody, 65, 100, 84, "Alto Sax"}, {kPercussion, 0, 70, 96, "Claps"}},
                     bar);
    SmfTrack& conductor = song.Conductor();
    conductor.TimeSignature(0, 4, 4);
    conductor.KeySignature(0, 3, false);
    conductor.Tempo(0, 116);
    conductor.Tempo(song.Measure(9, bar), 124);

    const char* chords[] = {"A7", "A7", "A7", "A7", "D7", "D7", "A7", "A7", "E7", "D7", "A7", "E7", "A7"};
    const int walk[4] = {0, 4, 7, 9};
    for (int m = 1; m <= 13; ++m) {
        const int t = song.Measure(m, bar);
        const char* chord = chords[m - 1];
        const bool last = m == 13;
        const int root = ChordRoot(chord, chord[0] == 'E' ? 1 : 2);
        for (int beat = 0; beat < 4 && !last; ++beat) {
            song.Part(kBass).Note(t + beat * kTicksPerQuarter, kBass, root + walk[beat], 96, 400);
            song.Part(kDrums).Note(t + beat * kTicksPerQuarter, kDrums, beat % 2 ? Drum::kSnare : Drum::kKick, 95, 120);
            song.Part(kDrums).Note(t + beat * kTicksPerQuarter, kDrums, Drum::kRide, 70, 120);
            song.Part(kDrums).Note(t + beat * kTicksPerQuarter + swing, kDrums, Drum::kRide, 50, 100);
            if (beat % 2) {
                for (int key : ChordKeys(chord, 4)) song.Part(6).Note(t + beat * kTicksPerQuarter, 6, key, 70, 300);
                if (m >= 9) song.Part(kPercussion).Note(t + beat * kTicksPerQuarter, kPercussion, Drum::kClap, 55, 120);
            }
        }
        if (last) {
            song.Part(kBass).Note(t, kBass, root, 100, bar);
            for (int key : ChordKeys(chord, 4)) song.Part(6).Note(t, 6, key, 80, bar);
            song.Part(kDrums).Note(t, kDrums, Drum::kKick, 100, 120);
            song.Part(kDrums).Note(t, kDrums, Drum::kCrash, 100, 480);
        }
    }
    const char* riff[] = {"A4u C#5t E5u G5t A5q rq", "D5u F#5t A5u C6t D6q rq", "E5u G#5t B5u D6t E6q rq"};
    const char* bars[] = {riff[0], riff[0], riff[0], "E5q C#5q A4h", riff[1], riff[1], riff[0], "C6q A5q E5h",
                          riff[2], riff[1], "A5q E5q C5q A4q", "B4q D5q E5h", "A5w"};
    const std::vector<std::vector<std::string_view>> words = {
        {"Walk", "ing ", "down ", "the ", "street, "}, {"lights ", "are ", "shin", "ing ", "bright, "}, {}, {},
        {"fee", "ling ", "right ", "to", "night, "}, {}, {}, {}, {"e", "ve", "ry", "bo", "dy "}};
    for (int m = 1; m <= 13; ++m) {
        const std::vector<std::string_view> lyric = m <= static_cast<int>(words.size()) ? words[m - 1] : std::vector<std::string_view>{};
        Melody(song.Part(kMelody), kMelody, song.Measure(m, bar), bars[m - 1], lyric, 88);
    }
    return {"CityShuffle.MID", song.Build()};
}

}  // namespace

std::vector<ExampleSong> ExampleSongs() { return {MorningWaltz(), HarborJig(), CityShuffle()}; }
