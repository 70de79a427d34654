// The part finder's pieces: what the notes of each channel measure, what
// track names say, how karaoke syllables are found, and the rules that
// decide between parts. Songs are built inline and imported from a file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/song/channel_profile.h"
#include "app/song/part_finder.h"
#include "app/song/part_names.h"
#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "platform/user_report.h"
#include "temp_folder.h"
#include "tests/import/smf_test_support.h"
#include "tone/channel_info.h"

namespace {

using smftest::Chunk;

constexpr int kQuarter = 480;

// A chunk on `channel` (1-16) named `name` (none when empty) with `program`
// (-1: none) playing `notes` one after another, each `length` ticks; a note
// of 0 is a rest.
Chunk Line(int channel, int program, const std::vector<int>& notes, int length = kQuarter, const std::string& name = "") {
    Chunk chunk;
    if (!name.empty()) chunk.Text(0, 0x03, name);
    const auto status = static_cast<std::uint8_t>(channel - 1);
    if (program >= 0) chunk.At(0, {static_cast<std::uint8_t>(0xC0 | status), static_cast<std::uint8_t>(program)});
    std::uint32_t rest = 0;
    for (const int note : notes) {
        if (note == 0) {
            rest += static_cast<std::uint32_t>(length);
            continue;
        }
        chunk.NoteOn(rest, channel - 1, note, 100).NoteOff(static_cast<std::uint32_t>(length), channel - 1, note);
        rest = 0;
    }
    return chunk.End();
}

// A chunk on `channel` playing the chords `chords`, each `length` ticks.
Chunk Chords(int channel, int program, const std::vector<std::vector<int>>& chords, int length = 4 * kQuarter) {
    Chunk chunk;
    const auto status = static_cast<std::uint8_t>(channel - 1);
    if (program >= 0) chunk.At(0, {static_cast<std::uint8_t>(0xC0 | status), static_cast<std::uint8_t>(program)});
    for (const std::vector<int>& chord : chords) {
        for (const int note : chord) chunk.NoteOn(0, channel - 1, note, 90);
        bool first = true;
        for (const int note : chord) {
            chunk.NoteOff(first ? static_cast<std::uint32_t>(length) : 0, channel - 1, note);
            first = false;
        }
    }
    return chunk.End();
}

std::vector<int> Repeat(const std::vector<int>& notes, int times) {
    std::vector<int> all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), notes.begin(), notes.end());
    return all;
}

std::vector<int> Shifted(std::vector<int> notes, int semitones) {
    for (int& note : notes) note = note == 0 ? 0 : note + semitones;
    return notes;
}

class PartFinderTest : public testing::Test {
protected:
    // Imports `chunks` (after a tempo chunk) and runs the channel
    // information, the profile and the finder on them.
    void Open(std::vector<Chunk> chunks) {
        Chunk tempo;
        tempo.Tempo(0, 500000).End();
        chunks.insert(chunks.begin(), tempo);
        const smftest::Bytes bytes = smftest::Smf(1, kQuarter, chunks);
        const std::string path = dir.path() + "/song.mid";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        CollectingReport report;
        load = LoadMidiFile(path, song, report);
        ASSERT_EQ(load.result, 0);
        ResetSongOptions(options);
        ChannelInfoPass(song, options, nullptr);
        profile = ProfileSong(song, options.drumChannel, load.karaokeTicks);
        FindParts(profile, options);
    }
    const ChannelProfile& Channel(int channel) const { return profile.channels[channel - 1]; }
    std::vector<int> Taken(int part) const {
        std::vector<int> channels;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if ((options.partChannels[part] >> channel) & 1) channels.push_back(channel + 1);
        }
        return channels;
    }

    TempFolder dir;
    SongContainer song{1};
    MidiFileLoad load;
    SongOptions options;
    SongProfile profile;
};

constexpr int kFlute = 73;
constexpr int kStrings = 48;
constexpr int kFingeredBass = 33;
constexpr int kCleanGuitar = 27;
constexpr int kHarpsichord = 6;

