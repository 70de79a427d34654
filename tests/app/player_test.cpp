// Playback through a worker process into an output that the test pulls
// itself: the samples are the conversion's, switches reach the output
// within 150 ms of samples, moves and tempo changes are followed, and a
// module that crashes or hangs ends the playback with its cause.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/player/player.h"
#include "module_fixture.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"

namespace {

constexpr std::size_t kFrameBytes = 4;
constexpr std::size_t kPullFrames = 1024;  // as the audio output asks
constexpr int kSampleRate = 44100;
constexpr int kWavHeaderBytes = 44;

// An output that plays only when the test pulls.
class PulledSink final : public AudioSink {
public:
    bool Open(Pull pull) override {
        pull_ = std::move(pull);
        return !failOpen;
    }
    void Pause(bool) override {}
    void Close() override { closed = true; }
    std::string Failure() const override { return "no audio output (tried nothing): none"; }

    // Pulls `frames` frames and appends them to `played`.
    void PullFrames(std::size_t frames) {
        std::string chunk(frames * kFrameBytes, '\0');
        pull_(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(chunk.data()), chunk.size()));
        played += chunk;
    }

    bool failOpen = false;
    bool closed = false;
    std::string played;

private:
    Pull pull_;
};

// Everything after the last sounding frame dropped.
std::string WithoutTrailingSilence(std::string bytes) {
    const std::size_t last = bytes.find_last_not_of('\0');
    bytes.resize(last == std::string::npos ? 0 : (last / kFrameBytes + 1) * kFrameBytes);
    return bytes;
}

// The played samples are the converted ones, up to the silence after them.
void ExpectSameSamples(const std::string& played, const std::string& converted) {
    const std::string song = WithoutTrailingSilence(converted);
    const std::string heard = WithoutTrailingSilence(played);
    EXPECT_EQ(heard.size(), song.size());
    EXPECT_TRUE(heard == song);  // not printed: megabytes
}

// The first frame at or after `from` from which everything is silent.
std::size_t SilentFrom(const std::string& bytes, std::size_t from) {
    const std::size_t last = bytes.find_last_not_of('\0');
    if (last == std::string::npos) return from;
    return std::max(from, last / kFrameBytes + 1);
}

// Channel 1 holds one note for eight 4/4 measures at 120 BPM (16 s); channel 2
// plays a quarter note on every beat of the first measure.
smftest::Bytes LongNoteSong() {
    using smftest::Chunk;
    Chunk tempo;
    tempo.Tempo(0, 500000).End();
    Chunk held;
    held.NoteOn(0, 0, 60, 100).NoteOff(480 * 32, 0, 60).End();
    Chunk beats;
    for (int i = 0; i < 4; ++i) beats.NoteOn(0, 1, 50, 100).NoteOff(480, 1, 50);
    beats.End();
    return smftest::Smf(1, 480, {tempo, held, beats});
}

class PlayerTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        unsetenv("QNSTEST_CRASH_AT_BLOCK");
        unsetenv("QNSTEST_HANG_AT_BLOCK");
    }

    // Pulls until the player is over (at most `limitFrames`).
    void PlayToEnd(Player& player, std::size_t limitFrames = 60 * kSampleRate) {
        for (std::size_t pulled = 0; !player.Status().over && pulled < limitFrames; pulled += kPullFrames) {
            sink.PullFrames(kPullFrames);
        }
    }

    // The sample frames of the conversion of the loaded song with its options.
    std::string Converted() {
        HeadlessConversionUi ui;
        CollectingReport report;
        ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/converted.wav", ui, report);
        EXPECT_TRUE(report.lines.empty());
        return ReadFileBytes(dir.path() + "/converted.wav").substr(kWavHeaderBytes);
    }

    PulledSink sink;
};

TEST_F(PlayerTest, PlaysTheSamplesOfTheConversionWithTheSameChoices) {
    Open(WriteSong("song.mid", PracticeSong(4)));
    SongOptions& options = dlg.m_songOptions;
    options.tempoPercent = 80;
    options.mute[3] = 1;        // the melody
    options.volumeDown[1] = 1;  // the bass
    options.preCount = true;
    options.click = true;
    const std::string converted = Converted();
    ASSERT_GT(converted.size(), 0u);

    Player player(sink);
    ASSERT_TRUE(player.Start(dlg.m_song, render, options));
    PlayToEnd(player);
    EXPECT_TRUE(player.Status().failure.empty()) << player.Status().failure;
    EXPECT_TRUE(player.Status().over);
    player.Stop();
    EXPECT_TRUE(sink.closed);
    // The conversion's file ends where the module fell silent, the output
    // plays silence after the song.
    ExpectSameSamples(sink.played, converted);
}

TEST_F(PlayerTest, PlaysASectionAsItsConversion) {
    Open(WriteSong("song.mid", LongNoteSong()));
    dlg.m_songOptions.firstMeasure = 2;
    dlg.m_songOptions.lastMeasure = 3;
    dlg.m_songOptions.preCount = false;
    const std::string converted = Converted();
    Player player(sink);
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    PlayToEnd(player);
    ExpectSameSamples(sink.played, converted);
}

