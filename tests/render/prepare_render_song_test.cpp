// Song preparation: the render song is a copy of the loaded song with mute,
// volume-down, tempo percentage and pre-count applied.
#include "render/prepare_render_song.h"

#include <gtest/gtest.h>

#include "model/slots.h"
#include "sequencer/tempo_clock.h"
#include "tests/render/song_builder.h"

namespace {

constexpr int kPart0 = PartSlot(0);  // MIDI channel 1 after a reset
constexpr int kPart1 = PartSlot(1);  // MIDI channel 2
constexpr int kDrums = PartSlot(9);  // MIDI channel 10
constexpr int kTempo = kTempoSlot;

SongOptions Defaults(bool preCount = false) {
    SongOptions options;
    ResetSongOptions(options);
    options.preCount = preCount;
    return options;
}

std::vector<std::uint8_t> ExclusiveBytes(const SongContainer& song, int index) {
    MovableBlock copy;
    const int length = ExclusiveCopy(*song.exclusiveTable, index, copy);
    BlockLock bytes(copy);
    return std::vector<std::uint8_t>(bytes.Data(), bytes.Data() + length);
}

TrackEvent Click() { return Note(37, 10, 100); }

class PrepareRenderSongTest : public ::testing::Test {
protected:
    SongContainer loaded{1};
    SongContainer render{1};
};

TEST_F(PrepareRenderSongTest, AnUnchangedPartIsCopiedWhole) {
    Put(loaded, kPart0, 0, Program(5));
    Put(loaded, kPart0, 0, Note(60, 400));
    Put(loaded, kPart0, 5000, Control(7, 90));
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_EQ(EventsOf(render, kPart0), EventsOf(loaded, kPart0));
    EXPECT_EQ(EventsOf(render, kPart0).size(), 3u);
}

TEST_F(PrepareRenderSongTest, AMutedChannelKeepsOnlyItsExclusiveMessagesAtTheirTicks) {
    const std::uint8_t sysex0[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7};
    const std::uint8_t sysex1[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    ASSERT_EQ(ExclusiveStore(0, *loaded.exclusiveTable, sizeof sysex0, sysex0), 0);
    ASSERT_EQ(ExclusiveStore(1, *loaded.exclusiveTable, sizeof sysex1, sysex1), 0);
    Put(loaded, kPart0, 0, Note(60, 400));
    Put(loaded, kPart0, 480, Exclusive(0));
    Put(loaded, kPart0, 960, Control(7, 100));
    Put(loaded, kPart0, 1930, Exclusive(1));
    Put(loaded, kPart1, 0, Note(40, 100));
    SongOptions options = Defaults();
    options.mute[0] = 1;
    PrepareRenderSong(loaded, options, render);

    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{480, Exclusive(0)}, {1930, Exclusive(1)}}));
    EXPECT_EQ(EventsOf(render, kPart1), EventsOf(loaded, kPart1));
    EXPECT_EQ(ExclusiveBytes(render, 0), ExclusiveBytes(loaded, 0));
    EXPECT_EQ(ExclusiveBytes(render, 1), ExclusiveBytes(loaded, 1));
    EXPECT_EQ(render.exclusiveTable->count, 2);
}

TEST_F(PrepareRenderSongTest, MessagesAfterAnEmptyExclusiveEntryAreCopiedToo) {
    // Entry 1 stayed empty (a dump too long to store): the count is 2 while
    // entry 2, a GM System On, is in use.
    const std::uint8_t gsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    const std::uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    ASSERT_EQ(ExclusiveStore(0, *loaded.exclusiveTable, sizeof gsReset, gsReset), 0);
    ASSERT_EQ(ExclusiveStore(2, *loaded.exclusiveTable, sizeof gmOn, gmOn), 0);
    ASSERT_EQ(loaded.exclusiveTable->count, 2);
    Put(loaded, kPart0, 0, Exclusive(0));
    Put(loaded, kPart0, 10, Exclusive(1));
    Put(loaded, kPart0, 20, Exclusive(2));
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_EQ(ExclusiveBytes(render, 2), ExclusiveBytes(loaded, 2));
    EXPECT_TRUE(ExclusiveBytes(render, 1).empty());
    EXPECT_EQ(render.exclusiveTable->count, 2);
}

