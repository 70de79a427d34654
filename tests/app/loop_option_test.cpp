// --loop N with --measures: the section played N times in one file, what
// the module hears at each pass's start, and the tempo steps from pass to pass.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "option_conversion_fixture.h"
#include "render/prepare_render_song.h"

namespace {

// Four measures of 4/4 at 120 BPM, 480 ticks a quarter: channel 1 plays
// key 60 + m on every beat of measure m (1-4); program 10 is set in
// measure 1 and program 20 in the middle of measure 2; in measure 3 key 90
// sounds from its last beat for two whole measures, across the section's end.
smftest::Bytes FourMeasures() {
    using smftest::Chunk;
    Chunk tempo;
    tempo.Tempo(0, 500000).TimeSig(0, 4, 2).End();
    Chunk notes;
    notes.At(0, {0xC0, 10});
    for (int measure = 1; measure <= 4; ++measure) {
        for (int beat = 0; beat < 4; ++beat) {
            if (measure == 2 && beat == 2) notes.At(0, {0xC0, 20});
            if (measure == 3 && beat == 3) notes.NoteOn(0, 0, 90, 100);
            notes.NoteOn(0, 0, 60 + measure, 100).NoteOff(480, 0, 60 + measure);
        }
    }
    notes.NoteOff(0, 0, 90).End();
    return smftest::Smf(1, 480, {tempo, notes});
}

class LoopOption : public OptionConversionTest {
protected:
    std::vector<Sent> Convert(const std::vector<std::string>& arguments) {
        return ShortMessages(ConvertWith(FourMeasures(), arguments));
    }
};

TEST_F(LoopOption, EachPassStartsOnTimeWithTheStateOfItsFirstMeasure) {
    // Measures 2-3, three passes at 100, 150 and 200 %: 4000, 2667 and 2000 ms.
    const std::vector<Sent> sent = Convert({"--no-precount", "--measures", "2-3", "--loop", "3", "--tempo-step", "50"});
    const std::vector<Sent> starts = NoteOns(sent, 62);
    ASSERT_EQ(starts.size(), 12u);  // four beats a pass
    const double expectedMs[] = {0.0, 4000.0, 4000.0 + 8000.0 / 3};
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_NEAR(starts[pass * 4].block * kMsPerBlock, expectedMs[pass], kMsPerBlock) << "pass " << pass;
    }
    EXPECT_EQ(NoteOns(sent, 61).size(), 0u);
    EXPECT_EQ(NoteOns(sent, 64).size(), 0u);
    // Program 10, as it stands at measure 2, comes again before every pass's
    // first note; program 20 follows in the middle of each pass.
    for (int pass = 0; pass < 3; ++pass) {
        const auto first = std::find_if(sent.begin(), sent.end(), [&](const Sent& s) {
            return s.status == 0x90 && s.data1 == 62 && s.data2 > 0 && s.block == starts[pass * 4].block;
        });
        const auto program = std::find_if(std::make_reverse_iterator(first), sent.rend(),
                                          [](const Sent& s) { return s.status == 0xC0; });
        ASSERT_NE(program, sent.rend()) << "pass " << pass;
        EXPECT_EQ(program->data1, 10) << "pass " << pass;
    }
    // The note across the section's end is let go before the next pass starts.
    const std::vector<Sent> held = NoteOns(sent, 90);
    ASSERT_EQ(held.size(), 3u);
    for (int pass = 0; pass < 2; ++pass) {
        const auto off = std::find_if(sent.begin(), sent.end(), [&](const Sent& s) {
            return s.block >= held[pass].block && s.data1 == 90 && (s.status == 0x80 || (s.status == 0x90 && s.data2 == 0));
        });
        ASSERT_NE(off, sent.end());
        EXPECT_LE(off->block, starts[(pass + 1) * 4].block) << "pass " << pass;
    }
}

TEST_F(LoopOption, TempoToSpreadsTheStepsEvenlyAndThePreCountComesOnce) {
    SongOptions options;
    ResetSongOptions(options);
    options.tempoPercent = 70;
    options.loopPasses = 8;
    options.loopTempoTo = 105;
    const int expected[] = {70, 75, 80, 85, 90, 95, 100, 105};
    for (int pass = 0; pass < 8; ++pass) EXPECT_EQ(PassTempo(options, pass), expected[pass]);
    options.loopTempoTo = 0;
    options.loopTempoStep = 400;
    EXPECT_EQ(PassTempo(options, 7), 999);

    // A pre-count measure (2000 ms at 120 BPM) before the first pass only.
    const std::vector<Sent> sent = Convert({"--measures", "2-3", "--loop", "2", "--tempo", "50", "--tempo-to", "100"});
    const std::vector<Sent> starts = NoteOns(sent, 62);
    ASSERT_EQ(starts.size(), 8u);
    EXPECT_NEAR(starts[0].block * kMsPerBlock, 4000.0, kMsPerBlock);          // the count-in at 50 %
    EXPECT_NEAR(starts[4].block * kMsPerBlock, 4000.0 + 8000.0, kMsPerBlock);  // one pass at 50 %
}

