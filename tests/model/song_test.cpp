// The song container: what an empty song looks like, Reset, part names,
// information strings and part notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/song_container.h"
#include "model_test_util.h"

namespace {

using Items = std::vector<std::string>;

TrackEvent Tempo(int tempo) {
    TrackEvent ev = MakeEvent(EventKind::kTempo);
    ev.SetI32(4, tempo);
    return ev;
}

std::vector<int> OccupiedSlots(const TrackContainers& song) {
    std::vector<int> slots;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (song.SlotTrack(slot)) slots.push_back(slot);
    }
    return slots;
}

}  // namespace

class SongTest : public ::testing::Test {
protected:
    SongContainer song{1};
};

TEST_F(SongTest, ANewSongHoldsOnlyTheTempoTrackWithOneTempoOf120) {
    EXPECT_EQ(OccupiedSlots(song), std::vector<int>{kTempoSlot});
    const Track& tempo = *song.SlotTrack(kTempoSlot);
    EXPECT_EQ(Describe(tempo), (Items{"F6:0", "FC:0"}));
    EXPECT_EQ(tempo.events[0].I32(4), kDefaultTempo);
    EXPECT_EQ(tempo.modified, 0);
    EXPECT_EQ(song.modifiedFlag, 0);
    EXPECT_EQ(song.GetAttribute(), 4);
    EXPECT_EQ(song.songWord, -18);
}

TEST_F(SongTest, PartsSitOnPortPartDiv16AndChannelPartMod16) {
    EXPECT_EQ(song.partChannel[0], 0x00);
    EXPECT_EQ(song.partChannel[17], 0x11);
    EXPECT_EQ(song.partChannel[255], 0xFF);
    EXPECT_EQ(song.partChannel[256], 0x00);
    EXPECT_EQ(song.partChannel[264], 0x08);
}

TEST_F(SongTest, SixPartsHaveDefaultShortNames) {
    EXPECT_EQ(song.ShortName(0), "Melo1");
    EXPECT_EQ(song.ShortName(1), "Bass1");
    EXPECT_EQ(song.ShortName(2), "Ac1");
    EXPECT_EQ(song.ShortName(3), "Ac2");
    EXPECT_EQ(song.ShortName(4), "Obli1");
    EXPECT_EQ(song.ShortName(9), "Drum1");
    EXPECT_FALSE(song.HasShortName(5));
    EXPECT_FALSE(song.HasShortName(264));
}

TEST_F(SongTest, ResetRestoresTheTempoTrackAndLeavesPartTracksAlone) {
    {
        CursorGuard tempo(song, kTempoSlot);
        InsertAt(*tempo, 0, Tempo(9000));
        InsertAt(*tempo, 1920, Tempo(15000));
        CursorGuard part(song, PartSlot(0));
        InsertAt(*part, 0, Note(60, 10));
    }
    song.partChannel[3] = 0x0F;
    song.SetInfoString(InfoString::kTitle, "Song");
    song.SetPartName("Piano", 0);
    const std::uint8_t message[] = {0xF0, 0x7E, 0xF7};
    ExclusiveStore(0, *song.exclusiveTable, 3, message);

    song.Reset();
    const Track& tempo = *song.SlotTrack(kTempoSlot);
    EXPECT_EQ(Describe(tempo), (Items{"F6:0", "FC:0"}));
    EXPECT_EQ(tempo.events[0].I32(4), kDefaultTempo);
    EXPECT_EQ(Describe(*song.SlotTrack(PartSlot(0))), (Items{"3C:0", "FC:0"}));
    EXPECT_EQ(song.partChannel[3], 0x03);
    EXPECT_EQ(song.infoStrings[InfoString::kTitle], "");
    EXPECT_EQ(song.DisplayName(0), "Track1");
    EXPECT_EQ(song.exclusiveTable->count, 0);
}

TEST_F(SongTest, ResetInsertsTheDefaultMarkerAndCountsEachResetOnce) {
    const auto before = song.Counters();
    song.Reset();
    const auto& after = song.Counters();
    EXPECT_EQ(after[Counter::kResetA], static_cast<std::uint16_t>(before[Counter::kResetA] + 1));
    EXPECT_EQ(after[Counter::kResetB], static_cast<std::uint16_t>(before[Counter::kResetB] + 1));
    EXPECT_EQ(after[Counter::kResetC], static_cast<std::uint16_t>(before[Counter::kResetC] + 1));
    EXPECT_EQ(after[Counter::kAllTracks], static_cast<std::uint16_t>(before[Counter::kAllTracks] + 1));
    const MarkerEntry* marker = song.Markers().Find(0);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->kind, 1);
    EXPECT_EQ(marker->subKind, 0);
    EXPECT_EQ(song.modifiedFlag, 1);
}

