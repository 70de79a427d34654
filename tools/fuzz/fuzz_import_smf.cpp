// libFuzzer entry point: imports arbitrary bytes as a MIDI file into a fresh
// song. The importer reads from a file, so each input is written to one
// scratch file per fuzzing process first, and removed after the import.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "platform/user_report.h"

namespace {
// The sanitizers make every event about twenty times dearer, so a song is
// bounded far lower than in the program to keep each run within the
// one-second timeout; the refusal beyond the bound is exercised all the same.
constexpr std::int64_t kFuzzEventLimit = 1 << 18;

const std::string& ScratchPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("ombrix_fuzz_" + std::to_string(std::random_device{}()) + ".mid"))
            .string();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // One song for every input, emptied by each load, as the program does.
    static SongContainer song(1);
    SilentReport report;
    LoadMidiFile(ScratchPath(), song, report, kFuzzEventLimit);
    // Nothing is left behind in the temporary folder when fuzzing stops.
    std::error_code ignored;
    std::filesystem::remove(ScratchPath(), ignored);
    return 0;
}
