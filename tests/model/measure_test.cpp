// Ticks and measures on the measure track, time signatures and song length.
#include <gtest/gtest.h>

#include <vector>

#include "model/measure.h"
#include "model/song_container.h"
#include "model_test_util.h"

namespace {

TrackEvent Measure(std::uint8_t timeSignature) {
    TrackEvent ev = MakeEvent(EventKind::kMeasure);
    ev.SetU8(4, 0xFF);
    ev.SetU8(5, timeSignature);
    return ev;
}

TrackEvent Rest(int step) { return MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(step)); }

// Writes a measure track of these time signatures: each measure is its event
// followed by one rest of the measure's length, then the end marker.
void WriteMeasures(TrackContainers& song, const std::vector<std::uint8_t>& signatures) {
    CursorGuard c(song, kMeasureSlot);
    c->position = 0;
    for (std::uint8_t signature : signatures) {
        Write(*c, Measure(signature), true);
        Write(*c, Rest(MeasureTrackRuleLength(signature)), true);
    }
    Write(*c, MakeEvent(EventKind::kEnd), true);
}

constexpr std::uint8_t k44 = 0x33;
constexpr std::uint8_t k34 = 0x23;
constexpr std::uint8_t k68 = 0x57;

}  // namespace

TEST(MeasureLengthTest, SixEightIs1440TicksByEveryRule) {
    EXPECT_EQ(MeasureLengthOf(k68), 1440);
    EXPECT_EQ(MeasureTrackRuleLength(k68), 1440);
    EXPECT_EQ(MeasureTotalRuleLength(k68), 1440);
}

TEST(MeasureLengthTest, ADenominatorOfOneCountsAsTwoOnlyForTheImporter) {
    EXPECT_EQ(MeasureTrackRuleLength(0x00), 1920);
    EXPECT_EQ(MeasureTotalRuleLength(0x00), 1920);
    EXPECT_EQ(MeasureLengthOf(0x00), 960);
    EXPECT_EQ(MeasureLengthOf(k34), 1440);
}

// Measures of 4/4, 4/4 and 3/4 at ticks 0, 1920 and 3840; the track ends at 5280.
class MeasureTrackTest : public ::testing::Test {
protected:
    void SetUp() override { WriteMeasures(song, {k44, k44, k34}); }
    SongContainer song{1};
};

TEST_F(MeasureTrackTest, MeasureToTickReadsTheTrackAndExtrapolatesWithTheLastSignature) {
    EXPECT_EQ(MeasureToTick(song, 1), 0);
    EXPECT_EQ(MeasureToTick(song, 3), 3840);
    EXPECT_EQ(MeasureToTick(song, 4), 5280);
    EXPECT_EQ(MeasureToTick(song, 5), 3840 + 2 * 1440);
}

TEST_F(MeasureTrackTest, TickToMeasureFindsTheMeasureHoldingTheTick) {
    EXPECT_EQ(TickToMeasure(song, 0), 1);
    EXPECT_EQ(TickToMeasure(song, 3839), 2);
    EXPECT_EQ(TickToMeasure(song, 3840), 3);
    EXPECT_EQ(TickToMeasure(song, 5280), 4);
    EXPECT_EQ(TickToMeasure(song, 7000), 5);  // 3 + (7000 - 3840) / 1440
    EXPECT_EQ(TickToMeasure(song, -5), 1);
}

TEST_F(MeasureTrackTest, TickToMeasureAndOffsetGivesTheTickWithinTheMeasure) {
    int measure = 0;
    int offset = -1;
    TickToMeasureAndOffset(song, 4000, &measure, &offset);
    EXPECT_EQ(measure, 3);
    EXPECT_EQ(offset, 160);
    TickToMeasureAndOffset(song, 7000, &measure, &offset);
    EXPECT_EQ(measure, 5);
    EXPECT_EQ(offset, 7000 - 3840 - 2 * 1440);
    TickToMeasureAndOffset(song, -1, &measure, &offset);
    EXPECT_EQ(measure, 1);
    EXPECT_EQ(offset, 0);
}