TEST_F(SongTest, ClearThenResetGivesAnEmptySongAgain) {
    {
        CursorGuard part(song, PartSlot(4));
        InsertAt(*part, 480, Note(64, 10));
    }
    song.Clear();
    song.Reset();
    EXPECT_EQ(OccupiedSlots(song), std::vector<int>{kTempoSlot});
    EXPECT_EQ(Describe(*song.SlotTrack(kTempoSlot)), (Items{"F6:0", "FC:0"}));
}

TEST_F(SongTest, NamingAPartWithItsDefaultNameChangesAndCountsNothing) {
    const auto counters = song.Counters();
    song.SetPartName("Track3", 2);
    EXPECT_EQ(song.partNames[2], "");
    EXPECT_EQ(song.Counters(), counters);
    EXPECT_EQ(SongContainer::DefaultDisplayName(255), "Track256");
    EXPECT_EQ(SongContainer::DefaultDisplayName(256), "Wave1");
}

TEST_F(SongTest, NamingAPartNotifiesItsCountersAndTheObservers) {
    SongObserver observer;
    song.AttachObserver(observer);
    const std::uint16_t first = song.PartCounters(7)[0];
    const std::uint16_t last = song.PartCounters(7)[11];
    const auto attributes = song.CounterValue(Counter::kPartAttributes);

    song.SetPartName("Strings", 7);
    EXPECT_EQ(song.DisplayName(7), "Strings");
    EXPECT_EQ(song.PartCounters(7)[0], static_cast<std::uint16_t>(first + 1));
    EXPECT_EQ(song.PartCounters(7)[11], static_cast<std::uint16_t>(last + 1));
    EXPECT_EQ(song.CounterValue(Counter::kPartAttributes), attributes + 1);
    EXPECT_EQ(observer.pairs[ObserverPair::kPartKind1000 + 3], (std::array<std::int16_t, 2>{7, 7}));
    EXPECT_EQ(observer.pairs[ObserverPair::kAnyPartAttribute], (std::array<std::int16_t, 2>{7, 7}));
    EXPECT_EQ(song.modifiedFlag, 1);

    song.SetPartName(nullptr, 7);
    EXPECT_EQ(song.DisplayName(7), "Track8");
    TrackContainers::DetachObserver(observer);
}

TEST_F(SongTest, AChannelChangeRaisesThePartChannelCounter) {
    SongObserver observer;
    song.AttachObserver(observer);
    const auto channel = song.CounterValue(Counter::kPartChannel);
    song.partChannel[20] = 0x15;
    song.NotifyPartChannel(20);
    EXPECT_EQ(song.CounterValue(Counter::kPartChannel), channel + 1);
    EXPECT_EQ(observer.pairs[ObserverPair::kPartKind1000 + 5], (std::array<std::int16_t, 2>{20, 20}));
    TrackContainers::DetachObserver(observer);
}

TEST_F(SongTest, AnInformationStringIsCountedOnlyWhenItChanges) {
    const auto strings = song.CounterValue(Counter::kSongStrings);
    song.SetInfoString(InfoString::kComposer, "Someone");
    song.SetInfoString(InfoString::kComposer, "Someone");
    EXPECT_EQ(song.CounterValue(Counter::kSongStrings), strings + 1);
    EXPECT_EQ(song.infoStrings[InfoString::kComposer], "Someone");
    song.SetInfoString(InfoString::kCount, "ignored");
    song.SetInfoString(InfoString::kComposer, nullptr);
    EXPECT_EQ(song.infoStrings[InfoString::kComposer], "");
}

TEST(SongWithoutPartTableTest, PartNotificationsWorkWithoutAPartTable) {
    SongContainer song(0);
    EXPECT_EQ(song.PartCounters(0), nullptr);
    song.SetPartName("Lead", 0);
    EXPECT_EQ(song.DisplayName(0), "Lead");
}
