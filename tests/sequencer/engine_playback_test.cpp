// The engine driven block by block through the binding into the test module:
// what the module receives, and in which block.
#include <gtest/gtest.h>

#include "engine_harness.h"

namespace {

using namespace seqtest;

constexpr std::uint32_t NoteOn(int channel, int note, int velocity = 100) {
    return ShortMessage(static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(note),
                        static_cast<std::uint8_t>(velocity));
}
constexpr std::uint32_t NoteOff(int channel, int note) { return NoteOn(channel, note, 0); }

const std::vector<std::uint8_t> kGmOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const std::vector<std::uint8_t> kOtherExclusive = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

// Timing of one note at one tempo: ticks in, milliseconds out.
struct TempoCase {
    std::int32_t tempo;
    int noteTick;
    int gate;
    int onMs;
    int offMs;
};

class NoteTiming : public ::testing::TestWithParam<TempoCase> {};

TEST_P(NoteTiming, NoteOnAndOffArriveInTheBlockOfTheirTime) {
    const TempoCase c = GetParam();
    EngineHarness h;
    SetTempos(h.song, {{0, c.tempo}});
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, c.noteTick, Note(60, static_cast<std::uint16_t>(c.gate)));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(BlockOfMs(c.onMs), NoteOn(0, 60)),
                                                   Short(BlockOfMs(c.offMs), NoteOff(0, 60))}));
}

INSTANTIATE_TEST_SUITE_P(Tempos, NoteTiming,
                         ::testing::Values(TempoCase{12000, 480, 480, 500, 1000},   // 120.00 BPM
                                           TempoCase{6000, 480, 480, 1000, 2000},   // 60.00 BPM
                                           TempoCase{15000, 96, 960, 80, 880},      // 150.00 BPM
                                           TempoCase{800, 480, 480, 7500, 15000},   // a fermata's 8.00
                                           TempoCase{500, 48, 48, 1200, 2400},      // 5.00
                                           TempoCase{357, 48, 48, 1681, 3361},      // 3.57, the slowest in a file
                                           TempoCase{200000, 960, 960, 60, 120},    // 2000.00
                                           TempoCase{kMaxEffectiveTempo, 48000, 48000, 100, 200},  // 60000.00
                                           TempoCase{2 * kMaxEffectiveTempo, 48000, 48000, 100, 200}));

TEST(EnginePlayback, ATempoChangeRetimesWhatFollowsFromItsTick) {
    EngineHarness h;
    SetTempos(h.song, {{0, 12000}, {960, 6000}});
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 1440, Note(60, 240));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    // 960 ticks at 120 BPM = 1000 ms, then 480 ticks at 60 BPM = 1000 ms more.
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(BlockOfMs(2000), NoteOn(0, 60)),
                                                   Short(BlockOfMs(2500), NoteOff(0, 60))}));
}

TEST(EnginePlayback, AtOneTickNoteOffsComeFirstThenEventsInSlotOrder) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 1, 480, ChannelEvent(EventKind::kProgram, 7));  // slot 9, channel 1
    PutPart(h.song, 0, 480, Note(62, 480));                   // slot 8, channel 0
    PutPart(h.song, 0, 0, Note(60, 480));                     // ends at 480
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    const int b = BlockOfMs(500);
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(0, NoteOn(0, 60)), Short(b, NoteOff(0, 60)),
                                                   Short(b, NoteOn(0, 62)), Short(b, 0x07C1),
                                                   Short(BlockOfMs(1000), NoteOff(0, 62))}));
}

TEST(EnginePlayback, OverlappingNotesOfOnePitchSoundOnceAndEndAtTheLaterEnd) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 0, Note(60, 960));
    PutPart(h.song, 0, 480, Note(60, 960));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(),
              (std::vector<Received>{Short(0, NoteOn(0, 60)), Short(BlockOfMs(1500), NoteOff(0, 60))}));
}

TEST(EnginePlayback, NoteNumber0IsNeverSounded) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 0, Note(0, 480));
    PutPart(h.song, 0, 0, Note(60, 480));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(),
              (std::vector<Received>{Short(0, NoteOn(0, 60)), Short(BlockOfMs(500), NoteOff(0, 60))}));
}

