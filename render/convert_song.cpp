// The conversion driver: output file, render song, block loop, file finish.
#include "render/convert_song.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/interrupt_cleanup.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/user_report.h"
#include "render/audio_output.h"
#include "render/block_loop.h"
#include "render/conversion_ui.h"
#include "render/loudness.h"
#include "render/normalize.h"
#include "render/prepare_render_song.h"
#include "render/progress_text.h"
#include "render/render_session.h"
#include "render/silence.h"
#include "render/stem_jobs.h"
#include "render/stems.h"
#include "render/levelling.h"
#include "render/wave_file.h"

namespace {

// The progress window for the time of the block loop: bar and percentage
// text, the text replaced only when it changes.
class ProgressWindow {
public:
    ProgressWindow(ConversionUi& ui, int length) : ui_(ui), upper_(length) { ui_.OpenProgress(lower_, upper_); }
    ~ProgressWindow() { ui_.CloseProgress(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Lets the windows repaint, then shows the position reached.
    void Update(int position) {
        ui_.PumpEvents();
        ui_.SetProgressPosition(position);
        std::string text = ProgressPercentText(position, lower_, upper_);
        if (text != text_) {
            text_ = std::move(text);
            ui_.SetProgressText(text_);
        }
    }

private:
    ConversionUi& ui_;
    int lower_ = 0;
    int upper_;
    std::string text_ = "1";  // the window's initial text
};

// The output path: the batch's target, or the user's choice. Nothing when
// the user does not confirm.
std::optional<std::string> OutputPath(const ConversionSource& source, const std::optional<std::string>& targetPath,
                                      ConversionUi& ui) {
    if (targetPath) return targetPath;
    return ui.ChooseOutputFile(source.folder, source.name);
}

// How the block loop ended.
enum class BlocksResult { kWritten, kWriteFailed, kCancelled };

// Renders every block of the song with the progress window open and hands
// each block that belongs to the song to `write`, until the song ends, a
// write fails or the user cancels.
template <typename Write>
BlocksResult RenderBlocks(std::vector<std::uint8_t>& block, int length, ConversionUi& ui, Write write) {
    ProgressWindow progress(ui, length);
    bool cancelled = false;
    const bool written = RunBlockLoop(
        block, [](std::span<std::uint8_t> out) { return RenderStep(out); },
        [&](std::span<const std::uint8_t> frames) {
            cancelled = ui.CancelRequested();
            return !cancelled && write(frames);
        },
        [&progress](int elapsed) { progress.Update(elapsed); });
    if (cancelled) return BlocksResult::kCancelled;
    return written ? BlocksResult::kWritten : BlocksResult::kWriteFailed;
}

// Tells the user that the loudness target gave way to the true-peak ceiling.
void TellCeilingWon(const std::string& path, const LoudnessGain& gain, double targetLufs) {
    WriteErrorLine(path + ": " +
                   Formatted(Tr("quieter than the loudness asked for: the true peak would rise above -1 dBTP "
                                "(%.1f LUFS, not %.1f)"),
                             gain.reachedLufs, targetLufs));
}

// Tells the user, before anything is rendered, that the song would not fit
// into a WAV file.
void TellTooLongForWave(const std::string& path, int lengthMs) {
    constexpr int kMsPerMinute = 60000;
    constexpr int kMinutesPerHour = 60;
    const int minutes = lengthMs / kMsPerMinute;
    WriteErrorLine(path + ": " +
                   Formatted(Tr("the song lasts %d h %02d min: too long for a WAV file (4 GiB, about 6 h 45 min, at "
                                "most); write FLAC instead (--format flac)"),
                             minutes / kMinutesPerHour, minutes % kMinutesPerHour));
}

// Tells the user how many notes the transposition left out.
void TellNotesLeftOut(const std::string& path, int count, int semitones) {
    WriteErrorLine(path + ": " + Tr("notes left out: transposed, they fall outside the range of MIDI notes") + " (" +
                   std::to_string(count) + ", " + (semitones > 0 ? "+" : "") + std::to_string(semitones) + ")");
}

void TellLevelsCapped(const std::string& path, const std::vector<CappedLevel>& capped) {
    for (const CappedLevel& level : capped) {
        WriteErrorLine(path + ": " +
                       Formatted(Tr("channel %d can only be raised by %+.1f dB, not %+.1f dB: its volume, expression "
                                    "and velocities reach their highest value there"),
                                 level.channel + 1, level.reachedDb, level.askedDb));
    }
}

// The highest true peak a loudness-normalized file of `format` is brought
// to: lossy encoders add peaks of their own (on limited songs at -10 LUFS,
// measured after decoding: MP3 and Vorbis up to 0.6 dB, Opus with its
// resampling up to 0.8 dB), so their input keeps more headroom below -1 dBTP.
double TruePeakCeilingFor(AudioFormat format) {
    constexpr double kLossyHeadroomDb = 1.0;
    constexpr double kOpusHeadroomDb = 1.5;
    switch (format) {
        case AudioFormat::kOpus: return kTruePeakCeilingDbtp - kOpusHeadroomDb;
        case AudioFormat::kOgg:
        case AudioFormat::kMp3: return kTruePeakCeilingDbtp - kLossyHeadroomDb;
        case AudioFormat::kWav:
        case AudioFormat::kFlac: break;
    }
    return kTruePeakCeilingDbtp;
}

// True when the finished song is levelled (at a fixed gain as it comes,
// or at one measured on the whole song), false when it is written as rendered.
bool Levelled(const OutputOptions& output) {
    return output.peakDbfs || output.loudnessLufs || output.gain;
}

// The levelling of a fixed gain, limited when `output` asks for it.
Levelling GivenLevelling(const OutputOptions& output) {
    Levelling levelling;
    levelling.gain = *output.gain;
    if (output.limitPeaks && !output.gainCurve) {
        levelling.limiterCeiling = LimiterCeilingFor(TruePeakCeilingFor(output.encoding.format));
    } else {
        levelling.curve = output.gainCurve;
    }
    return levelling;
}

// The levelling `output` asks for, measured on the whole song; the gain
// used goes to `done`.
Levelling MeasuredLevelling(const SongPieces& song, const OutputOptions& output, const std::string& path,
                            ConversionResult& done) {
    if (output.loudnessLufs) {
        const LoudnessGain gain = FindLoudnessGain(song, *output.loudnessLufs, TruePeakCeilingFor(output.encoding.format));
        if (gain.ceilingWon) TellCeilingWon(path, gain, *output.loudnessLufs);
        done.gain = gain.gain;
        return gain.levelling;
    }
    int peak = 0;
    song.Read([&peak](std::span<const std::uint8_t> piece) {
        peak = std::max(peak, PeakMagnitude(piece));
        return true;
    });
    Levelling levelling;
    levelling.gain = done.gain = NormalizeGain(peak, *output.peakDbfs);
    return levelling;
}

// The rendered song held whole, read as often as its levelling needs.
class HeldSong final : public SongPieces {
public:
    void Append(std::span<const std::uint8_t> frames) { samples_.Append(frames); }
    void PadTo(std::size_t bytes) {
        if (samples_.Size() < bytes) samples_.AppendZeros(bytes - samples_.Size());
    }
    bool Read(const FramesSink& read) const override { return samples_.Read(read); }
    // Reads the song once more, giving back its memory as it goes.
    bool Drain(const FramesSink& read) { return samples_.Drain(read); }

private:
    ChunkedBuffer<std::uint8_t> samples_;
};

// A phase of the conversion that reports no position, shown to `ui` as
// such through `show` (SetLoading, SetFinishing) while it lasts.
class SilentPhase {
public:
    using Show = void (ConversionUi::*)(bool);
    SilentPhase(ConversionUi& ui, Show show) : ui_(ui), show_(show) { (ui_.*show_)(true); }
    ~SilentPhase() { (ui_.*show_)(false); }
    SilentPhase(const SilentPhase&) = delete;
    SilentPhase& operator=(const SilentPhase&) = delete;

private:
    ConversionUi& ui_;
    Show show_;
};

// Renders the song into the file, `written` counting the bytes of samples
// and `audible` telling whether any written sample sounds. A song written
// as rendered and one at a fixed gain are written block by block as they
// come; a level measured on the song holds the whole song first.
BlocksResult RenderInto(AudioOutput& file, std::vector<std::uint8_t>& block, int length, ConversionUi& ui,
                        const OutputOptions& output, const std::string& path, ConversionResult& done) {
    const FramesSink write = [&](std::span<const std::uint8_t> frames) {
        done.bytes += frames.size();
        done.audible = done.audible || HasAudibleSample(frames);
        return file.WriteFrames(frames);
    };
    std::size_t taken = 0;  // bytes of samples taken from the render
    const auto lengthCut = [&](std::span<const std::uint8_t> frames) {
        if (output.lengthBytes) frames = frames.first(std::min(frames.size(), *output.lengthBytes - taken));
        taken += frames.size();
        return frames;
    };
    if (!Levelled(output)) {
        const BlocksResult rendered = RenderBlocks(block, length, ui, [&](std::span<const std::uint8_t> frames) {
            return write(lengthCut(frames));
        });
        if (rendered != BlocksResult::kWritten || !output.lengthBytes || taken >= *output.lengthBytes) return rendered;
        const std::vector<std::uint8_t> silence(*output.lengthBytes - taken, 0);
        taken += silence.size();
        return write(silence) ? BlocksResult::kWritten : BlocksResult::kWriteFailed;
    }
    // The limiter's factors are kept for the stems, which take the mix's.
    std::shared_ptr<GainCurve> curve = output.stems ? std::make_shared<GainCurve>() : nullptr;
    const auto keep = [&]() {
        if (curve && curve->Size() > 0) done.gainCurve = std::move(curve);
    };
    if (output.gain) {
        const Levelling levelling = GivenLevelling(output);
        done.gain = levelling.gain;
        LevelledFrames levelled(levelling, curve.get());
        const BlocksResult rendered = RenderBlocks(block, length, ui, [&](std::span<const std::uint8_t> frames) {
            return levelled.Add(lengthCut(frames), write);
        });
        if (rendered != BlocksResult::kWritten) return rendered;
        if (output.lengthBytes && taken < *output.lengthBytes) {
            const std::vector<std::uint8_t> silence(*output.lengthBytes - taken, 0);
            taken += silence.size();
            if (!levelled.Add(silence, write)) return BlocksResult::kWriteFailed;
        }
        if (!levelled.Finish(write)) return BlocksResult::kWriteFailed;
        keep();
        return BlocksResult::kWritten;
    }
    HeldSong song;
    const BlocksResult rendered = RenderBlocks(block, length, ui, [&](std::span<const std::uint8_t> frames) {
        song.Append(lengthCut(frames));
        return true;
    });
    if (rendered != BlocksResult::kWritten) return rendered;
    // The held song is measured, levelled and encoded.
    const SilentPhase finishing(ui, &ConversionUi::SetFinishing);
    if (output.lengthBytes) song.PadTo(*output.lengthBytes);
    LevelledFrames levelled(MeasuredLevelling(song, output, path, done), curve.get());
    if (!song.Drain([&](std::span<const std::uint8_t> piece) { return levelled.Add(piece, write); }) ||
        !levelled.Finish(write)) {
        return BlocksResult::kWriteFailed;
    }
    keep();
    return BlocksResult::kWritten;
}

// Writes the stems of the mix just written to `mixPath` (`mix`), each at the
// mix's gain, limiter curve and length, adding the path of each one written
// to `written`.
void ConvertStems(const ConversionSource& source, SongContainer& renderSong, const std::string& mixPath,
                  ConversionUi& ui, UserReport& report, const OutputOptions& output, const PreparedSong& prepared,
                  const ConversionResult& mix, std::vector<std::string>& written) {
    const std::string folder = StemFolder(mixPath);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        WriteErrorLine("cannot create the folder " + folder + ": " + SystemReason(error));
        report.Report(kWaveFileFailedMessage);
        return;
    }
    OutputOptions stemOutput;
    stemOutput.encoding = output.encoding;
    if (Levelled(output)) {
        stemOutput.gain = mix.gain;
        stemOutput.gainCurve = mix.gainCurve;
    } else {
        // A curve that never went below 1 was not kept: the stems take 1 throughout.
        auto factors = std::make_shared<std::vector<float>>(mix.gainCurve ? mix.gainCurve->Size() : 0);
        if (mix.gainCurve) mix.gainCurve->CopyOut(0, *factors);
        stemOutput.mixCurve = std::move(factors);
    }
    stemOutput.lengthBytes = mix.bytes;
    stemOutput.tellChanges = false;
    const std::vector<Stem> stems = PlanStems(source.options, prepared.soundingChannels, prepared.clicksSound,
                                              AudioFormatExtension(output.encoding.format));
    const auto stemPath = [&](const Stem& stem) { return (std::filesystem::path(folder) / stem.fileName).string(); };
    const std::vector<bool> converted =
        RunStemJobs(stems.size(), output.stemJobs, report, [&](std::size_t index, UserReport& stemReport) {
            const SongOptions options = StemOptions(source.options, stems[index]);
            OutputOptions own = stemOutput;
            own.clicks = stems[index].clicks;
            own.lastFile = output.lastFile && index + 1 == stems.size();
            const ConversionSource stemSource{source.song, options, source.folder, source.name};
            return ConvertSong(stemSource, renderSong, stemPath(stems[index]), ui, stemReport, own).written;
        });
    for (std::size_t index = 0; index < stems.size(); ++index) {
        if (converted[index]) written.push_back(stemPath(stems[index]));
    }
}

}  // namespace

void ConvertSongToWav(const ConversionSource& source, SongContainer& renderSong, const std::optional<std::string>& targetPath,
                      ConversionUi& ui, UserReport& report, std::optional<double> peakDbfs) {
    OutputOptions output;
    output.peakDbfs = peakDbfs;
    ConvertSong(source, renderSong, targetPath, ui, report, output);
}

ConversionResult ConvertSong(const ConversionSource& source, SongContainer& renderSong,
                             const std::optional<std::string>& targetPath, ConversionUi& ui, UserReport& report,
                             const OutputOptions& output) {
    ConversionResult done;
    if (source.name.empty()) {
        report.Report(kNoSongLoadedMessage);
        return done;
    }
    const std::optional<std::string> path = OutputPath(source, targetPath, ui);
    if (!path) return done;
    AudioOutput file(output.encoding, source.name);
    if (path->size() > kMaxOutputPathBytes || !file.Create(*path)) {
        report.Report(kWaveFileFailedMessage);
        return done;
    }

    const PreparedSong prepared = PrepareRenderSong(source.song, source.options, renderSong, output.clicks);
    if (prepared.sectionMissing) {
        file.Abandon();
        report.Report("measure " + std::to_string(source.options.firstMeasure) + " is past the song's last measure (" +
                      std::to_string(prepared.lastMeasure) + ")");
        return done;
    }
    if (prepared.loopTooLong) {
        file.Abandon();
        report.Report("the loop's passes together are too long to play; give fewer passes or fewer measures");
        return done;
    }
    if (prepared.notesLeftOut > 0) TellNotesLeftOut(*path, prepared.notesLeftOut, source.options.transpose);
    if (output.tellChanges) TellLevelsCapped(*path, prepared.cappedLevels);
    BlocksResult result = BlocksResult::kWriteFailed;
    {
        RenderSessionGuard session;
        int bufferBytes = 0;
        int framesPerBlock = 0;
        // A song written as rendered is raised and kept under the format's
        // true-peak ceiling; one levelled afterwards is held as the module
        // made it, only kept from passing full scale.
        const bool levelled = Levelled(output);
        RenderLimit limit;
        limit.gain = levelled ? 1.0 : kAsRenderedGain;
        limit.ceilingDbtp = levelled ? kFullScaleDbtp : TruePeakCeilingFor(output.encoding.format);
        limit.recordCurve = !levelled && output.stems;
        if (output.mixCurve) limit.curve = output.mixCurve.get();
        if (!levelled) done.gain = kAsRenderedGain;
        int length = 0;
        {
            const SilentPhase loading(ui, &ConversionUi::SetLoading);
            length = BeginRender(renderSong, bufferBytes, framesPerBlock, kNormalTempoPercent, limit);
        }
        if (length < 0) {
            file.Abandon();
            report.Report(kInitializationFailedMessage);
            return done;
        }
        if (output.encoding.format == AudioFormat::kWav && !WaveFileCanHold(length)) {
            file.Abandon();
            TellTooLongForWave(*path, length);
            report.Report(kWaveFileFailedMessage);
            return done;
        }
        std::vector<std::uint8_t> block(static_cast<std::size_t>(bufferBytes));
        result = RenderInto(file, block, length, ui, output, *path, done);
        // The stems of a song written as rendered take its gain and its limiter's curve.
        if (limit.recordCurve && !RenderCurve().empty()) {
            auto curve = std::make_shared<GainCurve>();
            curve->Append(RenderCurve());
            done.gainCurve = std::move(curve);
        }
    }
    if (result == BlocksResult::kCancelled) {
        file.Abandon();
        return done;
    }
    if (output.lastFile && !output.stems) HoldStopSignalsInWorker();
    if (result != BlocksResult::kWritten || !file.Finish()) {
        file.Abandon();
        report.Report(kWaveFileFailedMessage);
        return done;
    }
    done.written = true;
    if (output.stems) ConvertStems(source, renderSong, *path, ui, report, output, prepared, done, done.stems);
    return done;
}
