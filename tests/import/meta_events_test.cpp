// Meta events: tempo, the measure track from time and key signatures, song
// texts, part names, lyrics and the pre-count values.
#include <gtest/gtest.h>

#include "import/song_passes.h"
#include "sequencer/tempo_clock.h"
#include "smf_test_support.h"

namespace {

using smftest::Bytes;
using smftest::Chunk;
using smftest::Imported;
using smftest::Smf;

Imported& Import(Imported& im, const Bytes& bytes) {
    smftest::ImportBytes(bytes, im);
    EXPECT_EQ(im.load.result, 0);
    return im;
}

// The measure track as (tick, time-signature byte, key byte) per measure,
// plus its end tick.
struct Measures {
    std::vector<std::array<int, 3>> starts;
    int end = 0;
};
Measures MeasureTrack(SongContainer& song) {
    Measures m;
    for (const auto& e : smftest::Events(song, kMeasureSlot)) {
        if (e.event.IsMeasure()) m.starts.push_back({e.tick, e.event.U8(5), e.event.U8(6)});
        if (e.event.IsEnd()) m.end = e.tick;
    }
    return m;
}

std::vector<std::string> Lyrics(SongContainer& song) {
    std::vector<std::string> texts;
    for (const auto& e : smftest::Sounding(song, kLyricSlot)) {
        char record[40] = {};
        PoolRead(song.Pool(PoolId::kText), e.event.U16(4), sizeof record - 1, record);
        texts.emplace_back(record + 4);
    }
    return texts;
}

TEST(Tempo, MicrosecondsPerQuarterBecomeHundredthsOfBpm) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Tempo(0, 500000).Tempo(480, 400000).End()}));
    const auto tempo = smftest::Sounding(im.song, kTempoSlot);
    ASSERT_EQ(tempo.size(), 2u);
    EXPECT_EQ(tempo[0].event.I32(4), 12000);
    EXPECT_EQ(tempo[1].tick, 480);
    EXPECT_EQ(tempo[1].event.I32(4), 15000);
}

TEST(Tempo, EveryTempoAFileCanStateIsKeptUpToTheClocksFastest) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Tempo(0, 7500000).Tempo(480, 0xFFFFFF).Tempo(0, 0).Tempo(0, 100).End()}));
    const auto tempo = smftest::Sounding(im.song, kTempoSlot);
    ASSERT_EQ(tempo.size(), 3u) << "zero microseconds a quarter states no tempo";
    EXPECT_EQ(tempo[0].event.I32(4), 800);  // a fermata's 8.00 BPM
    EXPECT_EQ(tempo[1].event.I32(4), 357);  // the slowest: 3.57 BPM
    EXPECT_EQ(tempo[2].event.I32(4), kMaxEffectiveTempo);
}

TEST(Tempo, ATempoEventOfAnotherLengthIsSkippedByItsLength) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Meta(0, 0x51, {1, 2, 3, 4}).At(0, {0xC0, 1}).End()}));
    EXPECT_TRUE(smftest::Sounding(im.song, kTempoSlot).empty());
    EXPECT_EQ(smftest::Sounding(im.song, kFirstPartSlot).size(), 1u);
}

