// The render song for practice tracks: transposition, the metronome's beats
// and clicks, a section of measures and the stems' channels.
#include <gtest/gtest.h>

#include "model/slots.h"
#include "render/metronome.h"
#include "render/prepare_render_song.h"
#include "render/song_section.h"
#include "render/stems.h"
#include "render/transpose_song.h"
#include "sequencer/tempo_clock.h"
#include "tests/render/song_builder.h"

namespace {

constexpr int kPart0 = PartSlot(0);  // MIDI channel 1 after a reset
constexpr int kDrums = PartSlot(9);  // MIDI channel 10
constexpr std::uint8_t k34 = 0x23;   // 3/4
constexpr std::uint8_t k68 = 0x57;   // 6/8

SongOptions Defaults() {
    SongOptions options;
    ResetSongOptions(options);
    options.preCount = false;
    return options;
}

std::vector<int> Ticks(const std::vector<Beat>& beats) {
    std::vector<int> ticks;
    for (const Beat& beat : beats) ticks.push_back(beat.tick);
    return ticks;
}

// Kinds (note numbers) of the notes of a track, in order.
std::vector<int> NoteKinds(SongContainer& song, int slot) {
    std::vector<int> kinds;
    for (const TimedEvent& timed : EventsOf(song, slot)) {
        if (timed.event.IsNote()) kinds.push_back(timed.event.Kind());
    }
    return kinds;
}

class PracticeSongTest : public ::testing::Test {
protected:
    SongContainer loaded{1};
    SongContainer render{1};
};

TEST_F(PracticeSongTest, TransposingMovesEveryNoteButTheDrumsAndLeavesOutWhatFallsOutside) {
    Put(loaded, kPart0, 0, Note(60, 100));
    Put(loaded, kPart0, 480, Note(120, 100));  // 125 is still a note
    Put(loaded, kPart0, 720, Note(122, 100));  // 127, the highest note, is kept
    Put(loaded, kPart0, 960, Note(124, 100));  // 129 is not: left out
    Put(loaded, kPart0, 1440, Control(7, 90));
    Put(loaded, kDrums, 0, Note(36, 10));
    SongOptions options = Defaults();
    options.transpose = 5;
    EXPECT_EQ(PrepareRenderSong(loaded, options, render).notesLeftOut, 1);
    EXPECT_EQ(NoteKinds(render, kPart0), (std::vector<int>{65, 125, 127}));
    EXPECT_EQ(NoteKinds(render, kDrums), (std::vector<int>{36}));
    // The control after the left-out note keeps its tick.
    EXPECT_EQ(EventsOf(render, kPart0).back(), (TimedEvent{1440, Control(7, 90)}));
}

TEST_F(PracticeSongTest, TransposingDownStopsAtNoteOneAndFollowsTheSongsDrumFlags) {
    Put(loaded, kPart0, 0, Note(13, 100));  // 1 sounds
    Put(loaded, kPart0, 0, Note(12, 100));  // 0 is never sounded: left out
    Put(loaded, PartSlot(10), 0, Note(50, 100));  // channel 11, marked as drums by the song
    SongOptions options = Defaults();
    options.drumChannel[10] = 1;
    options.drumChannel[9] = 0;  // channel 10 plays an instrument here
    Put(loaded, kDrums, 0, Note(70, 100));
    EXPECT_EQ(TransposeParts(loaded, options, -12), 1);
    EXPECT_EQ(NoteKinds(loaded, kPart0), (std::vector<int>{1}));
    EXPECT_EQ(NoteKinds(loaded, PartSlot(10)), (std::vector<int>{50}));
    EXPECT_EQ(NoteKinds(loaded, kDrums), (std::vector<int>{58}));
}

TEST_F(PracticeSongTest, BeatsFollowEachMeasuresMeterWithTheFirstBeatAccented) {
    PutMeasure(loaded, 0, kDefaultTimeSignature);  // 4/4: four quarters
    PutMeasure(loaded, 1920, k34);                 // 3/4: three quarters
    PutMeasure(loaded, 3360, k68);                 // 6/8: two dotted quarters
    PutMeasure(loaded, 4800, 0x27);                // 3/8: three eighths
    Put(loaded, kPart0, 5039, Note(60, 1));
    // The song ends at the start of the measure after the one holding the
    // measure track's end (5520): a fifth measure repeats the last meter.
    const std::vector<Beat> beats = SongBeats(loaded, LastMeasure(loaded));
    EXPECT_EQ(Ticks(beats), (std::vector<int>{0, 480, 960, 1440, 1920, 2400, 2880, 3360, 4080, 4800, 5040, 5280, 5520,
                                              5760, 6000}));
    std::vector<int> accented;
    for (const Beat& beat : beats) {
        if (beat.accented) accented.push_back(beat.tick);
    }
    EXPECT_EQ(accented, (std::vector<int>{0, 1920, 3360, 4800, 5520}));
}

TEST_F(PracticeSongTest, TheClicksGoIntoAnEmptyPartOnChannelTenAndMoveWithThePreCount) {
    PutMeasure(loaded, 0, k34);
    Put(loaded, kPart0, 480, Note(60, 1400));  // the first note, on beat 2
    SongOptions options = Defaults();
    options.click = true;
    options.preCount = true;
    options.clickTicks = 480;
    options.clicksPerMeasure = 3;
    PrepareRenderSong(loaded, options, render);
    // Part 1 is the first part without events: the clicks' own part.
    EXPECT_EQ(render.partChannel[1], 9);
    const std::vector<TimedEvent> clicks = EventsOf(render, PartSlot(1));
    std::vector<int> ticks;
    std::vector<int> velocities;
    for (const TimedEvent& click : clicks) {
        EXPECT_EQ(click.event.Kind(), 37);
        ticks.push_back(click.tick);
        velocities.push_back(click.event.Velocity());
    }
    // The count-in is the click's first bar; the song's own beats follow,
    // the empty beat before the pickup included.
    EXPECT_EQ(ticks, (std::vector<int>{0, 480, 960, 1440, 1920, 2400, 2880, 3360, 3840}));
    EXPECT_EQ(EventsOf(render, kPart0), (std::vector<TimedEvent>{{480 + 1440, Note(60, 1400)}}));
    EXPECT_GT(velocities[0], velocities[1]);
    EXPECT_EQ(velocities[3], velocities[0]);  // the song's first bar is accented too
    EXPECT_LT(velocities[0], 100);  // under the pre-count's click
    // Nothing on the drum part: one grid, one set of clicks.
    EXPECT_TRUE(EventsOf(render, kDrums).empty());
}

TEST_F(PracticeSongTest, WithoutClicksThePreCountKeepsItsTimeButSoundsNothing) {
    PutMeasure(loaded, 0, kDefaultTimeSignature);
    Put(loaded, kDrums, 0, Note(36, 10));
    SongOptions options = Defaults();
    options.preCount = true;
    options.click = true;
    PrepareRenderSong(loaded, options, render, false);
    EXPECT_EQ(EventsOf(render, kDrums), (std::vector<TimedEvent>{{1920, Note(36, 10)}}));
    EXPECT_TRUE(EventsOf(render, PartSlot(0)).empty());
}

class SectionTest : public PracticeSongTest {
protected:
    // Four 4/4 measures; the part changes program, volume and bend before
    // measure 3 and holds a note into it.
    void SetUp() override {
        for (int measure = 0; measure < 4; ++measure) PutMeasure(loaded, measure * 1920, kDefaultTimeSignature);
        ClearTempoTrack(loaded);
        Put(loaded, kTempoSlot, 0, Tempo(12000));
        Put(loaded, kTempoSlot, 1920, Tempo(9000));
        Put(loaded, kTempoSlot, 4000, Tempo(10000));
        Put(loaded, kPart0, 0, Program(5));
        Put(loaded, kPart0, 0, Note(60, 480));
        Put(loaded, kPart0, 960, Control(7, 80));
        Put(loaded, kPart0, 2000, Note(62, 2000));  // sounds into measure 3 until 4000
        Put(loaded, kPart0, 3000, ChannelEvent(EventKind::kPitchBend, 0, 70));
        Put(loaded, kPart0, 3840, Note(64, 240));   // measure 3
        Put(loaded, kPart0, 5760, Note(65, 240));   // measure 4: left out
    }
};

TEST_F(SectionTest, TheStateBeforeTheFirstMeasureIsSentAtItsStartThenItsOwnEvents) {
    ASSERT_TRUE(CutToMeasures(loaded, 3, 3, LastMeasure(loaded)));
    TrackEvent sounding = Note(62, 160);
    const TrackEvent release = Control(64, 0);
    EXPECT_EQ(EventsOf(loaded, kPart0),
              (std::vector<TimedEvent>{{0, Program(5)},
                                       {0, Control(7, 80)},
                                       {0, ChannelEvent(EventKind::kPitchBend, 0, 70)},
                                       {0, sounding},
                                       {0, Note(64, 240)},
                                       {1919, release}}));
    // The tempo in effect at measure 3, then the section's own change.
    EXPECT_EQ(EventsOf(loaded, kTempoSlot), (std::vector<TimedEvent>{{0, Tempo(9000)}, {160, Tempo(10000)}}));
    EXPECT_EQ(MeasureToTick(loaded, 2), 1920);
}

TEST_F(SectionTest, ALoopRepeatsTheSectionWithItsStateAndEachPassAtItsTempo) {
    Put(loaded, kPart0, 5000, Note(66, 1000));  // sounds past the section's end (5760)
    ASSERT_TRUE(CutToMeasures(loaded, 3, 3, LastMeasure(loaded), {100, 200}));
    const TrackEvent release = Control(64, 0);
    std::vector<TimedEvent> pass = {{0, Program(5)},
                                    {0, Control(7, 80)},
                                    {0, ChannelEvent(EventKind::kPitchBend, 0, 70)},
                                    {0, Note(62, 160)},
                                    {0, Note(64, 240)},
                                    {1160, Note(66, 759)},  // let go a tick before the next pass
                                    {1919, release}};
    std::vector<TimedEvent> expected = pass;
    for (TimedEvent timed : pass) {
        timed.tick += 1920;
        expected.push_back(timed);
    }
    EXPECT_EQ(EventsOf(loaded, kPart0), expected);
    EXPECT_EQ(EventsOf(loaded, kTempoSlot), (std::vector<TimedEvent>{
                                                {0, Tempo(9000)}, {160, Tempo(10000)}, {1920, Tempo(18000)}, {2080, Tempo(20000)}}));
    // 160 ticks at 90 BPM and 1760 at 100 BPM, then the same twice as fast.
    const double firstPassMs = 160 * 60000.0 / (90 * 480) + 1760 * 60000.0 / (100 * 480);
    EXPECT_NEAR(TickRangeMs(loaded, 0, 1920), firstPassMs, 1.0);
    EXPECT_NEAR(TickRangeMs(loaded, 1920, 3840), firstPassMs / 2, 1.0);
    EXPECT_EQ(MeasureToTick(loaded, 2), 1920);
}

TEST_F(SectionTest, ALoopWithoutATempoAtItsStartStartsEachPassAtTheDefaultTempoScaled) {
    ClearTempoTrack(loaded);
    ASSERT_TRUE(CutToMeasures(loaded, 1, 1, LastMeasure(loaded), {50, 100}));
    EXPECT_EQ(EventsOf(loaded, kTempoSlot), (std::vector<TimedEvent>{{0, Tempo(6000)}, {1920, Tempo(12000)}}));
}

TEST_F(SectionTest, ASectionPastTheSongsEndChangesNothing) {
    const auto before = EventsOf(loaded, kPart0);
    EXPECT_FALSE(CutToMeasures(loaded, 9, 10, LastMeasure(loaded)));
    EXPECT_EQ(EventsOf(loaded, kPart0), before);
}

TEST_F(SectionTest, TheSectionsMeasuresKeepTheirMetersAndThePreCountCountsInTheFirst) {
    SongContainer meters{1};
    PutMeasure(meters, 0, kDefaultTimeSignature);
    PutMeasure(meters, 1920, k34);
    PutMeasure(meters, 3360, k34);
    PutMeasure(meters, 4800, kDefaultTimeSignature);
    Put(meters, kPart0, 1920, Note(60, 100));
    Put(meters, kPart0, 6000, Note(60, 100));
    SongOptions options = Defaults();
    options.preCount = true;
    options.firstMeasure = 2;
    options.lastMeasure = 4;
    Put(meters, kDrums, 6000, Note(36, 10));
    PrepareRenderSong(meters, options, render);
    // Three clicks of a quarter (3/4), then the music.
    std::vector<int> clickTicks;
    for (const TimedEvent& timed : EventsOf(render, kDrums)) {
        if (timed.event.IsNote()) clickTicks.push_back(timed.tick);
    }
    EXPECT_EQ(clickTicks, (std::vector<int>{0, 480, 960, 1440 + 6000 - 1920}));
    EXPECT_EQ(MeterOf(render, 1), k34);
    EXPECT_EQ(MeterOf(render, 3), kDefaultTimeSignature);
}

TEST_F(PracticeSongTest, MeasuresAreTheFilesBarsSoBarTenOfAnEightFourSongIsItsTenthBar) {
    // The measure track holds 4/4 (8/4 does not fit it); the file says 8/4.
    PutMeasure(loaded, 0, kDefaultTimeSignature);
    loaded.fileMeters = {{0, 8, 4}};
    constexpr int kBar = 3840;
    for (int bar = 0; bar < 12; ++bar) Put(loaded, kPart0, bar * kBar, Note(48, 100));
    Put(loaded, PartSlot(3), 9 * kBar + 480, Note(64, 480));  // the vocal enters in bar 10
    SongOptions options = Defaults();
    options.firstMeasure = 10;
    options.lastMeasure = 10;
    PrepareRenderSong(loaded, options, render);
    EXPECT_EQ(EventsOf(render, kPart0).front(), (TimedEvent{0, Note(48, 100)}));
    std::vector<int> vocal;
    for (const TimedEvent& timed : EventsOf(render, PartSlot(3))) {
        if (timed.event.IsNote()) vocal.push_back(timed.tick);
    }
    EXPECT_EQ(vocal, (std::vector<int>{480}));
    EXPECT_EQ(MeterOf(render, 1), 0x73);  // one bar of 8/4
    EXPECT_EQ(MeasureToTick(render, 2), kBar);
}

TEST_F(PracticeSongTest, SevenEightAndChangingMetersCountInTheirOwnBeats) {
    PutMeasure(loaded, 0, kDefaultTimeSignature);
    loaded.fileMeters = {{0, 4, 4}, {1920, 7, 8}, {5280, 3, 4}};
    Put(loaded, kPart0, 1920, Note(60, 100));  // bar 2, the first 7/8 bar
    Put(loaded, kPart0, 5280, Note(62, 100));  // bar 4, 3/4
    SongOptions options = Defaults();
    options.click = true;
    options.preCount = true;
    PrepareRenderSong(loaded, options, render);
    std::vector<int> ticks;
    std::vector<int> accented;
    for (const TimedEvent& timed : EventsOf(render, PartSlot(1))) {
        ticks.push_back(timed.tick);
        if (timed.event.Velocity() > 60) accented.push_back(timed.tick);
    }
    // A 7/8 count-in of seven eighths from bar 2's start, then 7/8, 7/8 and 3/4.
    std::vector<int> expected;
    for (int at = 1920; at < 1920 + 3 * 1680; at += 240) expected.push_back(at);
    // The song lasts to the start of the bar after its last one (6720 before
    // the count-in), so the click goes on through that bar, 3/4 again.
    for (int at = 1920 + 3 * 1680; at < 1920 + 3 * 1680 + 2 * 1440; at += 480) expected.push_back(at);
    EXPECT_EQ(ticks, expected);
    EXPECT_EQ(accented, (std::vector<int>{1920, 3600, 5280, 6960, 8400}));
    EXPECT_EQ(MeasureToTick(render, 3), 3600);  // the measure track now holds the file's bars
}

TEST_F(PracticeSongTest, AClickOnlyTrackWithEveryChannelMutedStillCountsInAndLastsTheSong) {
    // Every channel muted: a click-only track still lasts as long as the song.
    PutMeasure(loaded, 0, kDefaultTimeSignature);
    Put(loaded, kPart0, 0, Note(60, 100));
    Put(loaded, kPart0, 20 * 1920, Note(60, 100));
    SongOptions options = Defaults();
    options.click = true;
    options.preCount = true;
    options.mute[0] = 1;
    PrepareRenderSong(loaded, options, render);
    // The muted part is left empty, so the clicks take its place.
    EXPECT_EQ(render.partChannel[0], 9);
    const std::vector<TimedEvent> clicks = EventsOf(render, kPart0);
    ASSERT_FALSE(clicks.empty());
    EXPECT_EQ(clicks.front().tick, 0);
    EXPECT_GE(clicks.back().tick, 1920 + 20 * 1920);  // through the bar of the song's last note
}

TEST(Stems, EachPlayingChannelIsAStemTheDrumChannelsAreOneAndTheClicksHaveTheirOwn) {
    SongOptions options;
    ResetSongOptions(options);
    std::array<bool, kMidiChannels> sounding{};
    for (const int channel : {0, 1, 9, 10, 3, 5}) {
        options.channelUsed[channel] = 1;
        sounding[channel] = channel != 5;  // channel 6 plays nothing in the span: no stem
    }
    options.drumChannel[10] = 1;
    options.toneName[1] = "Fingered/Bass";
    options.mute[3] = 1;  // removed from the mix: no stem
    const std::vector<Stem> stems = PlanStems(options, sounding, true, ".flac");
    ASSERT_EQ(stems.size(), 4u);
    EXPECT_EQ(stems[0].fileName, "01-Piano 1.flac");
    EXPECT_EQ(stems[1].fileName, "02-Fingered_Bass.flac");
    EXPECT_EQ(stems[2].fileName, "10-Standard Set.flac");
    EXPECT_EQ(stems[2].channels, (std::vector<int>{9, 10}));
    EXPECT_EQ(stems[3].fileName, "click.flac");
    EXPECT_TRUE(stems[3].channels.empty());
    EXPECT_TRUE(stems[3].clicks);
    EXPECT_FALSE(stems[2].clicks);
    EXPECT_FALSE(stems[0].clicks);
    const SongOptions bass = StemOptions(options, stems[1]);
    for (int channel = 0; channel < kMidiChannels; ++channel) EXPECT_EQ(bass.mute[channel] == 0, channel == 1);
    // The click's stem: only channel 10 plays, without its notes.
    const SongOptions click = StemOptions(options, stems[3]);
    for (int channel = 0; channel < kMidiChannels; ++channel) EXPECT_EQ(click.mute[channel] == 0, channel == 9);
    EXPECT_EQ(click.silent[9], 1);
    EXPECT_EQ(bass.silent[9], 0);
    EXPECT_EQ(StemFolder("/x/Conv/song.flac"), "/x/Conv/song");
    // Without clicks in the mix there is no click stem.
    EXPECT_EQ(PlanStems(options, sounding, false, ".wav").size(), 3u);
    // Before the song is prepared, any used channel that is not muted may sound.
    std::vector<std::string> possible;
    for (const Stem& stem : PossibleStems(options, ".wav")) possible.push_back(stem.fileName);
    EXPECT_EQ(possible, (std::vector<std::string>{"01-Piano 1.wav", "02-Fingered_Bass.wav", "06-Piano 1.wav",
                                                  "10-Standard Set.wav", "click.wav"}));
}

TEST(Stems, StemNamesAreReadableWhateverTheToneName) {
    SongOptions options;
    ResetSongOptions(options);
    std::array<bool, kMidiChannels> sounding{};
    for (const int channel : {0, 2, 9}) {
        options.channelUsed[channel] = 1;
        sounding[channel] = true;
    }
    options.toneName[0] = "Jazz Gt.";  // not "01-Jazz Gt..wav"
    options.toneName[2] = " ";         // no name: named by its program
    options.program[2] = 33;
    options.toneName[9] = "";          // not "10-.wav"
    const std::vector<Stem> stems = PlanStems(options, sounding, false, ".wav");
    ASSERT_EQ(stems.size(), 3u);
    EXPECT_EQ(stems[0].fileName, "01-Jazz Gt.wav");
    EXPECT_EQ(stems[1].fileName, "03-Program 34.wav");
    EXPECT_EQ(stems[2].fileName, "10-Drums.wav");
}

}  // namespace

namespace {

TEST_F(PracticeSongTest, ALoopLongerThanTheEngineCanPlayIsToldAndAShorterOneIsNot) {
    PutMeasure(loaded, 0, kDefaultTimeSignature);
    for (int bar = 0; bar < 120; ++bar) Put(loaded, kPart0, bar * 1920, Note(48, 100));
    SongOptions options = Defaults();
    options.firstMeasure = 1;
    options.lastMeasure = 100;
    options.loopPasses = 99;  // 99 passes of 100 bars: past the engine's reach
    EXPECT_TRUE(PrepareRenderSong(loaded, options, render).loopTooLong);
    options.loopPasses = 2;
    EXPECT_FALSE(PrepareRenderSong(loaded, options, render).loopTooLong);
}

}  // namespace