TEST_F(PrepareRenderSongTest, VolumeDownHalvesChannelVolumeButNeverToZero) {
    Put(loaded, kPart0, 0, Control(7, 127));
    Put(loaded, kPart0, 100, Control(7, 1));
    Put(loaded, kPart0, 200, Control(7, 0));
    Put(loaded, kPart0, 300, Control(7, 100));
    Put(loaded, kPart0, 400, Control(10, 100));  // pan is left alone
    Put(loaded, kPart0, 500, Note(60, 10));
    SongOptions options = Defaults();
    options.volumeDown[0] = 1;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Control(7, 63)},
                                                                  {100, Control(7, 1)},
                                                                  {200, Control(7, 0)},
                                                                  {300, Control(7, 50)},
                                                                  {400, Control(10, 100)},
                                                                  {500, Note(60, 10)}}));
}

TEST_F(PrepareRenderSongTest, ALevelCutScalesVolumeAndExpressionOfItsChannelOnly) {
    // -6 dB: volume and expression each times 10^(-6/80) = 0.841.
    Put(loaded, kPart0, 0, Control(7, 90));
    Put(loaded, kPart0, 0, Control(11, 100));
    Put(loaded, kPart0, 0, Note(60, 10, 77));
    Put(loaded, kPart0, 100, Control(11, 0));
    Put(loaded, kPart0, 200, Control(10, 30));
    Put(loaded, kPart1, 0, Control(7, 90));
    Put(loaded, kPart1, 0, Note(40, 10, 77));
    SongOptions options = Defaults();
    options.levelDb[0] = -6.0;
    const PreparedSong prepared = PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Control(7, 76)},
                                                                  {0, Control(11, 84)},
                                                                  {0, Note(60, 10, 77)},
                                                                  {100, Control(11, 0)},
                                                                  {200, Control(10, 30)}}));
    EXPECT_EQ(EventsOf(render, kPart1), EventsOf(loaded, kPart1));
    EXPECT_TRUE(prepared.cappedLevels.empty());
}

TEST_F(PrepareRenderSongTest, ALeveledChannelThatSetsNoControllersStartsAtTheirScaledDefaults) {
    Put(loaded, kPart0, 0, Program(5));
    Put(loaded, kPart0, 480, Note(60, 10));
    Put(loaded, kPart0, 960, Control(11, 127));  // after the first note: the default holds until then
    SongOptions options = Defaults();
    options.levelDb[0] = -6.0;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Program(5)},
                                                                  {480, Control(7, 84)},
                                                                  {480, Control(11, 107)},
                                                                  {480, Note(60, 10)},
                                                                  {960, Control(11, 107)}}));
}

TEST_F(PrepareRenderSongTest, ABoostFillsVolumeThenVelocitiesAndIsCappedWhereTheyReach127) {
    Put(loaded, kPart0, 0, Note(60, 10, 100));
    Put(loaded, kPart0, 100, Note(62, 10, 50));
    SongOptions options = Defaults();
    options.levelDb[0] = 6.0;
    PreparedSong prepared = PrepareRenderSong(loaded, options, render);
    // Volume 100 -> 127 gives 4.15 dB; the velocities take the other 1.85 dB (x 1.112).
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Control(7, 127)},
                                                                  {0, Note(60, 10, 111)},
                                                                  {100, Note(62, 10, 56)}}));
    EXPECT_TRUE(prepared.cappedLevels.empty());

    options.levelDb[0] = 12.0;
    prepared = PrepareRenderSong(loaded, options, render);
    ASSERT_EQ(prepared.cappedLevels.size(), 1u);
    EXPECT_EQ(prepared.cappedLevels[0].channel, 0);
    EXPECT_EQ(prepared.cappedLevels[0].askedDb, 12.0);
    EXPECT_NEAR(prepared.cappedLevels[0].reachedDb, 8.3, 0.01);
    EXPECT_EQ(EventsOf(render, kPart0)[1], (TimedEvent{0, Note(60, 10, 127)}));

    options.mute[0] = 1;  // a muted channel sounds nothing to cap
    EXPECT_TRUE(PrepareRenderSong(loaded, options, render).cappedLevels.empty());
}

TEST_F(PrepareRenderSongTest, ALevelOnATurnedDownChannelScalesTheHalvedVolume) {
    Put(loaded, kPart0, 0, Note(60, 10));
    Put(loaded, kPart0, 100, Control(7, 100));
    SongOptions options = Defaults();
    options.volumeDown[0] = 1;
    options.levelDb[0] = -6.0;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Control(7, 42)},
                                                                  {0, Control(11, 107)},
                                                                  {0, Note(60, 10)},
                                                                  {100, Control(7, 42)}}));
}

