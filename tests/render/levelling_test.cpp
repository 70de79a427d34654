// Levelling a song piece by piece: whatever the pieces, the samples, the
// limiter's factors and the loudness measured are those of the whole song
// held at once, so a song need not be held to be levelled; the song's
// chunks are handed over in order and given back as they go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "platform/loudness_meter.h"
#include "render/chunked_buffer.h"
#include "render/levelling.h"
#include "render/loudness.h"
#include "render/normalize.h"
#include "render/true_peak_limiter.h"

namespace {

constexpr double kRate = 44100.0;

// Stereo frames: a loud 1 kHz burst for 10 ms every 0.3 s over a quiet
// 330 Hz bed, with a little noise, so that a gain of 4 passes full scale
// at every burst.
std::vector<std::uint8_t> Bursts(double seconds) {
    std::mt19937 noise(7);
    std::vector<std::uint8_t> frames;
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
        const double t = i / kRate;
        double value = 0.05 * std::sin(2 * std::numbers::pi * 330 * t);
        if (i % 13230 < 441) value += 0.6 * std::sin(2 * std::numbers::pi * 1000 * t);
        for (const double channel : {value, -0.8 * value}) {
            const int sample = static_cast<int>(std::lround(channel * 32767)) + static_cast<int>(noise() % 65) - 32;
            frames.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            frames.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
        }
    }
    return frames;
}

// `frames` cut into pieces of every size from 0 up to `largest` frames.
std::vector<std::span<const std::uint8_t>> Pieces(const std::vector<std::uint8_t>& frames, std::size_t largest) {
    std::vector<std::span<const std::uint8_t>> pieces;
    std::mt19937 sizes(3);
    for (std::size_t at = 0; at < frames.size();) {
        const std::size_t bytes = std::min(frames.size() - at, sizes() % (largest + 1) * 4);
        pieces.push_back(std::span(frames).subspan(at, bytes));
        at += bytes;
    }
    return pieces;
}

// What LevelledFrames hands out, fed with `pieces`.
std::vector<std::uint8_t> Levelled(const std::vector<std::span<const std::uint8_t>>& pieces, const Levelling& levelling,
                                   GainCurve* kept = nullptr) {
    std::vector<std::uint8_t> out;
    const FramesSink append = [&out](std::span<const std::uint8_t> frames) {
        out.insert(out.end(), frames.begin(), frames.end());
        return true;
    };
    LevelledFrames levelled(levelling, kept);
    for (const auto piece : pieces) EXPECT_TRUE(levelled.Add(piece, append));
    EXPECT_TRUE(levelled.Finish(append));
    return out;
}

Levelling Scaled(double gain, std::optional<double> limiterCeiling = {}, double trim = 1.0,
                 std::shared_ptr<const GainCurve> curve = nullptr) {
    Levelling levelling;
    levelling.gain = gain;
    levelling.limiterCeiling = limiterCeiling;
    levelling.trim = trim;
    levelling.curve = std::move(curve);
    return levelling;
}

std::vector<float> Values(const GainCurve& curve) {
    std::vector<float> values(curve.Size());
    curve.CopyOut(0, values);
    return values;
}

