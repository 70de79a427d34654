// Practice options played through the test module: what it receives shows
// the moved keys, the metronome's clicks on every beat and a section's
// chased start.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "tests/render/conversion_fixture.h"

namespace {

constexpr std::uint32_t kNoteOnDrums = 0x99;
constexpr double kMsPerBlock = 500.0 * 1000.0 / 44100.0;
constexpr int kClickKey = 37;

// The block in whose step an event at `ms` reaches the module: the engine
// sends, before rendering block b (from 1), every event due before
// b x 250000 / 22050 ms (truncated), and the module counts the blocks it had
// rendered before the call.
int BlockOf(double ms) {
    int block = 1;
    while (static_cast<int>(block * 250000.0 / 22050.0) <= ms) ++block;
    return block - 1;
}

// The names in a folder, sorted.
std::vector<std::string> SortedNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The samples of a WAV file after its 44-byte header.
std::vector<std::int16_t> Samples(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::vector<std::int16_t> samples;
    for (std::size_t i = kWaveHeaderBytes; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return samples;
}

struct Sent {
    int block;
    std::uint32_t status;  // with the channel
    int data1;
    int data2;
};

class PracticeConversionTest : public ConversionTest {
protected:
    // Every short message the module received, in order.
    std::vector<Sent> ShortMessages() const {
        std::vector<Sent> sent;
        for (const QnsTestCall& call : probe->Calls()) {
            if (call.function != QNSTEST_SEND_SHORT) continue;
            sent.push_back({call.block, call.message & 0xFF, static_cast<int>((call.message >> 8) & 0xFF),
                            static_cast<int>((call.message >> 16) & 0xFF)});
        }
        return sent;
    }
    // The sounding note-ons (velocity above 0) with `status`, of key `key` when given.
    std::vector<Sent> NoteOns(std::uint32_t status, int key = -1) const {
        std::vector<Sent> notes;
        for (const Sent& sent : ShortMessages()) {
            if (sent.status == status && sent.data2 > 0 && (key < 0 || sent.data1 == key)) notes.push_back(sent);
        }
        return notes;
    }
    // Converts with `output` into "mix.wav"; the stems go into "mix/".
    ConversionResult ConvertWithStems(OutputOptions output) {
        output.stems = true;
        return ConvertSong(Source(), render, folder.File("mix.wav"), ui, report, output);
    }
};

TEST_F(PracticeConversionTest, TransposedKeysReachTheModuleAndTheDrumsDoNot) {
    LoadOneMeasureSong();  // note 60 on channel 1
    Put(song, PartSlot(9), 0, Note(36, 10));
    options.transpose = -3;
    ConvertTo("song.wav");
    ASSERT_EQ(NoteOns(0x90).size(), 1u);
    EXPECT_EQ(NoteOns(0x90)[0].data1, 57);
    ASSERT_EQ(NoteOns(kNoteOnDrums).size(), 1u);
    EXPECT_EQ(NoteOns(kNoteOnDrums)[0].data1, 36);
    EXPECT_TRUE(report.messages.empty());
}

TEST_F(PracticeConversionTest, TheMetronomeClicksEveryBeatThroughMetersAndTempoChanges) {
    // 4/4 at 120 BPM (a beat of 500 ms), then 3/4 at 90 BPM (667 ms), then
    // 6/8 at 90 BPM in two dotted beats (1000 ms); the song ends after the
    // measure that follows, which repeats 6/8.
    PutMeasure(song, 0, 0x33);
    PutMeasure(song, 1920, 0x23);
    PutMeasure(song, 3360, 0x57);
    ClearTempoTrack(song);
    Put(song, kTempoSlot, 0, Tempo(12000));
    Put(song, kTempoSlot, 1920, Tempo(9000));
    Put(song, PartSlot(0), 0, Note(60, 240));
    Put(song, PartSlot(0), 4000, Note(62, 240));
    options.click = true;
    ConvertTo("song.wav");

    const std::vector<Sent> clicks = NoteOns(kNoteOnDrums);
    const std::vector<double> beatMs = {500, 500, 500, 500, 666.7, 666.7, 666.7, 1000, 1000, 1000, 1000};
    const std::vector<bool> accents = {true, false, false, false, true, false, false, true, false, true, false};
    ASSERT_EQ(clicks.size(), accents.size());
    double expectedMs = 0;
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_EQ(clicks[i].data1, 37) << "click " << i;
        EXPECT_NEAR(clicks[i].block * kMsPerBlock, expectedMs, kMsPerBlock + 1) << "click " << i;
        EXPECT_EQ(clicks[i].data2 > clicks[1].data2, static_cast<bool>(accents[i])) << "click " << i;
        expectedMs += beatMs[i];
    }
}

TEST_F(PracticeConversionTest, ASectionStartsWithTheChasedStateThenPlaysOnlyItsMeasures) {
    for (int measure = 0; measure < 4; ++measure) PutMeasure(song, measure * 1920, 0x33);
    Put(song, PartSlot(0), 0, Program(33));
    Put(song, PartSlot(0), 0, Note(50, 240));                   // measure 1: left out
    Put(song, PartSlot(0), 100, Control(10, 20));
    Put(song, PartSlot(0), 200, ChannelEvent(EventKind::kPitchBend, 0, 80));
    Put(song, PartSlot(0), 3000, Note(52, 2000));               // measure 2, sounding into 3
    Put(song, PartSlot(0), 3840, Note(53, 240));                // measure 3
    Put(song, PartSlot(0), 5760, Note(54, 240));                // measure 4: left out
    options.firstMeasure = 3;
    options.lastMeasure = 3;
    ConvertTo("song.wav");

    const std::vector<Sent> sent = ShortMessages();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0].status, 0xC0u);  // program 33
    EXPECT_EQ(sent[0].data1, 33);
    EXPECT_EQ(sent[1].status, 0xB0u);  // pan 20
    EXPECT_EQ(sent[2].status, 0xE0u);  // the bend
    EXPECT_EQ(sent[2].data2, 80);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sent[i].block, 0);
    std::vector<int> notes;
    for (const Sent& note : NoteOns(0x90)) notes.push_back(note.data1);
    EXPECT_EQ(notes, (std::vector<int>{52, 53}));
    EXPECT_EQ(NoteOns(0x90)[0].block, 0);
    EXPECT_TRUE(report.messages.empty());
}

