// Audio files in every format and their level: FLAC holds exactly the
// song's samples, the lossy formats read back at the song's length, the
// title is in the tags, and a failed file leaves an earlier one alone; the
// loudness gain reaches its target unless the true-peak ceiling stops it.
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/text.h"
#include "render/audio_output.h"
#include "render/loudness.h"
#include "tests/render/file_size_limit.h"
#include "tests/render/temp_folder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

// `seconds` of a stereo sine of `hertz` at `amplitude` (full scale 32767),
// as little-endian 16-bit frames.
std::vector<std::uint8_t> Sine(double seconds, double hertz, double amplitude) {
    std::vector<std::uint8_t> frames;
    const int count = static_cast<int>(seconds * kRate);
    for (int i = 0; i < count; ++i) {
        const auto value = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * kPi * hertz * i / kRate)));
        for (int side = 0; side < 2; ++side) {
            frames.push_back(static_cast<std::uint8_t>(value & 0xFF));
            frames.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
        }
    }
    return frames;
}

struct ReadBack {
    std::vector<short> samples;
    int rate = 0;
    std::string title;
};

ReadBack Read(const std::string& path) {
    ReadBack back;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return back;
    back.rate = info.samplerate;
    back.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    back.samples.resize(static_cast<std::size_t>(sf_read_short(file, back.samples.data(), info.frames * info.channels)));
    if (const char* title = sf_get_string(file, SF_STR_TITLE)) back.title = title;
    sf_close(file);
    return back;
}

bool Write(const std::string& path, AudioFormat format, const std::vector<std::uint8_t>& frames) {
    AudioOutput output(AudioEncoding{format, std::nullopt}, "Morning Waltz");
    return output.Create(path) && output.WriteFrames(frames) && output.Finish();
}

TEST(AudioFormat, TheExtensionOrTheNameChoosesTheFormat) {
    EXPECT_EQ(AudioFormatOfPath("out/Song.FLAC"), AudioFormat::kFlac);
    EXPECT_EQ(AudioFormatOfPath("a.opus"), AudioFormat::kOpus);
    EXPECT_EQ(AudioFormatOfPath("a.wav"), AudioFormat::kWav);
    EXPECT_EQ(AudioFormatOfPath("a.mid"), std::nullopt);
    EXPECT_EQ(AudioFormatOfPath("my.flac/song"), std::nullopt);
    EXPECT_EQ(AudioFormatNamed("Mp3"), AudioFormat::kMp3);
    EXPECT_EQ(AudioFormatExtension(AudioFormat::kOgg), ".ogg");
    EXPECT_EQ(EncodingForPath("/music/take.Mp3").format, AudioFormat::kMp3);
    EXPECT_EQ(EncodingForPath("/music/take.aiff").format, AudioFormat::kWav);
}

TEST(AudioFile, FlacHoldsExactlyTheSongsSamplesAndItsTitle) {
    TempFolder folder;
    const std::vector<std::uint8_t> frames = Sine(0.5, 440, 12000);
    ASSERT_TRUE(Write(folder.File("song.flac"), AudioFormat::kFlac, frames));
    const ReadBack back = Read(folder.File("song.flac"));
    ASSERT_EQ(back.samples.size() * 2, frames.size());
    for (std::size_t i = 0; i < back.samples.size(); ++i) {
        ASSERT_EQ(static_cast<std::uint16_t>(back.samples[i]), frames[2 * i] | (frames[2 * i + 1] << 8)) << i;
    }
    EXPECT_EQ(back.title, "Morning Waltz");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"song.flac"}));
}

TEST(AudioFile, ASongNamedInLatin1OrShiftJisGetsAValidUtf8Title) {
    const std::vector<std::uint8_t> frames = Sine(0.2, 440, 8000);
    // "Café" in Latin-1, and Shift_JIS bytes for a Japanese title.
    for (const std::string name : {"Caf\xE9", "\x89\xCC\x82\xCC\x97\xFB\x8F\x4B"}) {
        for (const AudioFormat format : {AudioFormat::kFlac, AudioFormat::kOgg, AudioFormat::kOpus}) {
            TempFolder folder;
            const std::string path = folder.File("song" + AudioFormatExtension(format));
            AudioOutput output(AudioEncoding{format, std::nullopt}, name);
            ASSERT_TRUE(output.Create(path) && output.WriteFrames(frames) && output.Finish()) << path;
            EXPECT_EQ(Read(path).title, WithValidUtf8(name)) << path;
        }
    }
}

