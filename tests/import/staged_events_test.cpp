// Gathering events over chunks and writing them into a track in one pass.
#include <gtest/gtest.h>

#include "import/staged_events.h"
#include "smf_test_support.h"

namespace {

TrackEvent Program(int program) {
    TrackEvent e = MakeEvent(EventKind::kProgram);
    e.SetU8(4, static_cast<std::uint8_t>(program));
    return e;
}

std::vector<std::pair<int, int>> ProgramsWithTicks(SongContainer& song, int slot) {
    std::vector<std::pair<int, int>> out;
    for (const auto& e : smftest::Sounding(song, slot)) out.emplace_back(e.tick, e.event.U8(4));
    return out;
}

TEST(StagedEvents, RunsOfLaterChunksMergeInTimeOrderAfterEarlierEventsOfTheirTick) {
    StagedEvents staged;
    for (auto [tick, program] : {std::pair{0, 1}, {480, 2}, {960, 3}}) staged.Add(TimedEvent{tick, Program(program)});
    for (auto [tick, program] : {std::pair{0, 11}, {480, 12}, {700, 13}, {5000, 14}})
        staged.Add(TimedEvent{tick, Program(program)});
    staged.Reach(6000);
    SongContainer song(1);
    {
        CursorGuard cursor(song, kFirstPartSlot);
        staged.WriteInto(cursor.Get());
    }
    EXPECT_EQ(ProgramsWithTicks(song, kFirstPartSlot),
              (std::vector<std::pair<int, int>>{{0, 1}, {0, 11}, {480, 2}, {480, 12}, {700, 13}, {960, 3}, {5000, 14}}));
    const auto all = smftest::Events(song, kFirstPartSlot);
    EXPECT_EQ(all.back().tick, 6000);
    EXPECT_TRUE(all.back().event.IsEnd());
    for (const auto& e : all) EXPECT_LE(e.event.Step(), kMaxRestStep) << e.tick;
    EXPECT_TRUE(staged.Empty()) << "written events are forgotten";
}

TEST(StagedEvents, AGapBeforeTheFirstEventIsMadeOfRests) {
    StagedEvents staged;
    staged.Add(TimedEvent{4000, Program(7)});
    SongContainer song(1);
    {
        CursorGuard cursor(song, kFirstPartSlot);
        staged.WriteInto(cursor.Get());
    }
    const auto all = smftest::Events(song, kFirstPartSlot);
    ASSERT_EQ(all.size(), 5u);  // 1920, 1920, 160, the program change, the end marker
    EXPECT_TRUE(all[0].event.IsRest());
    EXPECT_EQ(all[2].event.Step(), 160);
    EXPECT_EQ(all[3].tick, 4000);
    EXPECT_EQ(all[4].tick, 4000);
}

}  // namespace
