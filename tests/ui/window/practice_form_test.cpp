// The Practice dialog's typed fields: read with the option command line's
// limits, wrong values named with their field, and shown back as typed.
#include <gtest/gtest.h>

#include "model/song_options.h"
#include "ui/window/practice_form.h"

namespace {

constexpr int kBassChannelIndex = 1;  // channel 2

// A song with a piano on channel 1, a bass on channel 2 in a track named
// "Walking Bass" and drums on channel 10; no melody or guitar was found.
SongOptions BandSong() {
    SongOptions song;
    ResetSongOptions(song);
    for (const int channel : {0, kBassChannelIndex, kDrumChannelIndex}) song.channelUsed[channel] = 1;
    song.partChannels[PartKind::kBass] = 1u << kBassChannelIndex;
    song.partChannels[PartKind::kDrums] = 1u << kDrumChannelIndex;
    song.trackNames[kBassChannelIndex] = {"Walking Bass"};
    return song;
}

// Settings with a section, as the dialog fills them before the form.
PracticeSettings WithSection() {
    PracticeSettings settings;
    settings.firstMeasure = 3;
    settings.lastMeasure = 6;
    return settings;
}

PracticeFormProblem Read(const PracticeForm& form, PracticeSettings& settings) {
    return ReadPracticeForm(form, BandSong(), settings);
}

}  // namespace

TEST(PracticeForm, ReadsEveryFieldWithinTheCommandLinesLimits) {
    PracticeForm form;
    form.clickLevel = " -4.5 ";
    form.loop = true;
    form.loopPasses = "8";
    form.tempoStep = "+5";
    form.partLevels = {"", "", "-6", "+3"};
    form.otherLevels = "1=-60; walking bass=+12 ;";
    PracticeSettings settings = WithSection();
    const PracticeFormProblem problem = Read(form, settings);
    EXPECT_EQ(problem.field, PracticeField::kNone) << problem.message;
    EXPECT_DOUBLE_EQ(settings.clickLevelDb, -4.5);
    EXPECT_EQ(settings.loopPasses, 8);
    EXPECT_EQ(settings.tempoStep, 5);
    EXPECT_EQ(settings.tempoTo, std::nullopt);
    EXPECT_EQ(settings.levels, (std::vector<LevelRequest>{{"bass", -6}, {"drums", 3}, {"1", -60}, {"walking bass", 12}}));

    // The same fields again: what an earlier reading left is replaced.
    form = PracticeForm{};
    form.loop = true;
    form.loopPasses = "3";
    form.tempoTo = "100";
    EXPECT_EQ(Read(form, settings).field, PracticeField::kNone);
    EXPECT_EQ(settings.tempoStep, std::nullopt);
    EXPECT_EQ(settings.tempoTo, 100);
    EXPECT_DOUBLE_EQ(settings.clickLevelDb, 0.0);
    EXPECT_TRUE(settings.levels.empty());
    form.loop = false;  // unticked: one pass, whatever the spin shows
    form.tempoTo.clear();
    EXPECT_EQ(Read(form, settings).field, PracticeField::kNone);
    EXPECT_EQ(settings.loopPasses, 1);
}

