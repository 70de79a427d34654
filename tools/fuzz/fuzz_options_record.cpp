// libFuzzer entry point: reads arbitrary bytes as the --skip-up-to-date
// record beside an output. The output and its input are scratch files with
// fixed sizes and times, so that the fuzzer can find records that match
// them and reach every check; whatever the record holds, reading it must
// neither crash nor hang, and only a record that names this input and these
// options may make the output current.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/options/up_to_date.h"

namespace {

namespace fs = std::filesystem;

void Require(bool holds) {
    if (!holds) std::abort();
}

// A scratch folder per fuzzing process, with the input and the output.
struct Scratch {
    Scratch() {
        folder = fs::temp_directory_path() / ("ombrix_fuzz_record_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        input = (folder / "song.mid").string();
        output = (folder / "song.wav").string();
        std::ofstream(input) << "MThd";
        std::ofstream(output) << "RIFF....WAVE";
        // Fixed times, the output newer than the input: 2001-09-09 and a second later.
        const timespec inputTimes[2] = {{1000000000, 0}, {1000000000, 0}};
        const timespec outputTimes[2] = {{1000000001, 500}, {1000000001, 500}};
        utimensat(AT_FDCWD, input.c_str(), inputTimes, 0);
        utimensat(AT_FDCWD, output.c_str(), outputTimes, 0);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::string input;
    std::string output;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    static const std::string fingerprint = "mute=- volume-down=- minus=- tempo=100";
    static const InputStamp stamp = *StampInput(scratch.input, "song.mid");
    const std::string record = OptionsRecordPath(scratch.output);
    {
        std::ofstream out(record, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string warning;
    if (IsUpToDate(stamp, scratch.output, fingerprint, warning)) {
        // Only a record that names this input and these options can say so.
        const std::string text(reinterpret_cast<const char*>(data), size);
        Require(text.find("\ninput=song.mid\n") != std::string::npos);
        Require(text.find("\noptions=" + fingerprint + "\n") != std::string::npos);
    }
    return 0;
}