TEST_F(PrepareRenderSongTest, PartsRoutedToNoChannelAreLeftOutButTheChannelTableIsCopied) {
    Put(loaded, PartSlot(17), 0, Note(60, 10));  // part 17 is on port 1 after a reset
    Put(loaded, kPart1, 0, Note(61, 10));
    loaded.partChannel[1] = 0x05;
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_EQ(render.SlotTrack(PartSlot(17)), nullptr);
    EXPECT_EQ(EventsOf(render, kPart1).size(), 1u);
    EXPECT_EQ(render.partChannel[1], 0x05);
    EXPECT_EQ(render.partChannel[17], 0x11);
}

TEST_F(PrepareRenderSongTest, TheTempoPercentageScalesEveryTempoAsTheClockPlaysIt) {
    ClearTempoTrack(loaded);
    Put(loaded, kTempo, 0, Tempo(12000));
    Put(loaded, kTempo, 1920, Tempo(357));  // the slowest tempo a file states
    Put(loaded, kTempo, 3840, Tempo(2000000));
    SongOptions options = Defaults();

    options.tempoPercent = 1;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kTempo),
              (std::vector<TimedEvent>{{0, Tempo(120)}, {1920, Tempo(3)}, {3840, Tempo(20000)}}));

    options.tempoPercent = 999;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{
                                            {0, Tempo(119880)}, {1920, Tempo(3566)}, {3840, Tempo(kMaxEffectiveTempo)}}));
}

TEST_F(PrepareRenderSongTest, AtOneHundredPercentTheTempoTrackIsCopiedAsItIs) {
    ClearTempoTrack(loaded);
    Put(loaded, kTempo, 0, Tempo(500));  // outside the scaling limits, but not scaled
    Put(loaded, kTempo, 960, Tempo(60000));
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(500)}, {960, Tempo(60000)}}));
}

TEST_F(PrepareRenderSongTest, ASongWithoutTempoEventsLosesTheDefaultTempo) {
    ClearTempoTrack(loaded);
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_TRUE(EventsOf(render, kTempo).empty());
}

TEST_F(PrepareRenderSongTest, TheTempoPercentageAlsoScalesTheDefaultTempoOfASongThatStatesNone) {
    ClearTempoTrack(loaded);
    SongOptions options = Defaults();
    options.tempoPercent = 50;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(6000)}}));

    Put(loaded, kTempo, 960, Tempo(15000));  // the song's first tempo comes later
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(6000)}, {960, Tempo(7500)}}));
}

TEST_F(PrepareRenderSongTest, TheMeasureTrackIsCopied) {
    PutMeasure(loaded, 0, 0x33);
    PutMeasure(loaded, 1920, 0x22);
    PrepareRenderSong(loaded, Defaults(), render);
    EXPECT_EQ(EventsOf(render, kMeasureSlot), EventsOf(loaded, kMeasureSlot));
}

TEST_F(PrepareRenderSongTest, ThePreCountIsABarOfFourClicksOnTheDrumPartInFrontOfTheFirstNotesBar) {
    Put(loaded, kPart0, 1920, Note(60, 480));  // bar 2 is the first to play
    Put(loaded, kPart0, 3840, Note(62, 480));
    Put(loaded, kDrums, 1920, Note(36, 10));
    PutMeasure(loaded, 0, 0x33);
    PrepareRenderSong(loaded, Defaults(true), render);

    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{3840, Note(60, 480)}, {5760, Note(62, 480)}}));
    EXPECT_EQ(EventsOf(render, kDrums), (std::vector<TimedEvent>{{1920, Click()},
                                                                  {2400, Click()},
                                                                  {2880, Click()},
                                                                  {3360, Click()},
                                                                  {3840, Note(36, 10)}}));
    EXPECT_EQ(EventsOf(render, kMeasureSlot), (std::vector<TimedEvent>{{0, Measure()}}));
}

TEST_F(PrepareRenderSongTest, APickupKeepsItsPlaceInItsBarAndTheClicksGoOnThroughItsEmptyBeats) {
    Put(loaded, kPart0, 960, Note(60, 480));  // beat 3 of bar 1
    Put(loaded, kPart0, 1920, Note(62, 480));
    Put(loaded, kDrums, 1920, Note(36, 10));
    PutMeasure(loaded, 0, 0x33);
    PrepareRenderSong(loaded, Defaults(true), render);

    // A bar of clicks from 0, then beats 1 and 2 of the pickup's bar: every
    // click on a beat of the song's grid.
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{2880, Note(60, 480)}, {3840, Note(62, 480)}}));
    EXPECT_EQ(EventsOf(render, kDrums), (std::vector<TimedEvent>{{0, Click()},
                                                                  {480, Click()},
                                                                  {960, Click()},
                                                                  {1440, Click()},
                                                                  {1920, Click()},
                                                                  {2400, Click()},
                                                                  {3840, Note(36, 10)}}));
}

