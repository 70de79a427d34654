// Converting the loaded song into a WAV file, interactively (the user picks
// the file, errors in message boxes) or in batch (a given path, errors as
// lines of the conversion log).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/song_options.h"
#include "render/audio_format.h"
#include "render/levelling.h"

class SongContainer;
class ConversionUi;
class UserReport;

// What a conversion reads: the loaded song, the options applied to it, and
// the folder and base name the save dialog starts from. An empty name means
// that no song is loaded.
struct ConversionSource {
    SongContainer& song;
    const SongOptions& options;
    const std::string& folder;
    const std::string& name;
};

// Messages of the conversion.
inline constexpr char kNoSongLoadedMessage[] = "SMFが読み込まれていません";
inline constexpr char kWaveFileFailedMessage[] = "ウェーブファイルの作成に失敗しました。";
inline constexpr char kInitializationFailedMessage[] = "初期化に失敗しました";

// The longest output path accepted (the file name buffer holds 520 characters).
constexpr std::size_t kMaxOutputPathBytes = 519;

// Converts the loaded song, with its options, into a WAV file.
// Without `targetPath` the user chooses the file through `ui`. `renderSong`
// is the program's render song, rebuilt for this conversion. With
// `peakDbfs`, the finished samples are scaled so that the loudest lies at
// that level (they are held in memory until then). Every failure goes to
// `report`; a failed conversion leaves no file behind and an earlier file of
// the same name untouched. A conversion the user cancels through `ui` ends
// the same way, without a message.
void ConvertSongToWav(const ConversionSource& source, SongContainer& renderSong, const std::optional<std::string>& targetPath,
                      ConversionUi& ui, UserReport& report, std::optional<double> peakDbfs = std::nullopt);

// How a finished song is levelled and in which format it is written.
struct OutputOptions {
    std::optional<double> peakDbfs;      // scale so that the loudest sample lies here (dBFS)
    std::optional<double> loudnessLufs;  // scale to this integrated loudness (LUFS) under the true-peak ceiling
    // A fixed gain for every sample, instead of a level measured on this song.
    std::optional<double> gain;
    // With `gain`: the limiter's factor for each frame on top of it (see
    // true_peak_limiter.h); frames past its end take the gain alone.
    std::shared_ptr<const GainCurve> gainCurve;
    // With `gain` and no curve: peaks that the gain would push over the
    // true-peak ceiling are limited.
    bool limitPeaks = false;
    // Without a level: instead of a limiter of its own, the song written
    // as rendered takes these factors for its frames (1 past their end), as
    // the stems of such a mix take the mix's.
    std::shared_ptr<const std::vector<float>> mixCurve;
    AudioEncoding encoding;
    // Besides the mix, a file per used channel in a folder beside it (see stems.h).
    bool stems = false;
    // How many stems are rendered at once, each in a process of its own.
    int stemJobs = 1;
    // False: the count-in and the click keep their time but sound nothing.
    bool clicks = true;
    // False: what the preparation had to change (a capped level) is not told
    // again, as for the stems of a mix that told it.
    bool tellChanges = true;
    // The file holds exactly this many bytes of samples, silence added or
    // the rest left out (a stem lasts as long as its mix).
    std::optional<std::size_t> lengthBytes;
    // False when more files of the conversion follow this one (the mix and
    // every stem but the last): a worker process finishes and reports its
    // last file even when it is told to stop while putting it in place.
    bool lastFile = true;
};

// What a conversion did to the song's level.
struct ConversionResult {
    bool written = false;
    double gain = 1.0;  // the factor the samples were scaled by
    // And the limiter's factor for each frame, kept for the stems only;
    // empty when it did not act.
    std::shared_ptr<const GainCurve> gainCurve;
    std::size_t bytes = 0;  // bytes of samples written
    bool audible = false;  // some sample of the written file lies above the silence ceiling (see silence.h)
    std::vector<std::string> stems;  // the stem files written (with stems asked for)
};

// ConvertSongToWav with the level and format of `output`; the song's name
// goes into the tags of the formats that have them. When the loudness
// target is held back by the true-peak ceiling, standard error says so.
// With stems, each stem is written after the mix at the mix's gain,
// limiter curve and length: one per channel that plays in the converted
// span, and one of the count-in and the click when they sound; up to
// `stemJobs` of them at once.
ConversionResult ConvertSong(const ConversionSource& source, SongContainer& renderSong,
                             const std::optional<std::string>& targetPath, ConversionUi& ui, UserReport& report,
                             const OutputOptions& output);
