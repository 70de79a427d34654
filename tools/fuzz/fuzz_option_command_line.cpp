// libFuzzer entry point: reads arbitrary bytes as the arguments of the
// option command line, split at NUL bytes (the way a program receives them).
// The parser must answer every line with a request or a usage error, and a
// request it accepts must stay inside the ranges the conversion relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options/option_command_line.h"

namespace {
// Stops the fuzzer with the input that broke a rule the parser promises.
void Require(bool holds) {
    if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(static_cast<char>(data[i]));
        }
    }
    std::vector<const char*> argv{"ombrix"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    IsOptionCommandLine(static_cast<int>(argv.size()), argv.data());

    const ParsedCommandLine parsed = ParseOptionCommandLine(arguments);
    if (!parsed.error.empty()) return 0;
    const ConversionRequest& request = parsed.request;
    Require(request.tempoPercent >= 1 && request.tempoPercent <= 999);
    Require(request.transpose >= -12 && request.transpose <= 12);
    Require(request.jobs >= 0 && request.jobs <= kMaxJobs);
    Require(!request.quality || (*request.quality >= 0 && *request.quality <= 10));
    Require(!request.measures || (request.measures->first >= 1 && request.measures->first <= request.measures->last &&
                                  request.measures->last <= kHighestMeasure));
    Require(!(request.peakDbfs && request.loudnessLufs));
    return 0;
}
