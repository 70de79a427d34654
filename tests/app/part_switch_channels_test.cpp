// Which channels the part switches take on everyday songs: BASS by its name,
// its instrument or the lowest line, MELODY by its name, the words sung on
// its notes or the top line, both with the channels that double them, DRUMS
// also on channel 16; and VOLUME DOWN on a channel that sets no volume of its
// own. Songs are built inline and converted through the test module.
#include <algorithm>
#include <tuple>

#include "app/options/channel_listing.h"
#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "app/song/part_names.h"
#include "app/song/switch_board.h"
#include "module_fixture.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"

namespace {

using smftest::Chunk;

// One part of a test song: its channel (1-16), program (-1: none), track name and note.
struct Part {
    int channel;
    int program;
    std::string name;
    int note = 60;
};

// A format-1 song at 120 BPM: each part one chunk with its name, its program
// and one quarter note, all starting together.
smftest::Bytes Band(const std::vector<Part>& parts) {
    std::vector<Chunk> chunks(1);
    chunks[0].Tempo(0, 500000).End();
    for (const Part& part : parts) {
        Chunk chunk;
        if (!part.name.empty()) chunk.Text(0, 0x03, part.name);
        const auto status = static_cast<std::uint8_t>(part.channel - 1);
        if (part.program >= 0) chunk.At(0, {static_cast<std::uint8_t>(0xC0 | status), static_cast<std::uint8_t>(part.program)});
        chunk.NoteOn(0, part.channel - 1, part.note, 100).NoteOff(480, part.channel - 1, part.note).End();
        chunks.push_back(chunk);
    }
    return smftest::Smf(1, 480, chunks);
}

constexpr int kAcousticGrandPiano = 0;
constexpr int kCleanGuitar = 27;
constexpr int kFingeredBass = 33;
constexpr int kClarinet = 71;
constexpr int kStrings = 48;
constexpr int kE2 = 40;

// A chunk on `channel` (1-16) named `name` (none when empty) with `program`
// (-1: none) playing `notes` one after another, each `length` ticks long.
Chunk Line(int channel, const std::string& name, int program, const std::vector<int>& notes, int length = 480) {
    Chunk chunk;
    if (!name.empty()) chunk.Text(0, 0x03, name);
    const auto status = static_cast<std::uint8_t>(channel - 1);
    if (program >= 0) chunk.At(0, {static_cast<std::uint8_t>(0xC0 | status), static_cast<std::uint8_t>(program)});
    for (const int note : notes) chunk.NoteOn(0, channel - 1, note, 100).NoteOff(static_cast<std::uint32_t>(length), channel - 1, note);
    return chunk.End();
}

// `notes` repeated `times` times.
std::vector<int> Repeat(const std::vector<int>& notes, int times) {
    std::vector<int> all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), notes.begin(), notes.end());
    return all;
}

smftest::Bytes Song(std::vector<Chunk> chunks) {
    Chunk tempo;
    tempo.Tempo(0, 500000).End();
    chunks.insert(chunks.begin(), tempo);
    return smftest::Smf(1, 480, chunks);
}

class PartSwitchChannels : public ModuleTest {
protected:
    // The channels (1-16) that the part switch `id` takes in `song`.
    std::vector<int> Taken(const smftest::Bytes& song, int id) {
        Open(WriteSong("song.mid", song));
        std::vector<int> channels;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            const std::vector<int> parts = PartSwitchesOfChannel(dlg.m_songOptions, channel);
            if (std::find(parts.begin(), parts.end(), id) != parts.end()) channels.push_back(channel + 1);
        }
        return channels;
    }

    // Converts `song` with the options of `arguments`; returns the module's calls.
    std::vector<QnsTestCall> Convert(const smftest::Bytes& song, std::vector<std::string> arguments) {
        arguments.push_back("song.mid");
        const ParsedCommandLine parsed = ParseOptionCommandLine(arguments);
        EXPECT_EQ(parsed.error, "");
        Open(WriteSong("song.mid", song));
        ApplyRequestedOptions(parsed.request, dlg.m_songOptions);
        probe->Reset();
        HeadlessConversionUi ui;
        CollectingReport report;
        ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/song.wav", ui, report);
        EXPECT_TRUE(report.lines.empty());
        return probe->Calls();
    }

    // The short messages sent on `channel` (1-16), as "status data1 data2" numbers, in order.
    static std::vector<std::uint32_t> ChannelMessages(const std::vector<QnsTestCall>& calls, int channel) {
        std::vector<std::uint32_t> messages;
        for (const QnsTestCall& call : calls) {
            if (call.function == QNSTEST_SEND_SHORT && (call.message & 0x0F) == static_cast<std::uint32_t>(channel - 1))
                messages.push_back(call.message & 0xFFFFFF);
        }
        return messages;
    }
};