TEST_F(MeasureTrackTest, TimeSignatureAtTakesTheLastSignatureBeyondTheTrack) {
    EXPECT_EQ(TimeSignatureAt(song, 0), k44);
    EXPECT_EQ(TimeSignatureAt(song, 2), k44);
    EXPECT_EQ(TimeSignatureAt(song, 3), k34);
    EXPECT_EQ(TimeSignatureAt(song, 40), k34);
}

TEST_F(MeasureTrackTest, CountAndFindMeasuresReportStartsAndIndices) {
    CursorGuard c(song, kMeasureSlot);
    const MeasureCount counted = CountMeasures(*c, 5);
    EXPECT_EQ(counted.count, 3);
    EXPECT_EQ(counted.sum, 3840);
    const MeasureLocation second = FindMeasure(*c, 2);
    EXPECT_EQ(second.index, 2);
    EXPECT_EQ(second.sum, 1920);
    const MeasureLocation missing = FindMeasure(*c, 9);
    EXPECT_EQ(missing.index, 6);
    EXPECT_EQ(missing.sum, 5280);
}

TEST_F(MeasureTrackTest, TheMeasureTotalCountsTowardsTheSongEnd) {
    EXPECT_EQ(MeasureTrackLength(song, 0), 5280);
    EXPECT_EQ(MeasureTrackLength(song, 9000), 9000);
    EXPECT_EQ(SongEndTick(song), 5280);
    EXPECT_EQ(SongEndMeasure(song), 4);
    EXPECT_EQ(LastMeasure(song), 4);
}

class EmptyMeasureTrackTest : public ::testing::Test {
protected:
    SongContainer song{1};
};

TEST_F(EmptyMeasureTrackTest, WholeNotesStandInForMeasuresAndTheSlotStaysEmpty) {
    EXPECT_EQ(TickToMeasure(song, 0), 1);
    EXPECT_EQ(TickToMeasure(song, 3839), 2);
    EXPECT_EQ(TickToMeasure(song, 3840), 3);
    EXPECT_EQ(MeasureToTick(song, 4), 5760);
    EXPECT_EQ(TimeSignatureAt(song, 7), k44);
    int measure = 0;
    int offset = 0;
    TickToMeasureAndOffset(song, 2000, &measure, &offset);
    EXPECT_EQ(measure, 2);
    EXPECT_EQ(offset, 80);
    EXPECT_EQ(song.SlotTrack(kMeasureSlot), nullptr);
}

TEST_F(EmptyMeasureTrackTest, AContainerWithoutEndMarkersAnswersAsWithoutMeasures) {
    CCPTrackContainers plain;
    EXPECT_EQ(TickToMeasure(plain, 2000), 2);
    EXPECT_EQ(TimeSignatureAt(plain, 1), k44);
    EXPECT_EQ(SongEndTick(plain), 0);
    EXPECT_EQ(plain.SlotTrack(kMeasureSlot), nullptr);
}

TEST(SongLengthTest, AShortNoteInOneMeasureEndsTheSongAtMeasureTwo) {
    SongContainer song(1);
    WriteMeasures(song, {k44});
    {
        CursorGuard part(song, PartSlot(0));
        InsertAt(*part, 0, Note(60, 480));
    }
    EXPECT_EQ(SongEndTick(song), 1920);
    EXPECT_EQ(SongEndMeasure(song), 2);
    for (int part = 1; part < kPartCount; ++part) ASSERT_EQ(song.SlotTrack(PartSlot(part)), nullptr);
}

TEST(SongLengthTest, TheTempoAndLyricTracksCountOnlyForTheWholeSongLength) {
    SongContainer song(1);
    {
        CursorGuard tempo(song, kTempoSlot);
        InsertAt(*tempo, 7680, MakeEvent(EventKind::kTempo));
        InsertAt(*tempo, 7700, MakeEvent(EventKind::kTempo));
        CursorGuard part(song, PartSlot(3));
        InsertAt(*part, 960, Note(60, 10));
        InsertAt(*part, 1000, Note(61, 10));
    }
    // The part ends with the last note's gate: 1000 + 10 - 1.
    EXPECT_EQ(SongEndTick(song), 1009);
    // The tempo track's length is where its last event starts.
    EXPECT_EQ(SongLengthTicks(song), 7700);
}