TEST_F(PartFinderTest, ProfilesRegisterSingleNotesVoicesCoverageAndDoublings) {
    const std::vector<int> tune = Repeat({72, 74, 76, 77}, 4);
    const std::vector<int> bass = Repeat({41, 43, 36, 38}, 4);
    Open({Line(1, kFlute, tune), Chords(2, kStrings, {{60, 64, 67}, {60, 65, 69}, {59, 62, 67}, {60, 64, 67}}),
          Line(3, kFingeredBass, bass), Line(4, kStrings, Shifted(bass, 12)), Line(5, kFlute, {79, 79, 79, 79})});
    EXPECT_EQ(Channel(1).notes, 16);
    EXPECT_EQ(Channel(1).median, 76);
    EXPECT_EQ(Channel(3).low, 36);
    EXPECT_EQ(Channel(3).high, 43);
    EXPECT_DOUBLE_EQ(Channel(1).monophony, 1.0);
    EXPECT_DOUBLE_EQ(Channel(2).monophony, 0.0);
    EXPECT_DOUBLE_EQ(Channel(3).bottomShare, 1.0);
    EXPECT_DOUBLE_EQ(Channel(1).topShare, 0.75);  // channel 5 is above it in the first measure
    EXPECT_DOUBLE_EQ(Channel(5).topShare, 1.0);
    EXPECT_DOUBLE_EQ(Channel(5).coverage, 0.25);  // one measure of four
    EXPECT_DOUBLE_EQ(Channel(1).coverage, 1.0);
    EXPECT_DOUBLE_EQ(Channel(4).doubles[2], 1.0);  // the strings start every note with the bass's, an octave up
    EXPECT_DOUBLE_EQ(Channel(3).doubles[3], 1.0);
    EXPECT_DOUBLE_EQ(Channel(1).doubles[2], 0.0);
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{3, 4}));
    EXPECT_EQ(options.partReason[2], "bass instrument, median F2");
    EXPECT_EQ(options.partReason[3], "doubles channel 3");
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{1}));
    EXPECT_EQ(options.partReason[0], "top line, median E5");
}

TEST_F(PartFinderTest, KaraokeSyllablesCountOnlyInAFileWithKaraokeMarks) {
    Chunk words;
    words.Text(0, 0x01, "@KMIDI KARAOKE FILE").Text(0, 0x01, "\\Row").Text(kQuarter, 0x01, "row").Text(kQuarter, 0x01, "/row");
    Open({words.End(), Line(1, kFlute, {60, 60, 60})});
    EXPECT_EQ(load.karaokeTicks, (std::vector<int>{0, kQuarter, 2 * kQuarter}));
    EXPECT_EQ(profile.lyrics, 3);
    EXPECT_EQ(Channel(1).sung, 3);

    Chunk notes;
    notes.Text(0, 0x01, "Copyright 1999").Text(kQuarter, 0x01, "a remark");
    Open({notes.End(), Line(1, kFlute, {60, 60, 60})});
    EXPECT_TRUE(load.karaokeTicks.empty());
}

TEST(PartNames, SayWhichPartATrackPlaysByWholeWordsInEnglishAndJapanese) {
    const std::vector<std::pair<std::string, NamedPart>> names = {
        {"Drums", NamedPart::kDrums},       {"Bass Drum", NamedPart::kDrums},    {"drum kit", NamedPart::kDrums},
        {"PERC", NamedPart::kDrums},        {"\xE3\x83\x89\xE3\x83\xA9\xE3\x83\xA0", NamedPart::kDrums},  // ドラム
        {"Fretless Bass", NamedPart::kBass}, {"Contrabasso", NamedPart::kNone}, {"basso", NamedPart::kBass},
        {"\x83\x78\x81\x5B\x83\x58", NamedPart::kBass},                                                   // ベース, Shift_JIS
        {"Bassoon", NamedPart::kNone},      {"Rhythm Guitar", NamedPart::kGuitar}, {"Gtr 2", NamedPart::kGuitar},
        {"Bass Guitar", NamedPart::kBass},  {"Guitarron", NamedPart::kNone},   {"Piano", NamedPart::kNone}};
    for (const auto& [name, part] : names) EXPECT_EQ(OtherPartNamed(name), part) << name;
    EXPECT_EQ(MelodyNameStrength("Solo-Right"), 2);
    EXPECT_EQ(ChoirVoiceLetter("S"), 'S');
    EXPECT_EQ(ChoirVoiceLetter("b:"), 'B');
    EXPECT_EQ(ChoirVoiceLetter("Bass"), 0);
    EXPECT_EQ(ChoirVoiceLetter("X"), 0);
}

TEST_F(PartFinderTest, AChoirScoreNamesItsSopranoAndBassByLetter) {
    const Chunk soprano = Line(1, 52, Repeat({72, 74}, 4), kQuarter, "S");
    const Chunk alto = Line(2, 52, Repeat({67, 69}, 4), kQuarter, "A");
    const Chunk bass = Line(4, 52, Repeat({48, 50}, 4), kQuarter, "B");
    Open({soprano, alto, bass});
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{1}));
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{4}));
    EXPECT_EQ(options.partReason[3], "named \"B\"");
}