TEST(ChunkedBuffer, HoldsWhatIsAppendedAcrossItsChunksAndGivesItBackInOrder) {
    ChunkedBuffer<std::uint16_t> buffer;
    const std::size_t per = ChunkedBuffer<std::uint16_t>::kPerChunk;
    std::vector<std::uint16_t> values(per + 3);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint16_t>(i * 7);
    buffer.Append(std::span(values).first(per - 1));
    buffer.Append(std::span(values).subspan(per - 1));  // crosses into the second chunk
    buffer.AppendZeros(per + 1);                          // and fills it into a third
    ASSERT_EQ(buffer.Size(), 2 * per + 4);

    std::vector<std::uint16_t> around(6, 9);
    EXPECT_EQ(buffer.CopyOut(per - 2, around), 6u);
    std::vector<std::uint16_t> expected(values.begin() + static_cast<std::ptrdiff_t>(per) - 2, values.end());
    expected.push_back(0);  // the first of the zeros
    EXPECT_EQ(around, expected);
    std::vector<std::uint16_t> tail(5, 9);
    EXPECT_EQ(buffer.CopyOut(2 * per + 2, tail), 2u);  // only two are left
    EXPECT_EQ(tail, (std::vector<std::uint16_t>{0, 0, 9, 9, 9}));

    std::vector<std::size_t> sizes;
    std::vector<std::uint16_t> read;
    EXPECT_TRUE(buffer.Read([&](std::span<const std::uint16_t> piece) {
        sizes.push_back(piece.size());
        read.insert(read.end(), piece.begin(), piece.end());
        return true;
    }));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{per, per, 4}));
    EXPECT_TRUE(std::equal(values.begin(), values.end(), read.begin()));
    EXPECT_TRUE(std::all_of(read.begin() + values.size(), read.end(), [](std::uint16_t v) { return v == 0; }));

    int handed = 0;
    EXPECT_FALSE(buffer.Drain([&](std::span<std::uint16_t>) { return ++handed < 2; }));
    EXPECT_EQ(handed, 2);  // the third chunk is not handed over after a refusal
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST(Levelling, PeaksAndLimiterFactorsInPiecesAreThoseOfTheWholeSong) {
    const std::vector<std::uint8_t> song = Bursts(1.5);
    const std::vector<float> whole = FramePeaks(song);
    for (const std::size_t largest : {std::size_t{1}, std::size_t{7}, std::size_t{5000}}) {
        FramePeakStream stream;
        std::vector<float> peaks;
        for (const auto piece : Pieces(song, largest)) stream.Add(piece, peaks);
        stream.Finish(peaks);
        EXPECT_EQ(peaks, whole) << largest;

        const LimiterTiming timing{.attackFrames = 30, .releaseFrames = 200};
        const std::vector<float> curve = LimiterCurve(whole, 4.0, 0.9, timing);
        ASSERT_FALSE(curve.empty());
        LimiterStream limiter(4.0, 0.9, timing);
        std::vector<float> factors;
        for (std::size_t at = 0; at < whole.size(); at += largest) {
            limiter.Add(std::span(whole).subspan(at, std::min(largest, whole.size() - at)), factors);
        }
        limiter.Finish(factors);
        EXPECT_TRUE(limiter.Acted());
        EXPECT_EQ(factors, curve) << largest;
    }
}

TEST(Levelling, AShortSongAndAnEmptyOneHaveAFactorForEveryFrame) {
    std::vector<std::uint8_t> song = Bursts(0.001);  // 44 frames, shorter than the attack
    FramePeakStream stream;
    std::vector<float> peaks;
    stream.Add(song, peaks);
    EXPECT_TRUE(peaks.size() < 44u);  // the last ones wait for the frames after them
    stream.Finish(peaks);
    EXPECT_EQ(peaks, FramePeaks(song));
    LimiterStream limiter(1.0, 0.5);
    std::vector<float> factors;
    limiter.Add(peaks, factors);
    EXPECT_TRUE(factors.empty());
    limiter.Finish(factors);
    EXPECT_EQ(factors.size(), peaks.size());

    FramePeakStream none;
    std::vector<float> nothing;
    none.Finish(nothing);
    EXPECT_TRUE(nothing.empty());
}

TEST(Levelling, ALimitedSongLevelledInPiecesIsTheSongLimitedWhole) {
    const std::vector<std::uint8_t> song = Bursts(1.5);
    const double gain = 4.0;
    const double ceiling = 0.85;
    const std::vector<float> curve = LimiterCurve(FramePeaks(song), gain, ceiling);
    ASSERT_FALSE(curve.empty());
    std::vector<std::uint8_t> expected = song;
    ApplyGainCurve(expected, gain, curve);
    ScaleSamples(expected, 0.9);
    for (const std::size_t largest : {std::size_t{3}, std::size_t{1000}, std::size_t{100000}}) {
        GainCurve kept;
        const Levelling levelling = Scaled(gain, ceiling, 0.9);
        EXPECT_EQ(Levelled(Pieces(song, largest), levelling, &kept), expected) << largest;
        EXPECT_EQ(Values(kept), curve) << largest;
    }
    // A limiter that never acts keeps no curve.
    GainCurve kept;
    Levelled(Pieces(song, 100), Scaled(0.5, ceiling), &kept);
    EXPECT_EQ(kept.Size(), 0u);
}