TEST(MeasureTrack, ThreeFourThenSixEightLaysOutFourMeasuresThenTheNewMeter) {
    Imported im;
    Import(im, Smf(1, 480, {Chunk().TimeSig(0, 3, 2).TimeSig(5760, 6, 3).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.starts[i][0], i * 1440);
        EXPECT_EQ(m.starts[i][1], 0x23);
    }
    EXPECT_EQ(m.starts[4][0], 5760);
    EXPECT_EQ(m.starts[4][1], 0x57);
    EXPECT_EQ(m.end, 5760 + 1440);
}

TEST(MeasureTrack, TheFilesOwnMetersAndMarkersAreKeptForTheBarMap) {
    Imported im;
    // 8/4 (which the measure track stores as 4/4), then 7/8 at tick 7680;
    // a marker in the conductor chunk and one in a part's chunk.
    Import(im, Smf(1, 480, {Chunk().TimeSig(0, 8, 2).Text(0, 0x06, "Intro").TimeSig(7680, 7, 3).End(),
                            Chunk().At(0, {0xC0, 1}).Text(8000, 0x06, "Solo").End()}));
    EXPECT_EQ(im.song.fileMeters, (std::vector<MeterChange>{{0, 8, 4}, {7680, 7, 8}}));
    ASSERT_EQ(im.song.fileMarkers.size(), 2u);
    EXPECT_EQ(im.song.fileMarkers[0].tick, 0);
    EXPECT_EQ(im.song.fileMarkers[0].text, "Intro");
    EXPECT_EQ(im.song.fileMarkers[1].tick, 8000);
    EXPECT_EQ(im.song.fileMarkers[1].text, "Solo");
    EXPECT_EQ(MeasureTrack(im.song).starts.front()[1], 0x33);  // the measure track refuses 8/4
}

TEST(MeasureTrack, AMeterInALaterChunkAtTickZeroPatchesTheFirstMeasure) {
    Imported im;
    Import(im, Smf(1, 480, {Chunk().TimeSig(0, 4, 2).End(), Chunk().TimeSig(0, 3, 2).KeySig(4000, 0, 0).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_GE(m.starts.size(), 3u);
    EXPECT_EQ(m.starts[0][1], 0x23);
    EXPECT_EQ(m.starts[1][0], 1920) << "the patched measure keeps its 1920 ticks";
    EXPECT_EQ(m.starts[2][0], 1920 + 1440) << "measures appended afterwards last 1440";
}

TEST(MeasureTrack, AMeterInsideAnExistingMeasurePatchesTheNextMeasureStart) {
    Imported im;
    Import(im, Smf(1, 480, {Chunk().TimeSig(0, 4, 2).KeySig(3840, 1, 0).End(), Chunk().TimeSig(1000, 2, 2).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 3u);
    EXPECT_EQ(m.starts[0][1], 0x33);
    EXPECT_EQ(m.starts[1][0], 1920);
    EXPECT_EQ(m.starts[1][1], 0x13) << "2/4 lands on the measure after tick 1000";
}

TEST(MeasureTrack, SeveralMetersAtOneTickLeaveTheLastOnTheMeasureStartedThere) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 3, 2).TimeSig(3 * 1440, 4, 2).TimeSig(0, 2, 2).TimeSig(0, 6, 3).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 4u);
    EXPECT_EQ(m.starts[3][0], 3 * 1440);
    EXPECT_EQ(m.starts[3][1], 0x57) << "6/8, the last one, patched in";
    EXPECT_EQ(m.end, 3 * 1440 + 1920) << "the measure keeps the length it was appended with";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.starts[i][1], 0x23);
}

TEST(MeasureTrack, AKeySignatureAloneWritesOneFourFourMeasureWithThatKey) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().KeySig(0, -3, 1).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 1u);
    EXPECT_EQ(m.starts[0][1], 0x33);
    EXPECT_EQ(m.starts[0][2], ((-3 + 7) & 0x7F) | 0x80);
    EXPECT_EQ(m.end, 1920);
}

TEST(MeasureTrack, MeterAndKeyAtTickZeroAreCurrentWhateverTheirOrder) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().KeySig(0, 2, 0).TimeSig(0, 6, 3).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 1u);
    EXPECT_EQ(m.starts[0][1], 0x57);
    EXPECT_EQ(m.starts[0][2], 9);
    EXPECT_EQ(m.end, 1440);
}

TEST(MeasureTrack, ARefusedMeterIsWrittenAsFourFour) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 8, 2).End()}));
    const Measures m = MeasureTrack(im.song);
    ASSERT_EQ(m.starts.size(), 1u);
    EXPECT_EQ(m.starts[0][1], 0x33);
}

TEST(MeasureTrack, AMeterOfAnotherLengthIsSkippedAfterTheTrackReachedItsTick) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 4, 2).Meta(3840, 0x58, {3, 2, 24}).At(0, {0xC0, 1}).End()}));
    const Measures m = MeasureTrack(im.song);
    EXPECT_EQ(m.end, 3840);
    EXPECT_EQ(smftest::Sounding(im.song, kFirstPartSlot).size(), 1u);
}

TEST(SongTexts, TheFirstChunksLeadingTextsBecomeTitleCopyrightAndComment) {
    Imported im;
    const std::string longTitle(200, 'T');
    Import(im, Smf(1, 480, {Chunk()
                                .Text(0, 0x03, longTitle)
                                .Text(0, 0x03, "second name")
                                .Text(0, 0x02, "(c) Someone")
                                .Text(0, 0x01, "A comment")
                                .Text(10, 0x01, "too late")
                                .End()}));
    EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], std::string(127, 'T'));
    EXPECT_EQ(im.song.infoStrings[InfoString::kCopyright], "(c) Someone");
    EXPECT_EQ(im.song.infoStrings[InfoString::kComment], "A comment");
}

TEST(SongTexts, AnXflnTextGivesComposerAndLyricist) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Text(0, 0x01, "XFln:L1:Song name:Composer A:Lyricist B").End()}));
    EXPECT_EQ(im.song.infoStrings[InfoString::kComposer], "Composer A");
    EXPECT_EQ(im.song.infoStrings[InfoString::kLyricist], "Lyricist B");
    EXPECT_EQ(im.song.infoStrings[InfoString::kComment], "XFln:L1:Song name:Composer A:Lyricist B");
}

TEST(SongTexts, AShortXflnTextSetsOnlyTheFieldsItHas) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Text(5, 0x01, "XFln:L1:Name:Composer").Text(5, 0x01, "Other text").End()}));
    EXPECT_EQ(im.song.infoStrings[InfoString::kComposer], "Composer");
    EXPECT_EQ(im.song.infoStrings[InfoString::kLyricist], "");
}