TEST(AudioFile, LossyFormatsReadBackAtTheSongsLengthAndLevel) {
    TempFolder folder;
    const std::vector<std::uint8_t> frames = Sine(1.0, 440, 12000);
    for (const AudioFormat format : {AudioFormat::kOgg, AudioFormat::kOpus, AudioFormat::kMp3}) {
        const std::string path = folder.File("song" + AudioFormatExtension(format));
        ASSERT_TRUE(Write(path, format, frames)) << path;
        const ReadBack back = Read(path);
        const double seconds = static_cast<double>(back.samples.size()) / 2 / back.rate;
        EXPECT_NEAR(seconds, 1.0, 0.06) << path;  // encoder delay and padding
        double sum = 0;
        for (const short sample : back.samples) sum += static_cast<double>(sample) * sample;
        const double rms = std::sqrt(sum / static_cast<double>(back.samples.size()));
        EXPECT_NEAR(rms, 12000 / std::sqrt(2.0), 500) << path;
        if (format != AudioFormat::kMp3) {
            EXPECT_EQ(back.title, "Morning Waltz") << path;
        }
    }
}

TEST(AudioFile, ANameOfTheLongestLengthAFolderTakesIsWritten) {
    // 255 bytes, the most a name may have: the temporary name beside it
    // must not be longer. The second name ends in three-byte characters.
    TempFolder folder;
    std::string japanese;
    while (japanese.size() < 240) japanese += "\xE6\xAD\x8C";
    for (const std::string& stem : {std::string(250, 'n'), japanese}) {
        for (const AudioFormat format : {AudioFormat::kWav, AudioFormat::kFlac}) {
            const std::string name = stem + AudioFormatExtension(format);
            ASSERT_LE(name.size(), 255u);
            EXPECT_TRUE(Write(folder.File(name), format, Sine(0.1, 440, 1000))) << name.size() << " bytes";
            EXPECT_TRUE(std::filesystem::exists(folder.File(name))) << name.size() << " bytes";
        }
    }
    EXPECT_EQ(folder.Entries().size(), 4u);  // no temporary file left
}

TEST(AudioFile, AnOpusFileKeepsTheSongsLastMilliseconds) {
    // One second at 44100 Hz is 48000 frames at Opus's rate; the tone runs to
    // the last frame, so the file's last 10 ms must still sound.
    TempFolder folder;
    const std::string path = folder.File("song.opus");
    ASSERT_TRUE(Write(path, AudioFormat::kOpus, Sine(1.0, 440, 12000)));
    const ReadBack back = Read(path);
    ASSERT_EQ(back.rate, 48000);
    const std::size_t frames = back.samples.size() / 2;
    EXPECT_GE(frames, 48000u);
    double sum = 0;
    for (std::size_t i = 2 * (48000 - 480); i < 2 * 48000 && i < back.samples.size(); ++i) {
        sum += static_cast<double>(back.samples[i]) * back.samples[i];
    }
    EXPECT_NEAR(std::sqrt(sum / (2 * 480)), 12000 / std::sqrt(2.0), 1500);
}

TEST(AudioFile, AnAbandonedFileLeavesTheEarlierOneAndNoTemporaryFile) {
    TempFolder folder;
    const std::vector<std::uint8_t> frames = Sine(0.1, 440, 1000);
    ASSERT_TRUE(Write(folder.File("song.ogg"), AudioFormat::kOgg, frames));
    const auto before = Read(folder.File("song.ogg")).samples;
    {
        AudioOutput output(AudioEncoding{AudioFormat::kOgg, 10}, "x");
        ASSERT_TRUE(output.Create(folder.File("song.ogg")));
        ASSERT_TRUE(output.WriteFrames(Sine(0.3, 880, 9000)));
        output.Abandon();
    }
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"song.ogg"}));
    EXPECT_EQ(Read(folder.File("song.ogg")).samples, before);
    AudioOutput intoFolder(AudioEncoding{AudioFormat::kFlac, std::nullopt}, "x");
    EXPECT_FALSE(intoFolder.Create(folder.Path().string()));
}

