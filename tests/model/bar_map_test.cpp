// Bars as the file's time signatures make them: the numbers a notation
// program shows, which --measures takes.
#include "model/bar_map.h"

#include <gtest/gtest.h>

#include "model/song_container.h"

namespace {

struct Laid {
    int number;
    int start;
    int length;
    int numerator;
    int denominator;
    friend bool operator==(const Laid&, const Laid&) = default;
};

std::vector<Laid> Bars(const std::vector<MeterChange>& changes, int endTick) {
    std::vector<Laid> laid;
    for (const Bar& bar : LayOutBars(changes, endTick)) {
        laid.push_back({bar.number, bar.start, bar.length, bar.numerator, bar.denominator});
    }
    return laid;
}

TEST(BarMap, AnEightFourBarIsOneBarNotTwo) {
    // Three bars of 8/4 (3840 ticks each); the song ends inside the third.
    EXPECT_EQ(Bars({{0, 8, 4}}, 9000),
              (std::vector<Laid>{{1, 0, 3840, 8, 4}, {2, 3840, 3840, 8, 4}, {3, 7680, 3840, 8, 4}}));
}

TEST(BarMap, SevenEightBarsLastSevenEighths) {
    EXPECT_EQ(Bars({{0, 7, 8}}, 3360), (std::vector<Laid>{{1, 0, 1680, 7, 8}, {2, 1680, 1680, 7, 8}}));
}

TEST(BarMap, ChangingMetersNumberOnFromBarToBar) {
    // 4/4, then 7/8 twice, then 3/4 from tick 5280; changes may come in any
    // order (several tracks), and of two at one tick the later wins.
    const std::vector<MeterChange> changes = {{5280, 3, 4}, {1920, 2, 4}, {1920, 7, 8}, {0, 4, 4}};
    EXPECT_EQ(Bars(changes, 6000), (std::vector<Laid>{{1, 0, 1920, 4, 4},
                                                      {2, 1920, 1680, 7, 8},
                                                      {3, 3600, 1680, 7, 8},
                                                      {4, 5280, 1440, 3, 4}}));
}

TEST(BarMap, APickupBarOfItsOwnMeterIsBarOne) {
    // A 1/4 bar in front of 4/4: the song's bar 2 is its first whole bar.
    EXPECT_EQ(Bars({{0, 1, 4}, {480, 4, 4}}, 4000),
              (std::vector<Laid>{{1, 0, 480, 1, 4}, {2, 480, 1920, 4, 4}, {3, 2400, 1920, 4, 4}}));
}

TEST(BarMap, AMeterChangeInsideABarEndsItThereAndTheSameMeterAgainStartsNothing) {
    EXPECT_EQ(Bars({{0, 4, 4}, {960, 4, 4}, {2880, 3, 4}}, 4000),
              (std::vector<Laid>{{1, 0, 1920, 4, 4}, {2, 1920, 960, 4, 4}, {3, 2880, 1440, 3, 4}}));
    // Before the first meter the bars are 4/4; a song that states none is all 4/4.
    EXPECT_EQ(Bars({}, 1920), (std::vector<Laid>{{1, 0, 1920, 4, 4}}));
    EXPECT_EQ(Bars({{1920, 3, 4}}, 3000), (std::vector<Laid>{{1, 0, 1920, 4, 4}, {2, 1920, 1440, 3, 4}}));
}

TEST(BarMap, AMeterWithoutAWholeNumberOfTicksCountsAsFourFour) {
    EXPECT_EQ(Bars({{0, 5, 4096}}, 1000), (std::vector<Laid>{{1, 0, 1920, 4, 4}}));
    EXPECT_EQ(Bars({{0, 0, 4}}, 1000), (std::vector<Laid>{{1, 0, 1920, 4, 4}}));
}

TEST(BarMap, TheMeasureTrackByteOfABarIsItsOwnMeterOrOneOfTheSameLength) {
    EXPECT_EQ(MeasureByteFor({1, 0, 3840, 8, 4}), 0x73);  // 8/4, which the importer stores as 4/4
    EXPECT_EQ(MeasureByteFor({1, 0, 1680, 7, 8}), 0x67);
    EXPECT_EQ(MeasureByteFor({1, 0, 960, 4, 4}), 0x13);   // cut short to two quarters: 2/4
    EXPECT_EQ(MeasureByteFor({1, 0, 420, 7, 32}), std::nullopt);
}

TEST(BarMap, ASongsBarsComeFromItsFileMetersElseFromItsMeasureTrack) {
    SongContainer song(1);
    song.fileMeters = {{0, 8, 4}};
    ASSERT_EQ(SongBars(song, 4000).size(), 2u);
    EXPECT_EQ(SongBars(song, 4000)[1].start, 3840);
    song.Reset();
    EXPECT_TRUE(song.fileMeters.empty());
    const std::vector<Bar> bars = SongBars(song, 4000);  // no measure events: 4/4
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[2].start, 3840);
    EXPECT_EQ(bars[2].numerator, 4);
}

}  // namespace

namespace {

TEST(BarMap, ATickFallsInTheBarStartingAtOrBeforeItAndBarsGoOnPastTheLast) {
    // A 2/4 pickup, then 8/4 bars: 960, then 3840 ticks each.
    const std::vector<Bar> bars = LayOutBars({{0, 2, 4}, {960, 8, 4}}, 8000);
    ASSERT_EQ(bars.size(), 3u);
    const auto place = [&](int tick) {
        const BarPlace at = PlaceOfTick(bars, tick);
        return std::pair(at.number, at.offset);
    };
    EXPECT_EQ(place(0), std::pair(1, 0));
    EXPECT_EQ(place(959), std::pair(1, 959));
    EXPECT_EQ(place(960), std::pair(2, 0));  // a bar's first tick is its own
    EXPECT_EQ(place(960 + 3839), std::pair(2, 3839));
    EXPECT_EQ(place(960 + 2 * 3840 - 1), std::pair(3, 3839));
    EXPECT_EQ(place(960 + 2 * 3840), std::pair(4, 0));        // past the last: bars of its length
    EXPECT_EQ(place(960 + 4 * 3840 + 5), std::pair(6, 5));
    EXPECT_EQ(place(-10), std::pair(1, 0));
    for (const int number : {1, 2, 3, 4, 6}) EXPECT_EQ(PlaceOfTick(bars, BarStartTick(bars, number)).number, number);
    EXPECT_EQ(BarStartTick(bars, 2), 960);
    EXPECT_EQ(BarStartTick(bars, 5), 960 + 3 * 3840);
    EXPECT_EQ(BarStartTick(bars, 0), 0);

    // Without bars every bar is a whole note long.
    EXPECT_EQ(PlaceOfTick({}, 2 * 1920 + 7).number, 3);
    EXPECT_EQ(PlaceOfTick({}, 2 * 1920 + 7).offset, 7);
    EXPECT_EQ(BarStartTick({}, 3), 2 * 1920);
}

}  // namespace