TEST(PracticeForm, NamesTheFieldThatIsWrong) {
    const struct {
        const char* what;
        PracticeForm form;
        PracticeField field;
        int part;
    } cases[] = {
        {"click level above +6", [] { PracticeForm f; f.clickLevel = "6.5"; return f; }(), PracticeField::kClickLevel, -1},
        {"click level below -40", [] { PracticeForm f; f.clickLevel = "-41"; return f; }(), PracticeField::kClickLevel, -1},
        {"click level not a number", [] { PracticeForm f; f.clickLevel = "loud"; return f; }(), PracticeField::kClickLevel, -1},
        {"empty click level", [] { PracticeForm f; f.clickLevel = ""; return f; }(), PracticeField::kClickLevel, -1},
        {"100 passes", [] { PracticeForm f; f.loop = true; f.loopPasses = "100"; return f; }(), PracticeField::kLoop, -1},
        {"a step of decimals", [] { PracticeForm f; f.loop = true; f.tempoStep = "2.5"; return f; }(), PracticeField::kTempoStep, -1},
        {"a step of 999", [] { PracticeForm f; f.loop = true; f.tempoStep = "999"; return f; }(), PracticeField::kTempoStep, -1},
        {"a last tempo of 0", [] { PracticeForm f; f.loop = true; f.tempoTo = "0"; return f; }(), PracticeField::kTempoTo, -1},
        {"a step and a last tempo", [] { PracticeForm f; f.loop = true; f.tempoStep = "5"; f.tempoTo = "120"; return f; }(), PracticeField::kTempoTo, -1},
        {"a step with one pass", [] { PracticeForm f; f.loop = true; f.loopPasses = "1"; f.tempoStep = "5"; return f; }(), PracticeField::kTempoStep, -1},
        {"a bass above +12", [] { PracticeForm f; f.partLevels[2] = "+13"; return f; }(), PracticeField::kPartLevel, 2},
        {"a part the song lacks", [] { PracticeForm f; f.partLevels[0] = "-3"; return f; }(), PracticeField::kPartLevel, 0},
        {"a level without =", [] { PracticeForm f; f.otherLevels = "2 -6"; return f; }(), PracticeField::kOtherLevels, -1},
        {"channel 17", [] { PracticeForm f; f.otherLevels = "17=-6"; return f; }(), PracticeField::kOtherLevels, -1},
        {"a track the song lacks", [] { PracticeForm f; f.otherLevels = "2=-6; Alto=+6"; return f; }(), PracticeField::kOtherLevels, -1},
    };
    for (const auto& c : cases) {
        PracticeSettings settings = WithSection();
        const PracticeFormProblem problem = Read(c.form, settings);
        EXPECT_EQ(problem.field, c.field) << c.what;
        EXPECT_EQ(problem.part, c.part) << c.what;
        EXPECT_FALSE(problem.message.empty()) << c.what;
    }
    // Every message names what went wrong in its own words.
    PracticeSettings settings = WithSection();
    PracticeForm form;
    form.otherLevels = "Alto=+6";
    EXPECT_NE(Read(form, settings).message.find("Alto"), std::string::npos);
    form = PracticeForm{};
    form.partLevels[0] = "-3";
    EXPECT_NE(Read(form, settings).message.find("melody"), std::string::npos);
}

TEST(PracticeForm, ALoopNeedsASection) {
    PracticeForm form;
    form.loop = true;
    form.loopPasses = "4";
    PracticeSettings whole;  // no section
    EXPECT_EQ(Read(form, whole).field, PracticeField::kLoop);
    PracticeSettings section = WithSection();
    EXPECT_EQ(Read(form, section).field, PracticeField::kNone);
    EXPECT_EQ(section.loopPasses, 4);
}

TEST(PracticeForm, ShowsTheChoicesAsTheyWouldBeTyped) {
    PracticeSettings settings = WithSection();
    settings.clickLevelDb = -6;
    settings.loopPasses = 8;
    settings.tempoStep = 5;
    settings.levels = {{"bass", -6}, {"drums", 4.5}, {"2,5-7", -60}, {"bass", 3}, {"Walking Bass", 12}};
    const PracticeForm form = PracticeFormOf(settings);
    EXPECT_EQ(form.clickLevel, "-6");
    EXPECT_TRUE(form.loop);
    EXPECT_EQ(form.loopPasses, "8");
    EXPECT_EQ(form.tempoStep, "+5");
    EXPECT_EQ(form.tempoTo, "");
    EXPECT_EQ(form.partLevels, (std::array<std::string, 4>{"", "", "-6", "+4.5"}));
    // A second level for a part keeps its place after the first.
    EXPECT_EQ(form.otherLevels, "2,5-7=-60; bass=+3; Walking Bass=+12");
    EXPECT_EQ(PracticeFormOf(PracticeSettings{}).clickLevel, "0");
    EXPECT_FALSE(PracticeFormOf(PracticeSettings{}).loop);

    // Read back, the form gives the same choices.
    PracticeSettings again = WithSection();
    const PracticeFormProblem problem = ReadPracticeForm(form, BandSong(), again);
    ASSERT_EQ(problem.field, PracticeField::kNone) << problem.message;
    // The order changes only where a part's own field comes first.
    EXPECT_EQ(again.levels, (std::vector<LevelRequest>{{"bass", -6}, {"drums", 4.5}, {"2,5-7", -60}, {"bass", 3},
                                                       {"Walking Bass", 12}}));
    EXPECT_EQ(again.tempoStep, 5);
    EXPECT_DOUBLE_EQ(again.clickLevelDb, -6);
}