// Write, with the writer's reason for a failure; the WAV writer's reason is
// checked with the RIFF writer.
bool WriteGivingReason(const std::string& path, AudioFormat format, const std::vector<std::uint8_t>& frames,
                       std::string& reason) {
    reason = "File too large";
    if (format == AudioFormat::kWav) return Write(path, format, frames);
    const AudioCodec codec = format == AudioFormat::kFlac   ? AudioCodec::kFlac
                             : format == AudioFormat::kOgg  ? AudioCodec::kVorbis
                             : format == AudioFormat::kOpus ? AudioCodec::kOpus
                                                            : AudioCodec::kMp3;
    EncodedAudioFile file;
    const bool written = file.Create(path, EncoderSettings{codec, -1.0, "x"}) && file.WriteFrames(frames) && file.Finish();
    reason = file.FailureReason();
    return written;
}

// Writes `frames` in `format` in a child process whose files may not grow
// past `limitBytes`, as on a disk that fills up. The child's exit status:
// 0 when the writer failed with the system's reason and left nothing
// behind, 1 when it said the file was written, 2 when it failed but left a
// file, 3 when it failed for another reason than the size limit.
int ExitStatusOfWriteUnderLimit(const std::string& path, AudioFormat format, const std::vector<std::uint8_t>& frames,
                                rlim_t limitBytes) {
    const pid_t child = fork();
    if (child == 0) {
        FileSizeLimit limit(limitBytes);
        std::string reason;
        const bool written = WriteGivingReason(path, format, frames, reason);
        const bool left = std::filesystem::exists(path) ||
                          std::distance(std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()),
                                        std::filesystem::directory_iterator{}) != 0;
        _exit(written ? 1 : left ? 2 : reason != "File too large" ? 3 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(AudioFile, AFileThatCannotBeWrittenWholeFailsInEveryFormat) {
    const std::vector<std::uint8_t> frames = Sine(6.0, 440, 12000);
    for (const AudioFormat format :
         {AudioFormat::kWav, AudioFormat::kFlac, AudioFormat::kOgg, AudioFormat::kOpus, AudioFormat::kMp3}) {
        TempFolder whole;
        const std::string wholePath = whole.File("song" + AudioFormatExtension(format));
        std::string reason;
        ASSERT_TRUE(WriteGivingReason(wholePath, format, frames, reason)) << reason;
        const auto size = static_cast<rlim_t>(std::filesystem::file_size(wholePath));
        // Cut early (the encoder's first pages) and late (only the last
        // frames or the final header update do not fit).
        for (const rlim_t limit : {rlim_t{3000}, size * 3 / 4, size - 1}) {
            TempFolder folder;
            const std::string path = folder.File("song" + AudioFormatExtension(format));
            EXPECT_EQ(ExitStatusOfWriteUnderLimit(path, format, frames, limit), 0)
                << AudioFormatExtension(format) << " cut at " << limit << " of " << size << " bytes";
        }
    }
}

TEST(Loudness, TheGainReachesTheTargetUnlessTheTruePeakCeilingIsLower) {
    const LoudnessGain plain = LoudnessGainFor({-26.0, 0.1}, -16.0);
    EXPECT_NEAR(plain.gain, std::pow(10.0, 10.0 / 20), 1e-9);
    EXPECT_FALSE(plain.ceilingWon);
    // A peak of 0.5 may rise only to -1 dBTP: 0.891 / 0.5.
    const LoudnessGain held = LoudnessGainFor({-26.0, 0.5}, -16.0);
    EXPECT_TRUE(held.ceilingWon);
    EXPECT_NEAR(held.gain, std::pow(10.0, -1.0 / 20) / 0.5, 1e-9);
    EXPECT_NEAR(held.reachedLufs, -26.0 + 20 * std::log10(held.gain), 1e-9);
    EXPECT_EQ(LoudnessGainFor({std::nullopt, 0.0}, -16.0).gain, 1.0);
}

TEST(Loudness, ASongIsScaledToTheTargetAndSilenceStaysSilence) {
    std::vector<std::uint8_t> song = Sine(4.0, 1000, 1500);
    const LoudnessGain gain = ApplyLoudness(song, -16.0);
    EXPECT_FALSE(gain.ceilingWon);
    const auto measured = MeasureLoudness(song);
    ASSERT_TRUE(measured && measured->integratedLufs);
    EXPECT_NEAR(*measured->integratedLufs, -16.0, 0.1);
    EXPECT_LE(measured->truePeak, std::pow(10.0, -1.0 / 20));

    std::vector<std::uint8_t> silence(44100 * 4, 0);
    EXPECT_EQ(ApplyLoudness(silence, -16.0).gain, 1.0);
    EXPECT_EQ(silence, std::vector<std::uint8_t>(44100 * 4, 0));
}

}  // namespace