TEST(EnginePlayback, ANoteWithGate0IsSkipped) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 0, Note(60, 0));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_TRUE(h.Messages().empty());
}

TEST(EnginePlayback, RepeatedProgramAndBankAreSuppressedUntilAnExclusiveMessage) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    StoreExclusive(h.song, 0, kGmOn);
    PutPart(h.song, 0, 0, ChannelEvent(EventKind::kProgram, 5));
    PutPart(h.song, 0, 240, ChannelEvent(EventKind::kProgram, 5));     // same program and bank
    PutPart(h.song, 0, 480, ChannelEvent(EventKind::kControl, 0, 1));  // bank select MSB 1
    PutPart(h.song, 0, 480, ChannelEvent(EventKind::kProgram, 5));     // bank changed: sent
    PutPart(h.song, 0, 720, ChannelEvent(EventKind::kControl, 0, 1));  // same bank: dropped
    PutPart(h.song, 0, 960, Exclusive(0));
    PutPart(h.song, 0, 960, ChannelEvent(EventKind::kControl, 0, 1));  // caches forgotten: sent
    PutPart(h.song, 0, 960, ChannelEvent(EventKind::kProgram, 5));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    const int b480 = BlockOfMs(500);
    const int b960 = BlockOfMs(1000);
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(0, 0x05C0), Short(b480, 0x0100B0), Short(b480, 0x05C0),
                                                   Long(b960, kGmOn), Short(b960, 0x0100B0),
                                                   Short(b960, 0x05C0)}));
}

TEST(EnginePlayback, ChannelMessagesGoOutOnThePartsChannel) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 2, 0, ChannelEvent(EventKind::kPolyPressure, 60, 50));
    PutPart(h.song, 2, 0, ChannelEvent(EventKind::kChannelPressure, 40));
    PutPart(h.song, 2, 0, ChannelEvent(EventKind::kPitchBend, 0, 64));
    PutPart(h.song, 2, 0, ChannelEvent(EventKind::kControl, 7, 100));
    PutPart(h.song, 2, 0, ChannelEvent(EventKind::kControl, 0, 0));  // first bank select: sent
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(0, 0x323CA2), Short(0, 0x28D2), Short(0, 0x4000E2),
                                                   Short(0, 0x6407B2), Short(0, 0x0000B2)}));
}

TEST(EnginePlayback, APayloadEventIsSentAsALongMessageAndForgetsTheCaches) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    const std::vector<std::uint8_t> payload = {0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7};
    PutPart(h.song, 0, 0, ChannelEvent(EventKind::kProgram, 5));
    {
        CursorGuard cursor(h.song, PartSlot(0));
        Seek(*cursor, 480, 0);
        ASSERT_GE(InsertWithPayload(static_cast<int>(payload.size()), *cursor, MakeEvent(EventKind::kPayloadFE),
                                    payload.data()),
                  0);
    }
    PutPart(h.song, 0, 480, ChannelEvent(EventKind::kProgram, 5));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    const int b = BlockOfMs(500);
    EXPECT_EQ(h.Messages(),
              (std::vector<Received>{Short(0, 0x05C0), Long(b, payload), Short(b, 0x05C0)}));
}

TEST(EnginePlayback, APartOnAnotherPortIsSilentButItsExclusiveMessagesAreSent) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    StoreExclusive(h.song, 0, kGmOn);
    h.song.partChannel[0] = 0x10;  // port 1, channel 0
    h.song.partChannel[1] = 0x01;
    PutPart(h.song, 0, 0, Exclusive(0));
    PutPart(h.song, 0, 0, Note(60, 480));
    PutPart(h.song, 1, 0, Note(64, 480));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Long(0, kGmOn), Short(0, NoteOn(1, 64)),
                                                   Short(BlockOfMs(500), NoteOff(1, 64))}));
}

