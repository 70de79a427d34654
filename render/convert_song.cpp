// The conversion driver: output file, render song, block loop, file finish.
#include "render/convert_song.h"

#include <vector>

#include "platform/user_report.h"
#include "render/block_loop.h"
#include "render/conversion_ui.h"
#include "render/normalize.h"
#include "render/prepare_render_song.h"
#include "render/progress_text.h"
#include "render/render_session.h"
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

// Renders the song into the file; with `peakDbfs`, the whole song is held
// and scaled to that peak first.
BlocksResult RenderInto(WaveFile& wave, std::vector<std::uint8_t>& block, int length, ConversionUi& ui,
                        std::optional<double> peakDbfs) {
    if (!peakDbfs) {
        return RenderBlocks(block, length, ui,
                            [&wave](std::span<const std::uint8_t> frames) { return wave.WriteFrames(frames); });
    }
    std::vector<std::uint8_t> song;
    const BlocksResult rendered = RenderBlocks(block, length, ui, [&song](std::span<const std::uint8_t> frames) {
        song.insert(song.end(), frames.begin(), frames.end());
        return true;
    });
    if (rendered != BlocksResult::kWritten) return rendered;
    ScaleSamples(song, NormalizeGain(PeakMagnitude(song), *peakDbfs));
    return wave.WriteFrames(song) ? BlocksResult::kWritten : BlocksResult::kWriteFailed;
}

}  // namespace

void ConvertSongToWav(const ConversionSource& source, SongContainer& renderSong, const std::optional<std::string>& targetPath,
                      ConversionUi& ui, UserReport& report, std::optional<double> peakDbfs) {
    if (source.name.empty()) {
        report.Report(kNoSongLoadedMessage);
        return;
    }
    const std::optional<std::string> path = OutputPath(source, targetPath, ui);
    if (!path) return;
    WaveFile wave;
    if (path->size() > kMaxOutputPathBytes || !wave.Create(*path)) {
        report.Report(kWaveFileFailedMessage);
        return;
    }

    PrepareRenderSong(source.song, source.options, renderSong);
    BlocksResult result = BlocksResult::kWriteFailed;
    {
        RenderSessionGuard session;
        int bufferBytes = 0;
        int framesPerBlock = 0;
        const int length = BeginRender(renderSong, bufferBytes, framesPerBlock);
        if (length < 0) {
            wave.Abandon();
            report.Report(kInitializationFailedMessage);
            return;
        }
        std::vector<std::uint8_t> block(static_cast<std::size_t>(bufferBytes));
        result = RenderInto(wave, block, length, ui, peakDbfs);
    }
    if (result == BlocksResult::kCancelled) {
        wave.Abandon();
        return;
    }
    if (result != BlocksResult::kWritten || !wave.Finish()) {
        wave.Abandon();
        report.Report(kWaveFileFailedMessage);
    }
}