TEST(Levelling, AGivenCurveMeetsEachFrameWhereverThePiecesEnd) {
    const std::vector<std::uint8_t> song = Bursts(0.5);
    const std::vector<float> factors = LimiterCurve(FramePeaks(song), 3.0, 0.8);
    auto curve = std::make_shared<GainCurve>();
    curve->Append(std::span(factors).first(factors.size() / 2));  // frames past it take the gain alone
    std::vector<std::uint8_t> expected = song;
    ApplyGainCurve(expected, 3.0, std::vector<float>(factors.begin(), factors.begin() + factors.size() / 2));
    EXPECT_EQ(Levelled(Pieces(song, 700), Scaled(3.0, {}, 1.0, curve)), expected);

    std::vector<std::uint8_t> scaled = song;
    ScaleSamples(scaled, 0.3);
    EXPECT_EQ(Levelled(Pieces(song, 700), Scaled(0.3)), scaled);
    EXPECT_EQ(Levelled(Pieces(song, 700), {}), song);
}

TEST(Levelling, ARefusedPieceStopsTheReading) {
    const std::vector<std::uint8_t> song = Bursts(0.2);
    int handed = 0;
    EXPECT_FALSE(ReadLevelled(SpanPieces(song), Scaled(2.0), [&handed](std::span<const std::uint8_t>) {
        ++handed;
        return false;
    }));
    EXPECT_EQ(handed, 1);
}

TEST(Levelling, TheLoudnessOfPiecesIsTheLoudnessOfTheWholeSong) {
    const std::vector<std::uint8_t> song = Bursts(2.5);
    const auto whole = MeasureLoudness(song);
    ASSERT_TRUE(whole && whole->integratedLufs);
    LoudnessMeter meter;
    for (const auto piece : Pieces(song, 30000)) meter.Add(piece);
    const auto pieces = meter.Finish();
    ASSERT_TRUE(pieces && pieces->integratedLufs);
    EXPECT_EQ(*pieces->integratedLufs, *whole->integratedLufs);
    EXPECT_EQ(pieces->truePeak, whole->truePeak);
}

// A song read piece by piece that counts its readings.
class CountedPieces final : public SongPieces {
public:
    explicit CountedPieces(const std::vector<std::uint8_t>& song) : song_(song) {}
    bool Read(const FramesSink& read) const override {
        ++readings;
        for (const auto piece : Pieces(song_, 20000)) {
            if (!read(piece)) return false;
        }
        return true;
    }
    mutable int readings = 0;

private:
    const std::vector<std::uint8_t>& song_;
};

TEST(Levelling, TheLoudnessGainFoundInPiecesLevelsTheSongAsTheWholeSongIsLevelled) {
    for (const double target : {-30.0, -12.0}) {  // only scaled, then limited
        const std::vector<std::uint8_t> song = Bursts(3.0);
        std::vector<std::uint8_t> whole = song;
        const LoudnessGain applied = ApplyLoudness(whole, target);
        const CountedPieces pieces(song);
        const LoudnessGain found = FindLoudnessGain(pieces, target);
        EXPECT_EQ(found.gain, applied.gain) << target;
        EXPECT_EQ(found.reachedLufs, applied.reachedLufs) << target;
        EXPECT_EQ(found.levelling.limiterCeiling.has_value(), !applied.curve.empty()) << target;
        // Measured once; each gain the limiter tries is one more reading.
        EXPECT_EQ(pieces.readings == 1, applied.curve.empty()) << target;
        EXPECT_EQ(Levelled(Pieces(song, 5000), found.levelling), whole) << target;
    }
}

}  // namespace