TEST_F(PartFinderTest, AGuitarJoinsTheBassOnlyAsANoteForNoteCopy) {
    const std::vector<int> bass = Repeat({40, 40, 43, 45}, 4);
    std::vector<int> riff = Shifted(bass, 12);
    riff[3] = riff[7] = riff[11] = riff[15] = 0;  // the guitar leaves out every fourth note
    riff.insert(riff.end(), {64, 67, 69, 71, 72});  // and plays on alone
    Open({Line(1, kFlute, Repeat({76, 79}, 8)), Line(2, kFingeredBass, bass), Line(5, kCleanGuitar, riff)});
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{2}));
    EXPECT_EQ(Taken(PartKind::kGuitar), (std::vector<int>{5}));
    Open({Line(1, kFlute, Repeat({76, 79}, 8)), Line(2, kFingeredBass, bass), Line(5, kCleanGuitar, Shifted(bass, 12))});
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{2, 5}));
    EXPECT_EQ(Taken(PartKind::kGuitar), (std::vector<int>{}));
}

TEST_F(PartFinderTest, AKeyboardPiecesHandsAreNoMelodyAndNoBass) {
    const std::vector<int> right = Repeat({72, 74, 76, 77}, 4);
    const std::vector<int> left = Repeat({36, 43, 40, 43}, 4);
    Open({Line(1, kHarpsichord, right), Line(2, kHarpsichord, left)});
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{}));
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{}));
    // The same lines on a flute and a cello are a tune and a bass line.
    Open({Line(1, kFlute, right), Line(2, 42, left)});
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{1}));
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{2}));
    EXPECT_EQ(options.partReason[1], "lowest line, median G2");
}

TEST_F(PartFinderTest, AnUpperPartInChordsIsTheMelodyOnlyInABandWithDrums) {
    const std::vector<std::vector<int>> lead = {{72, 76}, {74}, {76, 79}, {77}};
    std::vector<std::vector<int>> chords;
    for (int i = 0; i < 4; ++i) chords.insert(chords.end(), lead.begin(), lead.end());
    const std::vector<int> bass = Repeat({36, 38, 40, 41}, 4);
    Open({Chords(1, 0, chords, kQuarter), Line(2, kFingeredBass, bass)});
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{}));
    Open({Chords(1, 0, chords, kQuarter), Line(2, kFingeredBass, bass), Line(10, -1, Repeat({36, 38}, 8))});
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{1}));
    EXPECT_EQ(options.partReason[0], "top part, median E5");
}

TEST_F(PartFinderTest, ALowLineUnderAHeldChordPadIsTheBassButALineMostlyOnTopIsNot) {
    constexpr int kOrgan = 16;
    constexpr int kHarp = 46;
    constexpr int kPizzicato = 45;
    // Organ chords on C3 sit above the harp's line only now and then: the
    // harp is the lowest of the lines that play, and the bass.
    const std::vector<std::vector<int>> pad = {{48, 52, 55}, {48, 53, 57}, {47, 50, 55}, {48, 52, 55}};
    Open({Chords(1, kOrgan, pad), Line(3, kHarp, Repeat({52, 50, 53, 43}, 4)), Line(5, kFlute, Repeat({72, 74, 76, 77}, 4))});
    EXPECT_LT(Channel(3).bottomShare, 0.5);
    EXPECT_DOUBLE_EQ(Channel(3).lineBottomShare, 1.0);
    EXPECT_DOUBLE_EQ(Channel(1).lineBottomShare, Channel(1).bottomShare);  // a chord pad is measured as before
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{3}));
    EXPECT_EQ(options.partReason[2], "lowest line, median E3");
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{5}));

    // A piano line leaping across two registers over low held chords is the
    // top voice: the tune, not a bass.
    const std::vector<std::vector<int>> low = {{28, 31}, {28, 31}, {26, 33}, {28, 31}};
    Open({Line(1, 0, Repeat({57, 40, 55, 38}, 4)), Chords(2, kPizzicato, low)});
    EXPECT_DOUBLE_EQ(Channel(1).lineBottomShare, 1.0);
    EXPECT_EQ(Taken(PartKind::kBass), (std::vector<int>{}));
    EXPECT_EQ(Taken(PartKind::kMelody), (std::vector<int>{1}));
}

}  // namespace
