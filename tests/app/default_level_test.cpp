// The level a song comes out at with the FluidSynth module's default gain
// and no levelling asked for: a dense song that the raised level would
// drive past full scale comes out without a clipped sample and with its
// true peak under -1 dBTP.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "module_fixture.h"
#include "app/startup/sound_choice.h"
#include "platform/loudness_meter.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "render/prepare_render_song.h"
#include "render/render_session.h"

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr std::size_t kWaveHeaderBytes = 44;

// Two bars at 120 BPM of fifteen channels of brass, strings and organ, each
// at full volume and expression playing six-note chords at velocity 127, a
// new one on every beat, each held for two beats; and crash, kick and snare
// on the drum channel.
smftest::Bytes DenseSong() {
    using smftest::Chunk;
    constexpr int kBeats = 8;
    Chunk tempo;
    tempo.Tempo(0, 500000).End();
    std::vector<Chunk> tracks{tempo};
    const int programs[] = {61, 48, 19, 62, 49, 16, 56, 50, 57, 18, 60, 52, 63, 17, 30};
    int channel = 0;
    for (const int program : programs) {
        if (channel == 9) ++channel;
        const auto chord = [channel](int beat) {
            const int root = 36 + (beat % 2) * 5 + channel;
            return std::vector<int>{root, root + 4, root + 7, root + 12, root + 16, root + 19};
        };
        Chunk part;
        part.At(0, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)})
            .At(0, {static_cast<std::uint8_t>(0xB0 | channel), 7, 127})
            .At(0, {static_cast<std::uint8_t>(0xB0 | channel), 11, 127});
        for (int beat = 0; beat <= kBeats + 1; ++beat) {
            std::uint32_t delta = beat == 0 ? 0 : 480;
            if (beat >= 2) {
                for (const int key : chord(beat - 2)) part.NoteOff(std::exchange(delta, 0), channel, key);
            }
            if (beat < kBeats) {
                for (const int key : chord(beat)) part.NoteOn(std::exchange(delta, 0), channel, key, 127);
            }
        }
        tracks.push_back(part.End());
        ++channel;
    }
    Chunk drums;
    drums.At(0, {0xB9, 7, 127});
    for (int beat = 0; beat < kBeats; ++beat) {
        drums.NoteOn(0, 9, 49, 127).NoteOn(0, 9, 36, 127).NoteOn(0, 9, 38, 127);
        drums.NoteOff(480, 9, 49).NoteOff(0, 9, 36).NoteOff(0, 9, 38);
    }
    tracks.push_back(drums.End());
    return smftest::Smf(1, 480, tracks);
}

int16_t SampleAt(const std::string& bytes, std::size_t at) {
    return static_cast<int16_t>(static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

class DefaultLevel : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        if (IsSkipped()) return;
#ifndef QNSTAFF_MODULE_PATH
        GTEST_SKIP() << "the FluidSynth module is not built";
#else
        if (!std::filesystem::exists(kSmallSoundFont)) GTEST_SKIP() << "no SoundFont at " << kSmallSoundFont;
        std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", QNSTAFF_MODULE_PATH);
        setenv(kModuleSettingsVariable, (std::string("soundfont = ") + kSmallSoundFont + "\n").c_str(), 1);
#endif
    }
    void TearDown() override {
        unsetenv(kModuleSettingsVariable);
        ModuleTest::TearDown();
    }

    // Samples at full scale when the song is rendered at the level of a
    // conversion with no ceiling that acts.
    int FullScaleSamplesUnlimited() {
        PrepareRenderSong(dlg.m_song, dlg.m_songOptions, render, true);
        RenderSessionGuard session;
        int bufferBytes = 0;
        int framesPerBlock = 0;
        RenderLimit none;
        none.ceilingDbtp = 40.0;
        EXPECT_GT(BeginRender(render, bufferBytes, framesPerBlock, kNormalTempoPercent, none), 0);
        std::vector<std::uint8_t> block(static_cast<std::size_t>(bufferBytes));
        int count = 0;
        while (RenderStep(block) != 0) {
            for (std::size_t at = 0; at + 1 < block.size(); at += 2) {
                const int sample = static_cast<int16_t>(block[at] | (block[at + 1] << 8));
                count += sample == 32767 || sample == -32768;
            }
        }
        return count;
    }
};

TEST_F(DefaultLevel, ADenseSongThatTheModuleWouldClipComesOutUnderMinusOneDbtp) {
    Open(WriteSong("dense.mid", DenseSong()));
    dlg.m_songOptions.preCount = false;
    // The song means something only if it would pass full scale unlimited.
    ASSERT_GT(FullScaleSamplesUnlimited(), 100);

    HeadlessConversionUi ui;
    CollectingReport report;
    ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/dense.wav", ui, report);
    ASSERT_TRUE(report.lines.empty());
    const std::string wave = ReadFileBytes(dir.path() + "/dense.wav");
    ASSERT_GT(wave.size(), kWaveHeaderBytes + 44100 * 4);
    int clipped = 0;
    int loudest = 0;
    for (std::size_t at = kWaveHeaderBytes; at + 1 < wave.size(); at += 2) {
        const int sample = SampleAt(wave, at);
        clipped += sample == 32767 || sample == -32768;
        loudest = std::max(loudest, std::abs(sample));
    }
    EXPECT_EQ(clipped, 0);
    const std::string_view samples(wave.data() + kWaveHeaderBytes, wave.size() - kWaveHeaderBytes);
    const auto measured = MeasureLoudness(std::span(reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size()));
    ASSERT_TRUE(measured);
    const double truePeakDb = 20 * std::log10(measured->truePeak);
    EXPECT_LE(truePeakDb, -0.95);
    // Limited, not turned down: the loud passage stays close to the ceiling.
    EXPECT_GT(truePeakDb, -2.0);
    EXPECT_GT(loudest, 26000);
}

}  // namespace
