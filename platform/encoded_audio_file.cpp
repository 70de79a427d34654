// Compressed audio files on libsndfile, writing into a temporary file's
// descriptor through a sink that checks every write.
#include "platform/encoded_audio_file.h"

#include "platform/checked_sink.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
// Opus codes only its own rates; the frames are resampled to this one.
constexpr int kOpusSampleRate = 48000;
constexpr int kChannels = 2;
constexpr std::size_t kBytesPerSample = 2;
// More than the Opus encoder's look-ahead of 6.5 ms (312 frames at 48000 Hz).
constexpr sf_count_t kOpusTailPaddingFrames = 480;
constexpr long kResampleSlackFrames = 64;  // room beyond the rate's ratio in each resampled write

int MajorFormat(AudioCodec codec) {
    switch (codec) {
    case AudioCodec::kFlac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case AudioCodec::kVorbis: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case AudioCodec::kOpus: return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case AudioCodec::kMp3: return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

struct ResamplerCloser {
    void operator()(SRC_STATE* state) const { src_delete(state); }
};

}  // namespace

struct EncodedAudioFile::Encoder {
    explicit Encoder(int fd) : sink(fd) {}
    // Declared first, so that the library closes its file before the sink.
    CheckedSink sink;
    std::unique_ptr<SNDFILE, SoundFileCloser> file;
    bool lossless = false;       // FLAC takes the 16-bit samples as they are
    std::vector<short> samples;  // the frames of one write, in the machine's order
    std::vector<float> input;  // the lossy formats' samples, -1.0 to 1.0
    // Opus only: the rate converter and its output.
    std::unique_ptr<SRC_STATE, ResamplerCloser> resampler;
    std::vector<float> output;

    // Resamples `count` frames of `input` (none at the end of the song, to
    // flush) and encodes what comes out. False when the encoder fails.
    bool Resample(long count, bool last) {
        const double ratio = static_cast<double>(kOpusSampleRate) / kSampleRate;
        output.resize(static_cast<std::size_t>((static_cast<double>(count) * ratio + kResampleSlackFrames)) * kChannels);
        SRC_DATA data{};
        data.data_in = input.data();
        data.input_frames = count;
        data.data_out = output.data();
        data.output_frames = static_cast<long>(output.size() / kChannels);
        data.src_ratio = ratio;
        data.end_of_input = last ? 1 : 0;
        for (;;) {
            if (src_process(resampler.get(), &data) != 0) return false;
            const auto frames = static_cast<sf_count_t>(data.output_frames_gen);
            if (frames > 0 && sf_writef_float(file.get(), output.data(), frames) != frames) return false;
            data.data_in += data.input_frames_used * kChannels;
            data.input_frames -= data.input_frames_used;
            if (data.input_frames == 0 && (!last || data.output_frames_gen == 0)) return true;
        }
    }

    // The Opus encoder looks ahead of the frames it codes, and the library
    // ends the stream without feeding it past the song's last frame: the
    // decoded song would fade out over its last few milliseconds. Silence
    // behind the song lets the encoder code the song's end in full.
    bool PadOpusTail() {
        const std::vector<float> silence(static_cast<std::size_t>(kOpusTailPaddingFrames) * kChannels, 0.0f);
        return sf_writef_float(file.get(), silence.data(), kOpusTailPaddingFrames) == kOpusTailPaddingFrames;
    }
};

EncodedAudioFile::EncodedAudioFile() = default;
EncodedAudioFile::~EncodedAudioFile() { Abandon(); }

bool EncodedAudioFile::Fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
}

