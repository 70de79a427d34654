// Playback through SDL's "dummy" driver, which paces like a sound card:
// the song keeps real time within 5 % over 10 s. It measures the clock, so
// CTest runs it alone (RUN_SERIAL); a machine busy with other work can
// still slow it down.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "../module_fixture.h"
#include "app/player/player.h"
#include "platform/sdl_audio_output.h"

namespace {

// Channel 1 holds one note for eight 4/4 measures at 120 BPM (16 s).
smftest::Bytes LongNoteSong() {
    using smftest::Chunk;
    Chunk tempo;
    tempo.Tempo(0, 500000).End();
    Chunk held;
    held.NoteOn(0, 0, 60, 100).NoteOff(480 * 32, 0, 60).End();
    return smftest::Smf(1, 480, {tempo, held});
}

class RealTimeTest : public ModuleTest {};

TEST_F(RealTimeTest, ThroughTheDummyDriverTheSongKeepsRealTime) {
    // Sixteen seconds of song: 10 s of it are timed, from the first second on.
    Open(WriteSong("song.mid", LongNoteSong()));
    dlg.m_songOptions.preCount = false;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlAudioOutput output;
    Player player(output);
    const bool started = player.Start(dlg.m_song, render, dlg.m_songOptions);
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(started) << player.Status().failure;
    while (player.Status().position.ms < 1000) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = std::chrono::steady_clock::now();
    const int from = player.Status().position.ms;
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const int to = player.Status().position.ms;
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NEAR((to - from) / wall, 1.0, 0.05) << (to - from) << " ms of song in " << wall << " ms";
    EXPECT_TRUE(player.Status().failure.empty());
}

}  // namespace
