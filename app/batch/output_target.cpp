// The signature checks of an existing output file.
#include "app/batch/output_target.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

constexpr std::size_t kSignatureBytes = 12;  // "RIFF", the size (4 bytes), "WAVE"
constexpr std::string_view kRiffId = "RIFF";
constexpr std::string_view kWaveForm = "WAVE";
constexpr std::size_t kFormAt = 8;

bool IsWaveSignature(std::string_view bytes) {
    return bytes.size() == kSignatureBytes && bytes.substr(0, kRiffId.size()) == kRiffId &&
           bytes.substr(kFormAt, kWaveForm.size()) == kWaveForm;
}

// The other sound files the option command line writes: FLAC, Ogg (Vorbis
// and Opus), and MP3 with a tag or starting at a frame.
bool IsEncodedSoundSignature(std::string_view bytes) {
    constexpr unsigned char kFrameSync = 0xFF;
    constexpr unsigned char kFrameSyncMask = 0xE0;
    if (bytes.starts_with("fLaC") || bytes.starts_with("OggS") || bytes.starts_with("ID3")) return true;
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kFrameSync &&
           (static_cast<unsigned char>(bytes[1]) & kFrameSyncMask) == kFrameSyncMask;
}

// Whether `path` names an existing file that is not a folder, not empty,
// and whose first bytes `accepted` does not take.
template <typename Accepted>
bool IsOtherThan(const std::string& path, Accepted accepted) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) return false;
    if (!std::filesystem::is_regular_file(status)) return true;  // a FIFO or device is never opened here
    std::array<char, kSignatureBytes> head{};
    std::ifstream in(path, std::ios::binary);
    // A file that cannot be read is left to the writer, which reports why it cannot replace it.
    if (!in) return false;
    in.read(head.data(), head.size());
    if (in.gcount() == 0) return false;  // an empty file holds nothing to lose
    return !accepted(std::string_view(head.data(), static_cast<std::size_t>(in.gcount())));
}

}  // namespace

bool IsOtherThanWaveFile(const std::string& path) { return IsOtherThan(path, IsWaveSignature); }

bool IsOtherThanSoundFile(const std::string& path) {
    return IsOtherThan(path, [](std::string_view bytes) { return IsWaveSignature(bytes) || IsEncodedSoundSignature(bytes); });
}

std::string NotReplacedLine(const std::string& path) {
    return path + " exists and is not a WAV file; it was not replaced";
}

std::string NotReplacedSoundLine(const std::string& path) {
    return path + " exists and is not a sound file; it was not replaced";
}
