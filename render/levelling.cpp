// Gain, limiter factors and trim applied to frames in song order.
#include "render/levelling.h"

#include "render/normalize.h"

namespace {

constexpr std::size_t kBytesPerFrame = 4;

}  // namespace

LevelledFrames::LevelledFrames(const Levelling& levelling, GainCurve* keptCurve)
    : levelling_(levelling), keptCurve_(keptCurve) {
    if (levelling_.limiterCeiling) {
        peaks_.emplace();
        limiter_.emplace(levelling_.gain, *levelling_.limiterCeiling);
    }
    if (keptCurve_) keptCurve_->Clear();
}

bool LevelledFrames::Add(std::span<const std::uint8_t> frames, const FramesSink& out) {
    pending_.insert(pending_.end(), frames.begin(), frames.end());
    if (limiter_) {
        peakScratch_.clear();
        factorScratch_.clear();
        peaks_->Add(frames, peakScratch_);
        limiter_->Add(peakScratch_, factorScratch_);
        return Release(factorScratch_.size(), factorScratch_, out);
    }
    const std::size_t count = pending_.size() / kBytesPerFrame;
    factorScratch_.clear();
    if (levelling_.curve) {
        factorScratch_.resize(count);
        factorScratch_.resize(levelling_.curve->CopyOut(firstPending_, factorScratch_));
    }
    return Release(count, factorScratch_, out);
}

bool LevelledFrames::Finish(const FramesSink& out) {
    if (!limiter_) return Add({}, out);
    peakScratch_.clear();
    factorScratch_.clear();
    peaks_->Finish(peakScratch_);
    limiter_->Add(peakScratch_, factorScratch_);
    limiter_->Finish(factorScratch_);
    const bool written = Release(factorScratch_.size(), factorScratch_, out);
    if (keptCurve_ && !limiter_->Acted()) keptCurve_->Clear();
    return written;
}

bool LevelledFrames::Release(std::size_t count, const std::vector<float>& factors, const FramesSink& out) {
    if (count == 0) return true;
    const std::span<std::uint8_t> frames = std::span(pending_).first(count * kBytesPerFrame);
    if (levelling_.gain != 1.0 || !factors.empty()) ApplyGainCurve(frames, levelling_.gain, factors);
    if (levelling_.trim != 1.0) ScaleSamples(frames, levelling_.trim);
    if (keptCurve_ && limiter_) keptCurve_->Append(factors);
    firstPending_ += count;
    const bool written = out(frames);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(frames.size()));
    return written;
}

bool ReadLevelled(const SongPieces& song, const Levelling& levelling, const FramesSink& out, GainCurve* keptCurve) {
    LevelledFrames levelled(levelling, keptCurve);
    return song.Read([&](std::span<const std::uint8_t> piece) { return levelled.Add(piece, out); }) &&
           levelled.Finish(out);
}