TEST(EnginePlayback, TheLastPartsGetTheirNoteOffsOnTheirOwnChannel) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    h.song.partChannel[255] = 0x03;  // slot 263
    h.song.partChannel[248] = 0x05;  // slot 256
    PutPart(h.song, 255, 0, Note(60, 480));
    PutPart(h.song, 248, 0, Note(64, 960));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(0, NoteOn(5, 64)), Short(0, NoteOn(3, 60)),
                                                   Short(BlockOfMs(500), NoteOff(3, 60)),
                                                   Short(BlockOfMs(1000), NoteOff(5, 64))}));
}

TEST(EnginePlayback, TimingOffsetsMoveEventsOffTheirGridTick) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 480, Note(60, 100, 100, 30));    // due at 510
    PutPart(h.song, 1, 480, Note(64, 100, 100, -29));   // due at 451
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    // 510 ticks = 531.25 ms, 451 ticks = 469.8 ms; gates run from the due tick.
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(BlockOfMs(470), NoteOn(1, 64)),
                                                   Short(BlockOfMs(531), NoteOn(0, 60)),
                                                   Short(BlockOfMs(574), NoteOff(1, 64)),
                                                   Short(BlockOfMs(635), NoteOff(0, 60))}));
}

TEST(EnginePlayback, AMeasureTrackShorterThanTheSongRepeatsItsLastTimeSignature) {
    EngineHarness h;
    SetMeasures(h.song, {0x23});                  // one 3/4 measure, 1440 ticks
    PutPart(h.song, 0, 3000, Note(60, 100));  // in the third 3/4 measure
    ASSERT_EQ(h.Start(), 0);
    while (h.module.endOfSong == 0 && h.module.blocksRendered < 1000) h.Step();
    // The song ends at the start of measure 4: 3 x 1440 ticks = 4500 ms.
    EXPECT_EQ(h.module.blocksRendered, BlockOfMs(4500) + 1);
    EXPECT_EQ(h.engine->MeasureCounter(), 4);
    EXPECT_TRUE(h.engine->MeasureTrackEnded());
    EXPECT_EQ(h.Messages().size(), 2u);
}

TEST(EnginePlayback, AnEmptyMeasureTrackCountsMeasuresOf44) {
    EngineHarness h;
    PutPart(h.song, 0, 3000, Note(60, 100));  // in measure 2 of 4/4
    ASSERT_EQ(h.Start(), 0);
    while (h.module.endOfSong == 0 && h.module.blocksRendered < 1000) h.Step();
    EXPECT_EQ(h.module.blocksRendered, BlockOfMs(4000) + 1);  // ends at 3840 ticks
}

TEST(EnginePlayback, NotesStillSoundingAtTheEndAreCutAndTheModuleToldTheSongEnded) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    // A long note; the part's last event at 2000 makes measure 2 the last.
    PutPart(h.song, 0, 0, Note(60, 5000));
    PutPart(h.song, 0, 2000, ChannelEvent(EventKind::kControl, 7, 90));
    ASSERT_EQ(LastMeasure(h.song), 2);
    ASSERT_EQ(h.Start(), 0);
    const int endBlocks = BlockOfMs(4000) + 1;  // the end at 3840 ticks
    while (h.module.blocksRendered < endBlocks - 1) h.Step();
    EXPECT_EQ(h.module.endOfSong, 0);
    h.Step();
    EXPECT_EQ(h.module.endOfSong, 1);
    EXPECT_EQ(h.Messages().back(), Short(endBlocks - 1, NoteOff(0, 60)));
    EXPECT_EQ(h.engine->PlayUntil(), 1);
    // The default tail fades over 1000 frames: two more blocks, then silence ends the render.
    EXPECT_EQ(h.RunToEnd(), endBlocks + 2);
    EXPECT_EQ(h.lastRender, kSongOverResult);
}

TEST(EnginePlayback, AModuleThatNeverFallsSilentKeepsTheRenderGoing) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    h.Probe().SetNeverSilent(true);
    ASSERT_EQ(h.Start(), 0);
    EXPECT_EQ(h.RunToEnd(1000), 1000);
    EXPECT_EQ(h.module.endOfSong, 1);
}

