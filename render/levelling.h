// Levelling a finished song as it is read, piece by piece: each frame is
// scaled by a gain and a limiter's factor, and the rounded result by a
// trim. The limiter's factors are computed from the song itself as it goes
// by, a few milliseconds behind it (its look-ahead), so nothing but those
// milliseconds is held.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "render/chunked_buffer.h"
#include "render/true_peak_limiter.h"

// One limiter factor per frame.
using GainCurve = ChunkedBuffer<float>;

// Hands one piece of a song's frames on; false stops the reading.
using FramesSink = std::function<bool(std::span<const std::uint8_t>)>;

// A finished song (little-endian 16-bit stereo frames) read from its start,
// piece by piece and in order, as often as it is needed.
class SongPieces {
public:
    virtual ~SongPieces() = default;
    // Hands every piece to `read` until it returns false; false then.
    virtual bool Read(const FramesSink& read) const = 0;
};

// A song held whole in one span.
class SpanPieces final : public SongPieces {
public:
    explicit SpanPieces(std::span<const std::uint8_t> frames) : frames_(frames) {}
    bool Read(const FramesSink& read) const override { return read(frames_); }

private:
    std::span<const std::uint8_t> frames_;
};

struct Levelling {
    double gain = 1.0;
    // With a ceiling (a factor of full scale), a limiter's curve computed
    // from the song keeps every frame's true peak at or under it.
    std::optional<double> limiterCeiling;
    // Or the curve found earlier (a mix's, for its stems); frames past its
    // end take the gain alone.
    std::shared_ptr<const GainCurve> curve;
    // The rounded samples are scaled by this at last.
    double trim = 1.0;
};

// The levelling of frames handed in piece by piece.
class LevelledFrames {
public:
    // The limiter's factors go to `keptCurve` when given; it is left empty
    // when the limiter does not act.
    explicit LevelledFrames(const Levelling& levelling, GainCurve* keptCurve = nullptr);
    // Levels the next frames, handing every frame now levelled to `out` in
    // order; false when `out` does.
    bool Add(std::span<const std::uint8_t> frames, const FramesSink& out);
    // The song has ended: hands its last frames to `out`.
    bool Finish(const FramesSink& out);

private:
    // Levels and hands out the first `count` pending frames.
    bool Release(std::size_t count, const std::vector<float>& factors, const FramesSink& out);

    Levelling levelling_;
    GainCurve* keptCurve_;
    std::optional<FramePeakStream> peaks_;
    std::optional<LimiterStream> limiter_;
    std::vector<std::uint8_t> pending_;  // frames handed in, not yet levelled
    std::size_t firstPending_ = 0;       // the index of the first of them in the song
    std::vector<float> peakScratch_;
    std::vector<float> factorScratch_;
};

// Reads `song` through `levelling` into `out`; false when `out` stops it.
bool ReadLevelled(const SongPieces& song, const Levelling& levelling, const FramesSink& out,
                  GainCurve* keptCurve = nullptr);