TEST(PartNames, TrackNamesOfLaterChunksNameTheirParts) {
    Imported im;
    Import(im, Smf(1, 480, {Chunk().Text(0, 0x03, "Title").At(0, {0xC0, 1}).End(),
                            Chunk().Text(0, 0x03, "Bass").At(0, {0xC1, 1}).End(),
                            Chunk().Text(0, 0x03, "Track3").At(0, {0xC2, 1}).End()}));
    EXPECT_EQ(im.song.partNames[0], "") << "the first chunk's name is the title";
    EXPECT_EQ(im.song.partNames[1], "Bass");
    EXPECT_EQ(im.song.partNames[2], "") << "a name equal to the default changes nothing";
    EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], "Title");
}

TEST(Lyrics, LyricsGoToTheLyricTrackAtTheirTicks) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Text(0, 0x05, "Hel").Text(240, 0x05, "lo").End()}));
    const auto events = smftest::Sounding(im.song, kLyricSlot);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].tick, 240);
    EXPECT_EQ(Lyrics(im.song), (std::vector<std::string>{"Hel", "lo"}));
}

TEST(Lyrics, BreakMarksAloneAreDroppedAndCleanedFromLongerLyrics) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk()
                                .Text(0, 0x05, "/")
                                .Text(10, 0x05, "<")
                                .Text(10, 0x05, "day/")
                                .Text(10, 0x05, "<night")
                                .Text(10, 0x05, "a>b>c")
                                .End()}));
    EXPECT_EQ(Lyrics(im.song), (std::vector<std::string>{"day", "night", "abc"}));
}

TEST(Lyrics, ALyricKeepsItsFirst32Bytes) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().Text(0, 0x05, std::string(40, 'x')).At(0, {0xC0, 1}).End()}));
    EXPECT_EQ(Lyrics(im.song), std::vector<std::string>{std::string(32, 'x')});
    EXPECT_EQ(smftest::Sounding(im.song, kFirstPartSlot).size(), 1u);
}

TEST(LyricCleanUp, RemovesATrailingSlashALeadingBracketAndEveryClosingBracket) {
    EXPECT_EQ(CleanLyricText("la/"), "la");
    EXPECT_EQ(CleanLyricText("<la"), "la");
    EXPECT_EQ(CleanLyricText("a>b>c"), "abc");
    EXPECT_EQ(CleanLyricText("</"), "");
    EXPECT_EQ(CleanLyricText("x/y"), "x/y");
}

TEST(PreCount, AFileWithoutTimeSignaturesGives480Times4) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().NoteOn(0, 0, 60, 1).NoteOff(480, 0, 60).End()}));
    EXPECT_EQ(im.load.preCount.clickTicks, 480);
    EXPECT_EQ(im.load.preCount.clicksPerMeasure, 4);
}

TEST(PreCount, ASingleSixEightWith36ClocksGivesTwoClicksOf720) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 6, 3, 36).End(1440 * 8)}));
    EXPECT_EQ(im.load.preCount.clickTicks, 720);
    EXPECT_EQ(im.load.preCount.clicksPerMeasure, 2);
}

TEST(PreCount, TheLongestMeterAmongTheFirstFiveMeasuresIsChosen) {
    // 3/4 for 3 measures, 2/4 for 4, then 6/8 for 10: the first two cover
    // more than five measures and 2/4 lasted longest.
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 3, 2).TimeSig(3 * 1440, 2, 2).TimeSig(4 * 960, 6, 3, 36).End(
                                10 * 1440)}));
    EXPECT_EQ(im.load.preCount.clickTicks, 480);
    EXPECT_EQ(im.load.preCount.clicksPerMeasure, 2);
}

TEST(PreCount, AMeterLastingExactlyFiveMeasuresLetsTheWalkGoOnToTheNext) {
    // 3/4 for exactly five measures has not passed five yet, so 4/4 (ten
    // measures) is walked too and chosen.
    Imported im;
    Import(im, Smf(0, 480, {Chunk().TimeSig(0, 3, 2).TimeSig(5 * 1440, 4, 2).End(10 * 1920)}));
    EXPECT_EQ(im.load.preCount.clickTicks, 480);
    EXPECT_EQ(im.load.preCount.clicksPerMeasure, 4);
}

TEST(PartEnable, PartsUpToTheLastOneWithEventsAreMovedToPortZero) {
    std::vector<Chunk> chunks;
    for (int i = 0; i < 18; ++i) {
        Chunk c;
        if (i == 0 || i == 17) c.At(0, {static_cast<std::uint8_t>(0xC0 | (i % 16)), 1});
        chunks.push_back(c.End());
    }
    Imported im;
    Import(im, Smf(1, 480, chunks));
    EXPECT_EQ(im.song.partChannel[17], 0x01) << "part 17 was on port 1";
    EXPECT_EQ(im.song.partChannel[16], 0x00);
    EXPECT_EQ(im.song.partChannel[18], 0x12) << "parts after the last one keep their port";
}

TEST(PartEnable, NothingChangesWhenOnlyTheFirstPartHoldsEvents) {
    Imported im;
    Import(im, Smf(0, 480, {Chunk().At(0, {0xC0, 1}).End()}));
    EXPECT_EQ(im.song.partChannel[16], 0x10);
}

}  // namespace