TEST_F(PartSwitchChannels, BassTakesTheBassInstrumentAndGuitarTheGuitarBesideIt) {
    const auto song = Band({{1, kAcousticGrandPiano, ""}, {2, kCleanGuitar, ""}, {3, kFingeredBass, "", kE2}, {4, kAcousticGrandPiano, ""}});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{3}));
    EXPECT_EQ(Taken(song, SwitchId::kGuitar), (std::vector<int>{2}));
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{4}));
}

TEST_F(PartSwitchChannels, ABassOnChannel4IsNoMelodyAndAClarinetOnChannel2NoBass) {
    const auto song = Band({{2, kClarinet, ""}, {4, kFingeredBass, "", kE2}});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{4}));
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{2}));  // the clarinet plays on top
    const auto calls = Convert(song, {"--no-precount", "--minus", "bass"});
    EXPECT_TRUE(ChannelMessages(calls, 4).empty());
    EXPECT_FALSE(ChannelMessages(calls, 2).empty());
}

TEST_F(PartSwitchChannels, ABassOnChannel2ConvertsExactlyAsChannel2Muted) {
    const auto song = Band({{1, kAcousticGrandPiano, ""}, {2, kFingeredBass, "", kE2}, {4, kClarinet, ""}, {10, 0, ""}});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{2}));
    const auto removed = Convert(song, {"--minus", "bass"});
    const std::string removedWav = ReadFileBytes(dir.path() + "/song.wav");
    const auto muted = Convert(song, {"--mute", "2"});
    EXPECT_EQ(removed.size(), muted.size());
    EXPECT_TRUE(std::equal(removed.begin(), removed.end(), muted.begin(), muted.end(), [](const QnsTestCall& a, const QnsTestCall& b) {
        return a.function == b.function && a.message == b.message && a.block == b.block;
    }));
    EXPECT_EQ(removedWav, ReadFileBytes(dir.path() + "/song.wav"));
}

TEST_F(PartSwitchChannels, WithoutALowLineBassTakesNothingAndIsUnavailable) {
    const auto song = Band({{1, kAcousticGrandPiano, ""}, {2, kAcousticGrandPiano, ""}, {3, kClarinet, ""}});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{}));
    EXPECT_FALSE(PartRemovesSomething(dlg.m_songOptions, SwitchId::kBass));
}

TEST_F(PartSwitchChannels, BassLeavesAMelodyOnChannel2Sounding) {
    // Channel 2 plays the tune, channel 1 a piano's chords below it: the
    // song has no bass line, and --minus bass removes nothing.
    Chunk chords;
    chords.At(0, {0xC0, 0});
    for (int bar = 0; bar < 4; ++bar) {
        chords.NoteOn(0, 0, 48, 80).NoteOn(0, 0, 52, 80).NoteOn(0, 0, 55, 80);
        chords.NoteOff(1920, 0, 48).NoteOff(0, 0, 52).NoteOff(0, 0, 55);
    }
    const auto song = Song({chords.End(), Line(2, "", kClarinet, Repeat({72, 74, 76, 77}, 4))});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{}));
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{2}));
    const auto calls = Convert(song, {"--no-precount", "--minus", "bass"});
    EXPECT_EQ(ChannelMessages(calls, 2).size(), ChannelMessages(Convert(song, {"--no-precount"}), 2).size());
    ConversionRequest request;
    request.removedParts = {SwitchId::kBass};
    EXPECT_EQ(PartsNotFound(request, dlg.m_songOptions), (std::vector<int>{SwitchId::kBass}));
}

TEST_F(PartSwitchChannels, BassTakesATrackNamedBassOnAPianoProgramAndWhatDoublesIt) {
    // "Bass" plays on a piano program; strings double it an octave up; a
    // cello-like line in the same register plays other notes.
    const std::vector<int> bass = Repeat({40, 43, 45, 47}, 4);
    std::vector<int> octaveUp;
    for (const int note : bass) octaveUp.push_back(note + 12);
    const auto song = Song({Line(3, "Bass", kAcousticGrandPiano, bass), Line(7, "Strings", kStrings, octaveUp),
                            Line(5, "Cello", kStrings, Repeat({50, 48}, 8)), Line(1, "Flute", 73, Repeat({72, 76}, 8))});
    EXPECT_EQ(Taken(song, SwitchId::kBass), (std::vector<int>{3, 7}));
    const std::vector<std::string> lines = ChannelListing(dlg.m_songOptions);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "3\t-\tbass\t\tnamed \"Bass\""), lines.end());
    // Without a tone library the program changes name nothing.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "7\t-\tbass\t\tdoubles channel 3"), lines.end());
}