TEST_F(PracticeConversionTest, ASectionPastTheEndIsReportedAndLeavesNoFile) {
    LoadOneMeasureSong();
    options.firstMeasure = 5;
    options.lastMeasure = 6;
    ConvertTo("song.wav");
    EXPECT_EQ(report.messages, (std::vector<std::string>{"measure 5 is past the song's last measure (2)"}));
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(PracticeConversionTest, TheCountInClicksOnTheBeatsBeforeARemovedIntroAndTheBandComesInOnTheGrid) {
    // 120 BPM, a beat of 500 ms. The bass (channel 2) plays two bars alone,
    // then the band (channel 1) comes in; the bass is the player's part.
    PutMeasure(song, 0, 0x33);
    for (int beat = 0; beat < 8; ++beat) Put(song, PartSlot(1), beat * 480, Note(40, 400));
    for (int beat = 8; beat < 12; ++beat) Put(song, PartSlot(0), beat * 480, Note(60, 400));
    options.preCount = true;
    options.mute[1] = 1;
    ConvertTo("song.wav");

    const std::vector<Sent> clicks = NoteOns(kNoteOnDrums, kClickKey);
    ASSERT_EQ(clicks.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(clicks[i].block, BlockOf(i * 500.0)) << "click " << i;
    EXPECT_TRUE(NoteOns(0x91).empty());
    // The intro's two bars (4 s) stay where the player plays them.
    const std::vector<Sent> band = NoteOns(0x90);
    ASSERT_EQ(band.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(band[i].block, BlockOf(2000.0 + 4000.0 + i * 500.0)) << "band " << i;
}

TEST_F(PracticeConversionTest, AnOffBeatPickupKeepsItsPlaceAndEveryClickFallsOnTheSongsBeats) {
    // A pickup half a beat after beat 2 of bar 1; a hi-hat on every beat of bar 2.
    PutMeasure(song, 0, 0x33);
    Put(song, PartSlot(0), 720, Note(67, 240));
    Put(song, PartSlot(0), 1920, Note(72, 480));
    for (int beat = 4; beat < 8; ++beat) Put(song, PartSlot(9), beat * 480, Note(42, 60));
    options.preCount = true;
    options.click = true;
    ConvertTo("song.wav");

    // One steady grid from the first click on: the count-in bar, bar 1's
    // empty beats, then the song's beats, where the hi-hat plays with them.
    const std::vector<Sent> clicks = NoteOns(kNoteOnDrums, kClickKey);
    ASSERT_GE(clicks.size(), 12u);
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_EQ(clicks[i].block, BlockOf(i * 500.0)) << "click " << i;
        EXPECT_EQ(clicks[i].data2 > clicks[1].data2, i % 4 == 0) << "click " << i;
    }
    const std::vector<Sent> hats = NoteOns(kNoteOnDrums, 42);
    ASSERT_EQ(hats.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(hats[i].block, clicks[8 + i].block) << "hi-hat " << i;
    const std::vector<Sent> melody = NoteOns(0x90);
    ASSERT_EQ(melody.size(), 2u);
    EXPECT_EQ(melody[0].block, BlockOf(2000.0 + 750.0));  // the pickup, between the clicks of beats 2 and 3
}

// Channels that never sound together, so the test module's sound adds up
// exactly: the count-in in bar 2 (before the first note's bar), channel 1 in
// bar 3, channel 2 in bar 5, the drums (channel 10, which also carries the
// clicks) in bar 7; channel 6 is used but plays no note.
class StemConversionTest : public PracticeConversionTest {
protected:
    void SetUp() override {
        PracticeConversionTest::SetUp();
        PutMeasure(song, 0, 0x33);
        Put(song, PartSlot(5), 0, Program(40));
        Put(song, PartSlot(0), 3840, Note(60, 480));
        Put(song, PartSlot(1), 7680, Note(40, 480));
        Put(song, PartSlot(9), 0, Control(7, 90));  // the drum channel's volume, in the click's stem too
        Put(song, PartSlot(9), 11520, Note(36, 60));
        for (const int channel : {0, 1, 5, 9}) options.channelUsed[channel] = 1;
        options.preCount = true;
    }
    // The stems' samples added up, and each stem's length in samples.
    std::vector<int> StemSum(const std::vector<std::string>& names, std::vector<std::size_t>& lengths) {
        std::vector<int> sum;
        for (const std::string& name : names) {
            const std::vector<std::int16_t> stem = Samples(folder.File("mix/" + name));
            lengths.push_back(stem.size());
            sum.resize(std::max(sum.size(), stem.size()));
            for (std::size_t i = 0; i < stem.size(); ++i) sum[i] += stem[i];
        }
        return sum;
    }
};

TEST_F(StemConversionTest, StemsShareTheMixsTimelineAndLengthAndAddUpToIt) {
    ASSERT_TRUE(ConvertWithStems({}).written);
    const std::vector<std::string> names = {"01-Piano 1.wav", "02-Piano 1.wav", "10-Standard Set.wav", "click.wav"};
    std::vector<std::string> written = SortedNames(folder.File("mix"));
    EXPECT_EQ(written, names);  // channel 6 plays nothing: no stem
    const std::vector<std::int16_t> mix = Samples(folder.File("mix.wav"));
    std::vector<std::size_t> lengths;
    const std::vector<int> sum = StemSum(names, lengths);
    for (const std::size_t length : lengths) EXPECT_EQ(length, mix.size());
    ASSERT_EQ(sum.size(), mix.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < mix.size(); ++i) differing += sum[i] != mix[i];
    EXPECT_EQ(differing, 0u);
}

TEST_F(StemConversionTest, WithLoudnessTheStemsTakeTheMixsGainAndStillAddUpToIt) {
    OutputOptions output;
    output.loudnessLufs = -20.0;
    const ConversionResult mixResult = ConvertWithStems(output);
    ASSERT_TRUE(mixResult.written);
    EXPECT_GT(std::abs(mixResult.gain - 1.0), 0.1);  // the level did change
    const std::vector<std::int16_t> mix = Samples(folder.File("mix.wav"));
    std::vector<std::size_t> lengths;
    const std::vector<int> sum = StemSum({"01-Piano 1.wav", "02-Piano 1.wav", "10-Standard Set.wav", "click.wav"}, lengths);
    ASSERT_EQ(sum.size(), mix.size());
    int worst = 0;
    for (std::size_t i = 0; i < mix.size(); ++i) worst = std::max(worst, std::abs(sum[i] - mix[i]));
    EXPECT_LE(worst, 1);  // within the rounding of one sample
}

TEST_F(StemConversionTest, ASongWithoutDrumsStillHasItsCountInInTheClicksStem) {
    options.mute[9] = 1;  // the drums removed: channel 10 only carries the clicks
    ASSERT_TRUE(ConvertWithStems({}).written);
    const std::vector<std::int16_t> mix = Samples(folder.File("mix.wav"));
    const std::vector<std::int16_t> click = Samples(folder.File("mix/click.wav"));
    ASSERT_EQ(click.size(), mix.size());
    EXPECT_TRUE(std::any_of(click.begin(), click.end(), [](std::int16_t sample) { return sample != 0; }));
}

TEST_F(StemConversionTest, ASectionGivesStemsOnlyToTheChannelsThatPlayInIt) {
    options.firstMeasure = 3;
    options.lastMeasure = 3;
    ASSERT_TRUE(ConvertWithStems({}).written);
    EXPECT_EQ(SortedNames(folder.File("mix")), (std::vector<std::string>{"01-Piano 1.wav", "click.wav"}));
}

}  // namespace

namespace {

// The bytes of each file in `folder`, by name.
std::vector<std::pair<std::string, std::string>> FileBytes(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : SortedNames(folder)) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        files.emplace_back(name, std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return files;
}

TEST_F(StemConversionTest, StemsRenderedSideBySideAreTheStemsRenderedInTurn) {
    for (const std::optional<double> loudness : {std::optional<double>{}, std::optional<double>{-12.0}}) {
        OutputOptions output;
        output.loudnessLufs = loudness;
        const ConversionResult inTurn = ConvertWithStems(output);
        ASSERT_TRUE(inTurn.written);
        const auto expected = FileBytes(folder.File("mix"));
        ASSERT_EQ(expected.size(), 4u);
        std::filesystem::remove_all(folder.File("mix"));
        output.stemJobs = 3;
        const ConversionResult sideBySide = ConvertWithStems(output);
        ASSERT_TRUE(sideBySide.written);
        EXPECT_EQ(sideBySide.stems, inTurn.stems);
        EXPECT_TRUE(FileBytes(folder.File("mix")) == expected) << loudness.value_or(0);
        std::filesystem::remove_all(folder.File("mix"));
    }
}

}  // namespace