TEST_F(PlayerTest, AMuteWhilePlayingReachesTheOutputWithin150Ms) {
    Open(WriteSong("song.mid", LongNoteSong()));
    dlg.m_songOptions.preCount = false;
    Player player(sink);
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    sink.PullFrames(3 * kSampleRate);  // 3 s: channel 2 is over, channel 1 holds on
    const std::size_t switched = sink.played.size() / kFrameBytes;
    ASSERT_NE(sink.played.substr(sink.played.size() - kPullFrames * kFrameBytes).find_first_not_of('\0'),
              std::string::npos);
    SongOptions muted = dlg.m_songOptions;
    muted.mute[0] = 1;
    player.SetChannels(muted);
    sink.PullFrames(kSampleRate);
    const std::size_t silent = SilentFrom(sink.played, switched);
    // The module's own fade of 1000 frames is part of the 150 ms, and so is
    // the output's buffer, which an audio device plays after the last pull.
    EXPECT_LE(silent - switched + kPullFrames, static_cast<std::size_t>(kSampleRate * 150 / 1000));

    // Unmuted, the channel sounds again only with its next note (none here).
    muted.mute[0] = 0;
    player.SetChannels(muted);
    sink.PullFrames(kSampleRate / 2);
    EXPECT_EQ(sink.played.find_first_not_of('\0', silent * kFrameBytes), std::string::npos);
}

TEST_F(PlayerTest, MovesToAMeasureAndFollowsTheTempo) {
    Open(WriteSong("song.mid", LongNoteSong()));
    dlg.m_songOptions.preCount = false;
    Player player(sink);
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    sink.PullFrames(kPullFrames);
    EXPECT_EQ(player.Status().position.measure, 1);
    EXPECT_EQ(player.Status().position.tempo, 12000);

    // The worker renders ahead as far as the pipe and the queue let it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    player.Seek(5);
    // What was rendered before the move is never heard.
    sink.PullFrames(kPullFrames);
    PlaybackPosition at = player.Status().position;
    EXPECT_EQ(at.measure, 5);
    EXPECT_EQ(at.beat, 1);
    EXPECT_NEAR(at.ms, 8000, 30);  // measure 5 starts at 8 s

    player.SetTempo(50);
    sink.PullFrames(kSampleRate / 5);
    at = player.Status().position;
    EXPECT_EQ(at.tempo, 6000);
    EXPECT_EQ(at.tempoPercent, 50);
    // 223 ms after the move, the last 200 ms at half speed: beat 1 still.
    EXPECT_EQ(at.beat, 1);

    player.Seek(0);  // the section's start
    sink.PullFrames(kSampleRate / 5);
    EXPECT_EQ(player.Status().position.measure, 1);
    player.Seek(99);  // kept inside the song
    sink.PullFrames(kSampleRate / 5);
    EXPECT_EQ(player.Status().position.measure, 8);
}

TEST_F(PlayerTest, PositionsAndMovesCountTheFilesOwnBarsAsTheConversionDoes) {
    // Four bars of 8/4 at 120 BPM, 4 s each (the measure track keeps eight of 4/4).
    using smftest::Chunk;
    Chunk track;
    track.Tempo(0, 500000).TimeSig(0, 8, 2);
    track.NoteOn(0, 0, 60, 100).NoteOff(480 * 32, 0, 60).End();
    Open(WriteSong("eight.mid", smftest::Smf(0, 480, {track})));
    dlg.m_songOptions.preCount = false;
    Player player(sink);
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    sink.PullFrames(kSampleRate * 21 / 4);  // 5.25 s: bar 2, beat 3
    PlaybackPosition at = player.Status().position;
    EXPECT_EQ(at.measure, 2);
    EXPECT_EQ(at.beat, 3);

    player.Seek(at.measure + 1);  // as the terminal's Right key moves
    sink.PullFrames(kPullFrames);
    at = player.Status().position;
    EXPECT_EQ(at.measure, 3);
    EXPECT_EQ(at.beat, 1);
    EXPECT_NEAR(at.ms, 8000, 30);  // bar 3 starts at 8 s
    player.Seek(99);  // kept inside the song's four bars
    sink.PullFrames(kPullFrames);
    EXPECT_EQ(player.Status().position.measure, 4);
    EXPECT_NEAR(player.Status().position.ms, 12000, 30);
    player.Stop();

    // The conversion of bar 3 alone has the samples playback gives from there.
    dlg.m_songOptions.firstMeasure = 3;
    dlg.m_songOptions.lastMeasure = 3;
    const std::string converted = Converted();
    PulledSink section;
    Player sectionPlayer(section);
    ASSERT_TRUE(sectionPlayer.Start(dlg.m_song, render, dlg.m_songOptions));
    for (std::size_t pulled = 0; !sectionPlayer.Status().over && pulled < 20 * kSampleRate; pulled += kPullFrames)
        section.PullFrames(kPullFrames);
    EXPECT_EQ(WithoutTrailingSilence(section.played).size(), WithoutTrailingSilence(converted).size());
    // One bar of 8/4 (4 s) and the module's short fade, not a 4/4 measure's 2 s.
    EXPECT_GE(WithoutTrailingSilence(converted).size() / kFrameBytes, static_cast<std::size_t>(4 * kSampleRate));
    EXPECT_LT(WithoutTrailingSilence(converted).size() / kFrameBytes, static_cast<std::size_t>(4 * kSampleRate + 2000));
}

