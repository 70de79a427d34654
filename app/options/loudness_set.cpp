// The measuring pass of a loudness set.
#include "app/options/loudness_set.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "app/options/option_command_line.h"
#include "platform/loudness_meter.h"

namespace fs = std::filesystem;

namespace {

// The program's WAV files: a 44-byte header, then the sample frames.
constexpr std::size_t kWaveHeaderBytes = 44;

// A fresh scratch folder, removed with its files when the pass is over.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const fs::path candidate = fs::temp_directory_path() / ("ombrix-set-" + std::to_string(random()));
            std::error_code error;
            if (fs::create_directory(candidate, error)) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::optional<double> LoudnessOf(const fs::path& wave) {
    std::ifstream in(wave, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() <= kWaveHeaderBytes) return std::nullopt;
    const std::optional<LoudnessMeasurement> measured =
        MeasureLoudness(std::span(bytes).subspan(kWaveHeaderBytes));
    return measured ? measured->integratedLufs : std::nullopt;
}

}  // namespace

std::optional<double> SetGain(const std::vector<std::optional<double>>& loudnessLufs, double targetLufs) {
    std::optional<double> loudest;
    for (const std::optional<double>& lufs : loudnessLufs) {
        if (lufs && (!loudest || *lufs > *loudest)) loudest = lufs;
    }
    if (!loudest) return std::nullopt;
    return std::pow(10.0, (targetLufs - *loudest) / 20.0);
}

std::optional<double> MeasureSetGain(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request,
                                     const ConversionPlan& plan, const BatchSettings& settings, std::string& error) {
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        error = "cannot make a scratch folder in " + fs::temp_directory_path().string() + " to measure the set";
        return std::nullopt;
    }
    // Every song as the run makes it, but at its own level, as WAV, without stems.
    ConversionRequest measuring = request;
    measuring.loudnessLufs.reset();
    measuring.loudnessSet = false;
    // Each song as the module makes it: the level the set's gain scales.
    measuring.setGain = 1.0;
    measuring.format = AudioFormat::kWav;
    measuring.quality.reset();
    measuring.stems = false;
    measuring.skipUpToDate = false;
    measuring.report.reset();
    ConversionPlan measured = plan;
    measured.logs.clear();
    for (std::size_t i = 0; i < measured.files.size(); ++i) {
        PlannedFile& file = measured.files[i];
        file.output = (scratch.path() / (std::to_string(i) + ".wav")).string();
        file.log = -1;
        file.upToDate = false;
    }
    BatchSettings quiet = settings;
    quiet.printWritten = false;
    quiet.onFileDone = nullptr;
    PlanFeed feed = FeedOf(measured);
    RunParallelBatch(dlg, renderSong, measuring, feed, quiet);

    std::vector<std::optional<double>> loudness;
    for (const PlannedFile& file : measured.files) loudness.push_back(LoudnessOf(file.output));
    const std::optional<double> gain = SetGain(loudness, *request.loudnessLufs);
    if (!gain) error = "no song of the set could be measured for --loudness-set";
    return gain;
}