TEST_F(PrepareRenderSongTest, TheCountInComesBeforeTheFirstNoteOfTheSongEvenWhenItsPartIsMuted) {
    Put(loaded, kPart1, 0, Note(40, 7680));     // a bass intro of four bars (channel 2)
    Put(loaded, kPart0, 7680, Note(60, 480));   // the band enters at bar 5
    Put(loaded, kDrums, 7680, Note(36, 10));
    PutMeasure(loaded, 0, 0x33);
    SongOptions options = Defaults(true);
    options.mute[1] = 1;  // the bass is the player's part
    PrepareRenderSong(loaded, options, render);

    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{7680 + 1920, Note(60, 480)}}));
    EXPECT_EQ(EventsOf(render, kDrums), (std::vector<TimedEvent>{{0, Click()},
                                                                  {480, Click()},
                                                                  {960, Click()},
                                                                  {1440, Click()},
                                                                  {7680 + 1920, Note(36, 10)}}));
}

TEST_F(PrepareRenderSongTest, TheCountInLastsOneOrTwoBarsAtTheLevelAsked) {
    Put(loaded, kPart0, 0, Note(60, 480));
    Put(loaded, kDrums, 0, Note(36, 10));
    PutMeasure(loaded, 0, 0x23);  // 3/4
    SongOptions options = Defaults(true);
    options.clicksPerMeasure = 3;
    options.countInMeasures = 2;
    options.clickLevelDb = -6.0;  // velocity 100 x 10^(-6/40) = 70.8
    PrepareRenderSong(loaded, options, render);
    std::vector<int> ticks;
    for (const TimedEvent& timed : EventsOf(render, kDrums)) {
        if (timed.event.Kind() != 37) continue;
        ticks.push_back(timed.tick);
        EXPECT_EQ(timed.event.Velocity(), 71);
    }
    EXPECT_EQ(ticks, (std::vector<int>{0, 480, 960, 1440, 1920, 2400}));
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{2880, Note(60, 480)}}));
}

TEST_F(PrepareRenderSongTest, AShortOpeningBarIsCountedAsTheEndOfABarOfTheNextBarsMeter) {
    PutMeasure(loaded, 0, 0x03);     // a pickup bar of one quarter (1/4)
    PutMeasure(loaded, 480, 0x33);   // then 4/4
    Put(loaded, kPart0, 0, Note(60, 480));
    Put(loaded, kPart0, 480, Note(62, 480));
    PrepareRenderSong(loaded, Defaults(true), render);
    // A 4/4 bar and three more beats: the pickup falls on beat 4.
    std::vector<int> ticks;
    for (const TimedEvent& timed : EventsOf(render, kDrums)) ticks.push_back(timed.tick);
    EXPECT_EQ(ticks, (std::vector<int>{0, 480, 960, 1440, 1920, 2400, 2880}));
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{3360, Note(60, 480)}, {3840, Note(62, 480)}}));
}

TEST_F(PrepareRenderSongTest, LeadingEmptyBarsCanBeLeftOutSoThatTheFileStartsWithTheCountIn) {
    PutMeasure(loaded, 0, 0x33);
    Put(loaded, kPart0, 0, Program(30));
    Put(loaded, kPart0, 3840 + 480, Note(60, 480));  // bar 3, beat 2
    SongOptions options = Defaults(true);
    options.dropLeadingEmptyBars = true;
    PrepareRenderSong(loaded, options, render);
    const std::vector<TimedEvent> part = EventsOf(render, kPart0);
    ASSERT_GE(part.size(), 2u);
    EXPECT_EQ(part[0], (TimedEvent{1920, Program(30)}));  // sent where bar 3 starts, after the count-in
    EXPECT_EQ(part[1], (TimedEvent{1920 + 480, Note(60, 480)}));
    std::vector<int> ticks;
    for (const TimedEvent& timed : EventsOf(render, kDrums)) ticks.push_back(timed.tick);
    EXPECT_EQ(ticks, (std::vector<int>{0, 480, 960, 1440, 1920}));
}

TEST_F(PrepareRenderSongTest, ThePreCountUsesTheSongsClickLengthAndCount) {
    PutMeasure(loaded, 0, 0x57);  // 6/8
    Put(loaded, kDrums, 0, Note(36, 10));
    SongOptions options = Defaults(true);
    options.clickTicks = 720;  // 6/8: two dotted quarters
    options.clicksPerMeasure = 2;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kDrums),
              (std::vector<TimedEvent>{{0, Click()}, {720, Click()}, {1440, Note(36, 10)}}));
}