bool EncodedAudioFile::Create(const std::string& path, const EncoderSettings& settings) {
    Abandon();
    reason_.clear();
    SF_INFO info{};
    info.samplerate = settings.codec == AudioCodec::kOpus ? kOpusSampleRate : kSampleRate;
    info.channels = kChannels;
    info.format = MajorFormat(settings.codec);
    if (!sf_format_check(&info)) return Fail("this system's sound file library cannot write the format");
    const int fd = temporary_.Create(path);
    if (fd < 0) return Fail(SystemReason(errno));
    encoder_ = std::make_unique<Encoder>(fd);
    SNDFILE* file = sf_open_virtual(&CheckedSink::Calls(), SFM_WRITE, &info, &encoder_->sink);
    if (file == nullptr) {
        Fail(encoder_->sink.Error() != 0 ? SystemReason(encoder_->sink.Error()) : sf_strerror(nullptr));
        Abandon();
        return false;
    }
    encoder_->file.reset(file);
    encoder_->lossless = settings.codec == AudioCodec::kFlac;
    if (settings.codec == AudioCodec::kOpus) {
        // The fastest of the band-limited converters: it keeps 97 dB of
        // signal to noise and the band up to about 17.6 kHz; the medium one
        // added half again to what Opus files cost over a WAV file.
        int error = 0;
        encoder_->resampler.reset(src_new(SRC_SINC_FASTEST, kChannels, &error));
        if (!encoder_->resampler) {
            Abandon();
            return Fail(src_strerror(error));
        }
    }
    if (settings.compressionLevel >= 0.0) {
        double level = settings.compressionLevel;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    // Tags hold UTF-8 only (the FLAC encoder fails on anything else); a song
    // named in Latin-1 or Shift_JIS keeps what is readable of its name.
    if (!settings.title.empty()) sf_set_string(file, SF_STR_TITLE, WithValidUtf8(settings.title).c_str());
    return true;
}

bool EncodedAudioFile::FailWithEncoderReason() {
    const int error = encoder_->sink.Error();
    return Fail(error != 0 ? SystemReason(error) : sf_strerror(encoder_->file.get()));
}

bool EncodedAudioFile::WriteFrames(std::span<const std::uint8_t> frames) {
    if (!encoder_) return false;
    std::vector<short>& samples = encoder_->samples;
    samples.resize(frames.size() / kBytesPerSample);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<short>(static_cast<std::uint16_t>(frames[2 * i] | (frames[2 * i + 1] << 8)));
    }
    const auto count = static_cast<sf_count_t>(samples.size());
    if (encoder_->lossless) {
        if (sf_write_short(encoder_->file.get(), samples.data(), count) == count && encoder_->sink.Error() == 0) return true;
        return FailWithEncoderReason();
    }
    // The lossy encoders take floats: the library's MP3 encoder mangles
    // 16-bit input (it clips and distorts), and Opus is resampled anyway.
    encoder_->input.resize(samples.size());
    src_short_to_float_array(samples.data(), encoder_->input.data(), static_cast<int>(samples.size()));
    const bool encoded = encoder_->resampler
                             ? encoder_->Resample(static_cast<long>(samples.size() / kChannels), false)
                             : sf_write_float(encoder_->file.get(), encoder_->input.data(), count) == count;
    // The MPEG writer says nothing of a failed write: the sink does.
    if (encoded && encoder_->sink.Error() == 0) return true;
    return FailWithEncoderReason();
}

bool EncodedAudioFile::Finish() {
    if (!encoder_) return false;
    if (encoder_->resampler && !(encoder_->Resample(0, true) && encoder_->PadOpusTail())) {
        FailWithEncoderReason();
        Abandon();
        return false;
    }
    // The library writes its last frames and headers while closing; then
    // the file must hold every byte of them.
    const int closed = sf_close(encoder_->file.release());
    const bool whole = encoder_->sink.Close();
    const int error = encoder_->sink.Error();
    encoder_.reset();
    if (closed != 0 || !whole) {
        Fail(error != 0 ? SystemReason(error) : sf_error_number(closed));
        temporary_.Discard();
        return false;
    }
    if (temporary_.Commit()) return true;
    return Fail(SystemReason(errno));
}

void EncodedAudioFile::Abandon() {
    encoder_.reset();
    temporary_.Discard();
}