TEST_F(PartSwitchChannels, OfTwoTracksNamedMelodyTheOneWithMoreNotesWins) {
    const auto song = Song({Line(5, "Melody", kClarinet, {72, 74}), Line(6, "Melody", kClarinet, Repeat({60, 64, 67, 72}, 4)),
                            Line(2, "", kFingeredBass, Repeat({kE2}, 16))});
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{6}));
}

TEST_F(PartSwitchChannels, MelodyOfAKaraokeFileIsTheChannelItsTextSyllablesFallOn) {
    // A .kar file: "@" header lines, then the words as text events (FF 01)
    // with "\" and "/" marks, on the notes of channel 3; channel 1 plays a
    // higher counter-line the words do not follow.
    Chunk words;
    words.Text(0, 0x01, "@KMIDI KARAOKE FILE").Text(0, 0x01, "@TA song");
    const char* syllables[] = {"\\Twin", "kle", "twin", "kle", "/lit", "tle", "star", "how", "/I", "won", "der"};
    for (const char* syllable : syllables) words.Text(480, 0x01, syllable);
    std::vector<int> sung = {60, 60, 67, 67, 69, 69, 67, 65, 65, 64, 64};
    Chunk sungLine;
    sungLine.NoteOn(480, 2, sung[0], 100);
    for (std::size_t i = 1; i < sung.size(); ++i) sungLine.NoteOff(480, 2, sung[i - 1]).NoteOn(0, 2, sung[i], 100);
    sungLine.NoteOff(480, 2, sung.back()).End();
    const auto song = Song({words.End(), sungLine, Line(1, "", kClarinet, Repeat({79, 81, 83}, 4), 400)});
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{3}));
    EXPECT_EQ(dlg.m_songOptions.partReason[2], "lyrics");
}

TEST_F(PartSwitchChannels, ADrumKitOnChannel16IsPartOfTheDrums) {
    Chunk kit;
    for (int beat = 0; beat < 16; ++beat) {
        kit.NoteOn(0, 15, beat % 2 == 0 ? 36 : 38, 100).NoteOn(0, 15, 42, 90);
        kit.NoteOff(240, 15, beat % 2 == 0 ? 36 : 38).NoteOff(0, 15, 42).NoteOn(0, 15, 42, 70).NoteOff(240, 15, 42);
    }
    const auto song = Song({Line(1, "", kClarinet, Repeat({72, 74}, 8)), kit.End()});
    EXPECT_EQ(Taken(song, SwitchId::kDrums), (std::vector<int>{10, 16}));
    EXPECT_EQ(dlg.m_songOptions.drumChannel[15], 1);
    EXPECT_EQ(dlg.m_songOptions.partReason[15], "drum notes");
    // A bass line on channel 16 stays a bass.
    const auto bassSong = Song({Line(1, "", kClarinet, Repeat({72, 74}, 8)), Line(16, "", kFingeredBass, Repeat({36, 38, 40, 42}, 4))});
    EXPECT_EQ(Taken(bassSong, SwitchId::kDrums), (std::vector<int>{}));
    EXPECT_EQ(Taken(bassSong, SwitchId::kBass), (std::vector<int>{16}));
}

TEST_F(PartSwitchChannels, MelodyTakesTheTrackNamedMelody) {
    const auto song = Band({{1, kAcousticGrandPiano, "Piano"}, {4, kClarinet, "Strings"}, {6, kClarinet, "Melody"}});
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{6}));
    const auto calls = Convert(song, {"--no-precount", "--minus", "melody"});
    EXPECT_TRUE(ChannelMessages(calls, 6).empty());
    EXPECT_FALSE(ChannelMessages(calls, 4).empty());
}

TEST_F(PartSwitchChannels, MelodyFallsBackToChannel4WhenNoTrackIsNamedSo) {
    const auto song = Band({{1, kAcousticGrandPiano, "Piano"}, {4, kClarinet, "Clarinet"}, {6, kClarinet, "Back Vocal"}});
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{4}));
}

TEST_F(PartSwitchChannels, MelodyPrefersTheMelodyOverAVoiceOverALead) {
    const auto song = Band({{3, kClarinet, "Synth Lead"}, {5, kClarinet, "Vocal"}, {7, kClarinet, "\x83\x81\x83\x8D\x83\x66\x83\x42"}});
    EXPECT_EQ(Taken(song, SwitchId::kMelody), (std::vector<int>{7}));  // "メロディ" in Shift_JIS
}

TEST_F(PartSwitchChannels, MelodyOfAKaraokeSongIsTheChannelItsLyricsAreSungOn) {
    // Channel 3 sings a lyric on each of its four notes; channel 1 plays
    // one long chord under them.
    std::vector<Chunk> chunks(3);
    chunks[0].Tempo(0, 500000).End();
    chunks[1].NoteOn(0, 0, 48, 100).NoteOff(1920, 0, 48).End();
    for (const char* syllable : {"la", "la", "lu", "la"})
        chunks[2].Text(0, 0x05, syllable).NoteOn(0, 2, 72, 100).NoteOff(480, 2, 72);
    chunks[2].End();
    EXPECT_EQ(Taken(smftest::Smf(1, 480, chunks), SwitchId::kMelody), (std::vector<int>{3}));
}