TEST_F(PrepareRenderSongTest, WithoutAPartOnChannelTenTheGapIsMadeButNoClicks) {
    Put(loaded, kPart0, 0, Note(60, 480));
    for (int part = 0; part < kPartCount; ++part) {
        if ((loaded.partChannel[part] & 0x0F) == 9) loaded.partChannel[part] = 0x18;
    }
    PrepareRenderSong(loaded, Defaults(true), render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{1920, Note(60, 480)}}));
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        if (slot == kPart0) continue;
        EXPECT_TRUE(EventsOf(render, slot).empty()) << "slot " << slot;
    }
}

TEST_F(PrepareRenderSongTest, ASongWithoutNotesGetsNoPreCount) {
    Put(loaded, kPart0, 480, Control(7, 100));
    PrepareRenderSong(loaded, Defaults(true), render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{480, Control(7, 100)}}));
    EXPECT_TRUE(EventsOf(render, kDrums).empty());
}

TEST_F(PrepareRenderSongTest, ThePreCountKeepsTheStartingTempoAndDelaysLaterChanges) {
    ClearTempoTrack(loaded);
    Put(loaded, kTempo, 0, Tempo(6000));
    Put(loaded, kTempo, 3840, Tempo(9000));
    Put(loaded, kPart0, 0, Note(60, 480));
    PrepareRenderSong(loaded, Defaults(true), render);
    // The clicks count in at the tempo the music starts with.
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(6000)}, {5760, Tempo(9000)}}));
}

TEST_F(PrepareRenderSongTest, ATempoChangeAtTheFirstNotesBarAlsoTimesTheClicks) {
    ClearTempoTrack(loaded);
    Put(loaded, kTempo, 0, Tempo(12000));
    Put(loaded, kTempo, 1920, Tempo(8000));
    Put(loaded, kTempo, 3840, Tempo(9000));
    Put(loaded, kPart0, 1920, Note(60, 480));
    PrepareRenderSong(loaded, Defaults(true), render);
    EXPECT_EQ(EventsOf(render, kTempo),
              (std::vector<TimedEvent>{{0, Tempo(12000)}, {1920, Tempo(8000)}, {5760, Tempo(9000)}}));
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{3840, Note(60, 480)}}));
}

TEST_F(PrepareRenderSongTest, APickupsBarPlaysAtItsOwnTempoAfterTheCountIn) {
    ClearTempoTrack(loaded);
    Put(loaded, kTempo, 0, Tempo(12000));
    Put(loaded, kTempo, 960, Tempo(8000));
    Put(loaded, kPart0, 960, Note(60, 480));
    PrepareRenderSong(loaded, Defaults(true), render);
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(12000)}, {2880, Tempo(8000)}}));
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{2880, Note(60, 480)}}));
}

TEST_F(PrepareRenderSongTest, CorruptPreCountValuesInsertNothing) {
    Put(loaded, kPart0, 0, Note(60, 480));
    SongOptions options = Defaults(true);
    options.clickTicks = 0;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Note(60, 480)}}));
    options.clickTicks = 1 << 30;
    options.clicksPerMeasure = 1 << 20;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{0, Note(60, 480)}}));
}

TEST_F(PrepareRenderSongTest, EachPreparationStartsAfreshAndLeavesTheLoadedSongAlone) {
    Put(loaded, kPart0, 0, Control(7, 100));
    Put(loaded, kPart0, 0, Note(60, 480));
    Put(loaded, kDrums, 0, Note(36, 10));
    const std::vector<TimedEvent> loadedPart = EventsOf(loaded, kPart0);
    const std::vector<TimedEvent> loadedTempo = EventsOf(loaded, kTempo);

    SongOptions first = Defaults(true);
    first.volumeDown[0] = 1;
    first.tempoPercent = 50;
    PrepareRenderSong(loaded, first, render);
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{1920, Control(7, 50)}, {1920, Note(60, 480)}}));
    EXPECT_EQ(EventsOf(render, kTempo), (std::vector<TimedEvent>{{0, Tempo(6000)}}));

    SongOptions second = Defaults(false);
    second.mute[9] = 1;
    PrepareRenderSong(loaded, second, render);
    EXPECT_EQ(EventsOf(render, kPart0), loadedPart);
    EXPECT_TRUE(EventsOf(render, kDrums).empty());
    EXPECT_EQ(EventsOf(render, kTempo), loadedTempo);

    EXPECT_EQ(EventsOf(loaded, kPart0), loadedPart);
    EXPECT_EQ(EventsOf(loaded, kTempo), loadedTempo);
}

}  // namespace