TEST_F(LoopOption, CountInEachPutsACountInBeforeEveryPassAtThatPassesTempo) {
    // Measures 2-3, three passes at 100, 150 and 200 %: a bar of four clicks
    // (2000, 1333 and 1000 ms) before each pass of 4000, 2667 and 2000 ms.
    const std::vector<Sent> sent =
        Convert({"--measures", "2-3", "--loop", "3", "--tempo-step", "50", "--count-in-each"});
    const std::vector<Sent> clicks = NoteOns(sent, 37, 10);
    const std::vector<Sent> starts = NoteOns(sent, 62);
    ASSERT_EQ(clicks.size(), 12u);
    ASSERT_EQ(starts.size(), 12u);
    const double passStartMs[] = {0.0, 6000.0, 6000.0 + 1333.3 + 2666.7};
    const double beatMs[] = {500.0, 1000.0 / 3, 250.0};
    for (int pass = 0; pass < 3; ++pass) {
        for (int beat = 0; beat < 4; ++beat) {
            EXPECT_NEAR(clicks[pass * 4 + beat].block * kMsPerBlock, passStartMs[pass] + beat * beatMs[pass], kMsPerBlock)
                << "pass " << pass << " beat " << beat;
        }
        EXPECT_NEAR(starts[pass * 4].block * kMsPerBlock, passStartMs[pass] + 4 * beatMs[pass], kMsPerBlock) << "pass " << pass;
    }

    // Without it, one count-in before the first pass only.
    const std::vector<Sent> once = Convert({"--measures", "2-3", "--loop", "3", "--tempo-step", "50"});
    EXPECT_EQ(NoteOns(once, 37, 10).size(), 4u);
}

TEST_F(LoopOption, CountInEachWithTheClickKeepsOneGridOfBeats) {
    // Two passes at 100 %: the count-in bar, the section's 8 beats, again.
    const std::vector<Sent> sent = Convert({"--measures", "2-3", "--loop", "2", "--count-in-each", "--click"});
    std::vector<int> clickBlocks;
    for (const Sent& s : sent) {
        if ((s.status & 0xF0) == 0x90 && s.data2 > 0 && s.status != 0x90) clickBlocks.push_back(s.block);
    }
    ASSERT_EQ(clickBlocks.size(), 24u);
    for (std::size_t beat = 0; beat < clickBlocks.size(); ++beat) {
        EXPECT_NEAR(clickBlocks[beat] * kMsPerBlock, beat * 500.0, kMsPerBlock) << "beat " << beat;
    }
    const std::vector<Sent> starts = NoteOns(sent, 62);
    ASSERT_EQ(starts.size(), 8u);
    EXPECT_NEAR(starts[4].block * kMsPerBlock, 2000.0 + 4000.0 + 2000.0, kMsPerBlock);
}

TEST(LoopOptionLine, NeedsASectionAndTempoStepsNeedALoop) {
    EXPECT_NE(ParseOptionCommandLine({"--loop", "3", "a.mid"}).error, "");
    EXPECT_NE(ParseOptionCommandLine({"--loop", "0", "--measures", "1-2", "a.mid"}).error, "");
    EXPECT_NE(ParseOptionCommandLine({"--loop", "100", "--measures", "1-2", "a.mid"}).error, "");
    EXPECT_NE(ParseOptionCommandLine({"--tempo-step", "5", "--measures", "1-2", "a.mid"}).error, "");
    EXPECT_NE(ParseOptionCommandLine({"--loop", "3", "--measures", "1-2", "--tempo-step", "5", "--tempo-to", "90", "a.mid"}).error, "");
    EXPECT_NE(ParseOptionCommandLine({"--count-in-each", "--measures", "1-2", "a.mid"}).error, "");
    EXPECT_TRUE(ParseOptionCommandLine({"--count-in-each", "--loop", "2", "--measures", "1-2", "a.mid"}).request.countInEach);
    // --count-in is still the shorter option it was.
    EXPECT_EQ(ParseOptionCommandLine({"--count-in", "2", "a.mid"}).request.countInBars, 2);
    const ParsedCommandLine parsed = ParseOptionCommandLine({"--loop", "8", "--measures", "17-24", "--tempo", "70", "--tempo-to", "105", "a.mid"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.request.loopPasses, 8);
    EXPECT_EQ(parsed.request.tempoTo, 105);
    // --tempo's beginnings still name it; a beginning of only the longer forms does not.
    EXPECT_EQ(ParseOptionCommandLine({"--temp", "70", "a.mid"}).request.tempoPercent, 70);
    EXPECT_EQ(ParseOptionCommandLine({"--loop", "2", "--measures", "1", "--tempo-s", "5", "a.mid"}).request.tempoStep, 5);
    EXPECT_NE(ParseOptionCommandLine({"--tempo-", "5", "a.mid"}).error.find("ambiguous"), std::string::npos);
}

}  // namespace