TEST_F(PartSwitchChannels, ListingShowsThePartEachChannelBelongsTo) {
    Open(WriteSong("song.mid", Band({{2, kCleanGuitar, ""}, {3, kFingeredBass, "", kE2}, {6, kClarinet, "Melody"}})));
    const std::vector<std::string> lines = ChannelListing(dlg.m_songOptions);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with("2\t-\tguitar\t")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("3\t-\tbass\t")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("6\t-\tmelody\t")) << lines[2];
}

TEST_F(PartSwitchChannels, VolumeDownStartsAChannelWithoutVolumeAtHalfTheDefault) {
    const auto song = Band({{1, kAcousticGrandPiano, ""}, {3, kFingeredBass, ""}});
    const auto calls = Convert(song, {"--no-precount", "--volume-down", "3"});
    const std::vector<std::uint32_t> messages = ChannelMessages(calls, 3);
    const auto volume = std::find(messages.begin(), messages.end(), 0xB2u | (7u << 8) | (50u << 16));
    const auto note = std::find_if(messages.begin(), messages.end(), [](std::uint32_t m) { return (m & 0xF0) == 0x90; });
    ASSERT_NE(volume, messages.end());
    EXPECT_LT(volume, note);
    // The channel that is not turned down gets no volume.
    for (const std::uint32_t m : ChannelMessages(calls, 1)) EXPECT_NE(m & 0xFFFF, 0x07B0u);
}

TEST_F(PartSwitchChannels, VolumeDownHalvesAVolumeSetBeforeTheFirstNoteAndAddsNone) {
    std::vector<Chunk> chunks(2);
    chunks[0].Tempo(0, 500000).End();
    chunks[1].At(0, {0xB2, 7, 80}).NoteOn(0, 2, 40, 100).NoteOff(480, 2, 40).At(0, {0xB2, 7, 120}).NoteOn(0, 2, 40, 100).NoteOff(480, 2, 40).End();
    const auto calls = Convert(smftest::Smf(1, 480, chunks), {"--no-precount", "--volume-down", "3"});
    std::vector<int> volumes;
    for (const std::uint32_t m : ChannelMessages(calls, 3))
        if ((m & 0xFFFF) == 0x07B2) volumes.push_back(static_cast<int>(m >> 16));
    EXPECT_EQ(volumes, (std::vector<int>{40, 60}));
}

TEST_F(PartSwitchChannels, VolumeDownStartsAtHalfWhenTheFirstVolumeComesAfterTheFirstNote) {
    std::vector<Chunk> chunks(2);
    chunks[0].Tempo(0, 500000).End();
    chunks[1].NoteOn(0, 2, 40, 100).NoteOff(480, 2, 40).At(0, {0xB2, 7, 120}).NoteOn(0, 2, 40, 100).NoteOff(480, 2, 40).End();
    const auto calls = Convert(smftest::Smf(1, 480, chunks), {"--no-precount", "--volume-down", "3"});
    std::vector<int> volumes;
    for (const std::uint32_t m : ChannelMessages(calls, 3))
        if ((m & 0xFFFF) == 0x07B2) volumes.push_back(static_cast<int>(m >> 16));
    EXPECT_EQ(volumes, (std::vector<int>{50, 60}));
}

TEST(MelodyName, SaysHowStronglyATrackNameNamesTheMelody) {
    const std::vector<std::pair<std::string, int>> names = {
        {"Melody", 3}, {"MELODY 1", 3}, {"Main Melo", 3}, {"\xE4\xB8\xBB\xE6\x97\x8B\xE5\xBE\x8B", 3},  // 主旋律, UTF-8
        {"\x89\xCC\x83\x81\x83\x8D", 3},                                                              // 歌メロ, Shift_JIS
        {"Vocal", 2}, {"Lead Vocals", 2}, {"Voice", 2}, {"Vo.", 2}, {"\xE6\xAD\x8C", 2},             // 歌
        {"\x83\x7B\x81\x5B\x83\x4A\x83\x8B", 2},                                                      // ボーカル, Shift_JIS
        {"Lead", 1}, {"Synth Lead", 1},
        {"Back Vocal", 0}, {"Chorus", 0}, {"Harmony Melody", 0}, {"\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\xA9\xE3\x82\xB9", 0},  // コーラス
        {"Piano", 0}, {"Volume", 0}, {"Leader", 0}, {"", 0}};
    for (const auto& [name, strength] : names) EXPECT_EQ(MelodyNameStrength(name), strength) << name;
}

}  // namespace