TEST(EnginePlayback, ANonzeroAnswerToAnExclusiveMessageDefersTheRestToTheNextBlock) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    StoreExclusive(h.song, 0, kGmOn);
    StoreExclusive(h.song, 1, kOtherExclusive);
    h.Probe().SetLongAnswer(0x101);  // low byte 1
    PutPart(h.song, 0, 0, Exclusive(0));
    PutPart(h.song, 0, 0, Exclusive(1));
    PutPart(h.song, 1, 0, Exclusive(0));
    PutPart(h.song, 0, 0, Note(60, 480));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Long(0, kGmOn), Long(1, kOtherExclusive), Short(2, NoteOn(0, 60)),
                                                   Long(2, kGmOn), Short(BlockOfMs(500), NoteOff(0, 60))}));
}

TEST(EnginePlayback, AnAnswerWithAZeroLowByteDoesNotStopThePass) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    StoreExclusive(h.song, 0, kGmOn);
    h.Probe().SetLongAnswer(0x100);
    PutPart(h.song, 0, 0, Exclusive(0));
    PutPart(h.song, 0, 0, Exclusive(0));
    ASSERT_EQ(h.Start(), 0);
    h.RunToEnd();
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Long(0, kGmOn), Long(0, kGmOn)}));
}

TEST(EnginePlayback, ToQ1PlayUntilPlaysTheWholeSongRegardlessOfTheRenderTime) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 960, Note(60, 480));
    ASSERT_EQ(h.Start(), 0);
    EXPECT_EQ(h.engine->ToQ1::PlayUntil(), 1);
    EXPECT_EQ(h.module.endOfSong, 1);
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Short(0, NoteOn(0, 60)), Short(0, NoteOff(0, 60))}));
}

TEST(EnginePlayback, ToQ1PlayUntilGoesOnPastANonzeroAnswerToAnExclusiveMessage) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    StoreExclusive(h.song, 0, kGmOn);
    h.Probe().SetLongAnswer(0x101);
    PutPart(h.song, 0, 0, Exclusive(0));
    PutPart(h.song, 0, 960, Note(60, 480));
    ASSERT_EQ(h.Start(), 0);
    EXPECT_EQ(h.engine->ToQ1::PlayUntil(), 1);
    EXPECT_EQ(h.Messages(), (std::vector<Received>{Long(0, kGmOn), Short(0, NoteOn(0, 60)), Short(0, NoteOff(0, 60))}));
}

TEST(EnginePlayback, OnlyPartsWithEventsGetACursor) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 3, 0, Note(60, 480));
    { CursorGuard keep(h.song, PartSlot(5)); }  // opened and closed: stays empty
    ASSERT_EQ(h.Start(), 0);
    ASSERT_EQ(h.engine->PreparePlay(), 1);
}

TEST(EnginePlayback, StopPlayEndsPlayAtOnce) {
    EngineHarness h;
    SetMeasures(h.song, {0x33});
    PutPart(h.song, 0, 960, Note(60, 480));
    ASSERT_EQ(h.Start(), 0);
    h.engine->StopPlay();
    EXPECT_EQ(h.engine->PlayUntil(), 1);
    h.Step();
    EXPECT_TRUE(h.Messages().empty());
}

TEST(EnginePlayback, APartWrittenDuringPlayIsReadAgainFromTheCurrentTick) {
    EngineHarness h;
    SetMeasures(h.song, {0x33, 0x33});
    PutPart(h.song, 0, 0, Note(60, 240));
    PutPart(h.song, 0, 3000, Note(62, 240));
    ASSERT_EQ(h.Start(), 0);
    while (h.module.elapsedMs < 1500) h.Step();
    PutPart(h.song, 0, 960, Note(64, 240));   // already passed: not played
    PutPart(h.song, 0, 2400, Note(65, 240));  // still ahead
    h.RunToEnd();
    const std::vector<Received> notes = h.MessagesWithStatus(0x90);
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[2], Short(BlockOfMs(2500), NoteOn(0, 65)));
    EXPECT_EQ(notes[4], Short(BlockOfMs(3125), NoteOn(0, 62)));
}

}  // namespace
