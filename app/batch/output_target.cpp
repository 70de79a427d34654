// The WAV signature check of an existing output file.
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

}  // namespace

bool IsOtherThanWaveFile(const std::string& path) {
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
    if (in.gcount() != static_cast<std::streamsize>(head.size())) return true;
    const std::string_view bytes(head.data(), head.size());
    return bytes.substr(0, kRiffId.size()) != kRiffId || bytes.substr(kFormAt, kWaveForm.size()) != kWaveForm;
}

std::string NotReplacedLine(const std::string& path) {
    return path + " exists and is not a WAV file; it was not replaced";
}
