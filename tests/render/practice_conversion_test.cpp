// Practice options played through the test module: what it receives shows
// the moved keys, the metronome's clicks on every beat and a section's
// chased start.
#include <cmath>

#include "tests/render/conversion_fixture.h"

namespace {

constexpr std::uint32_t kNoteOnDrums = 0x99;
constexpr double kMsPerBlock = 500.0 * 1000.0 / 44100.0;

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
    // The sounding note-ons (velocity above 0) with `status`.
    std::vector<Sent> NoteOns(std::uint32_t status) const {
        std::vector<Sent> notes;
        for (const Sent& sent : ShortMessages()) {
            if (sent.status == status && sent.data2 > 0) notes.push_back(sent);
        }
        return notes;
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

}  // namespace
