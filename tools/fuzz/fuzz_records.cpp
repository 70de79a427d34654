// libFuzzer entry point for the text the program reads and writes about
// its runs: arbitrary bytes as the options record beside an output (it must
// be read without a crash and never taken as current unless it is exactly
// the record the program would write), and as a file name in a report line
// (which must stay one line of printable JSON).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "app/options/option_command_line.h"
#include "app/options/run_report.h"
#include "app/options/up_to_date.h"
#include "sequencer/synth_module.h"

// The records name the synthesizer module in use; the fuzzer loads none.
char g_szModulePath[kModulePathBytes] = {};

namespace {

namespace fs = std::filesystem;

// A scratch folder per fuzzing process holding one output and its record,
// removed when fuzzing stops.
class ScratchFolder {
public:
    ScratchFolder() : path_(fs::temp_directory_path() / ("ombrix_fuzz_records_" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path_);
        std::ofstream(path_ / "song.wav") << "RIFF....WAVE";
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& Scratch() {
    static const ScratchFolder folder;
    return folder.Path();
}

void CheckReportLine(const std::string& name) {
    FileResult result{name, name, FileStatus::kConverted, name, 0, 0, 0};
    // Level targets and rehearsal parts are names the user or the song gives.
    result.levels = {{name, -6.0}};
    result.rehearsal = RehearsalTake{RehearsalKind::kLoud, name, 1};
    const std::string line = ReportLine(result);
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) std::abort();  // a raw control byte would break the line or the JSON
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string output = (Scratch() / "song.wav").string();
    {
        std::ofstream record(OptionsRecordPath(output), std::ios::binary | std::ios::trunc);
        record << bytes;
    }
    const InputStamp input{"song.mid", 4, 0};
    const std::string fingerprint = OptionsFingerprint(ConversionRequest{});
    std::string warning;
    if (IsUpToDate(input, output, fingerprint, warning)) {
        // Only the record the program writes itself may say that the output is current.
        std::string error;
        if (!RecordOptions(input, output, {}, fingerprint, error)) std::abort();
        std::ifstream written(OptionsRecordPath(output), std::ios::binary);
        const std::string expected{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
        if (expected != bytes) std::abort();
    }
    CheckReportLine(bytes);
    return 0;
}