TEST_F(PlayerTest, AModuleCrashOrHangEndsThePlaybackWithItsCause) {
    Open(WriteSong("song.mid", LongNoteSong()));
    probe->SetCrashAtBlock(50);
    {
        Player player(sink);
        ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
        PlayToEnd(player);
        EXPECT_EQ(player.Status().failure, "Playback crashed (Segmentation fault)");
    }
    probe->Reset();
    probe->SetHangAtBlock(50);
    Player player(sink, std::chrono::seconds(1));
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    PlayToEnd(player);
    EXPECT_EQ(player.Status().failure, "Playback stopped: the synthesizer module made no progress for 1 seconds");
}

TEST_F(PlayerTest, AModuleThatLoadsSlowlyStillPlaysButOneThatNeverStartsIsEnded) {
    Open(WriteSong("song.mid", LongNoteSong()));
    setenv("QNSTEST_CREATE_DELAY_MS", "2500", 1);  // read by the module in the worker
    {
        Player player(sink, std::chrono::seconds(1));
        ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
        PlayToEnd(player);
        EXPECT_EQ(player.Status().failure, "");
        EXPECT_GT(WithoutTrailingSilence(sink.played).size(), std::size_t{kSampleRate} * kFrameBytes);
    }
    Player player(sink, std::chrono::seconds(5), std::chrono::seconds(1));
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    PlayToEnd(player);
    unsetenv("QNSTEST_CREATE_DELAY_MS");
    EXPECT_EQ(player.Status().failure, "Playback stopped: the synthesizer module made no progress for 1 seconds");
}

TEST_F(PlayerTest, TheModulesStartHasALimitOfItsOwn) {
    // Before the first block the start's limit counts, after it the stall's:
    // a slow start under load is no stall, a hang at the start still ends.
    Open(WriteSong("song.mid", LongNoteSong()));
    probe->SetHangAtBlock(1);
    Player player(sink, std::chrono::milliseconds(100), std::chrono::seconds(1));
    ASSERT_TRUE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    PlayToEnd(player);
    EXPECT_EQ(player.Status().failure, "Playback stopped: the synthesizer module made no progress for 1 seconds");
}

TEST(PlaybackRecords, TheKeyGoesAcrossWithItsSign) {
    std::string buffer = EncodeKeyRecord(-5) + EncodeTempoRecord(80);
    const std::vector<PlaybackRecord> records = TakePlaybackRecords(buffer);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, PlaybackRecordKind::kKey);
    int semitones = 0;
    ASSERT_TRUE(DecodeKey(records[0].payload, semitones));
    EXPECT_EQ(semitones, -5);
    EXPECT_FALSE(DecodeKey(records[1].payload + "x", semitones));
}

TEST(PlaybackRecords, TheBytesMissingFromTheFirstRecord) {
    std::string buffer;
    EXPECT_EQ(MissingRecordBytes(buffer), 5u);  // the kind and the length
    const std::string tempo = EncodeTempoRecord(80);
    buffer = tempo.substr(0, 3);
    EXPECT_EQ(MissingRecordBytes(buffer), 2u);
    buffer = tempo.substr(0, 6);
    EXPECT_EQ(MissingRecordBytes(buffer), tempo.size() - 6);
    buffer = tempo + tempo.substr(0, 2);
    EXPECT_EQ(MissingRecordBytes(buffer), 0u);
    EXPECT_EQ(TakePlaybackRecords(buffer).size(), 1u);
    EXPECT_EQ(MissingRecordBytes(buffer), 3u);
}

TEST_F(PlayerTest, NoOutputOrNoModuleIsTold) {
    Open(WriteSong("song.mid", LongNoteSong()));
    sink.failOpen = true;
    Player player(sink);
    EXPECT_FALSE(player.Start(dlg.m_song, render, dlg.m_songOptions));
    EXPECT_EQ(player.Status().failure, "no audio output (tried nothing): none");
    EXPECT_TRUE(player.Status().over);

    sink.failOpen = false;
    probe->SetFailCreate(true);
    Player second(sink);
    ASSERT_TRUE(second.Start(dlg.m_song, render, dlg.m_songOptions));
    PlayToEnd(second);
    EXPECT_EQ(second.Status().failure.rfind("the synthesizer module could not be started", 0), 0u)
        << second.Status().failure;
}

}  // namespace
