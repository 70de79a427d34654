// The program's second command line, GNU style: options that reach every
// option of the main window (mute, volume down, part removal, tempo,
// pre-count), plus output, listing, normalizing and parallel jobs. It is read
// when the first argument begins with "--"; options and inputs come in any
// order, values as "--opt value" or "--opt=value", and "--" ends the options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options/option_values.h"

// Everything the option command line asks for.
struct ConversionRequest {
    std::vector<std::string> inputs;  // MIDI files and folders, in the order given
    std::optional<std::string> output;
    ChannelSet mute{};
    ChannelSet volumeDown{};
    std::vector<int> removedParts;  // part switch IDs, in the order given
    int tempoPercent = 100;
    bool preCount = true;
    std::optional<double> peakDbfs;  // --normalize
    bool list = false;
    int jobs = 0;  // 0: one per core
    bool quiet = false;
    bool noWait = false;  // fail instead of waiting for another run on the same folder
    bool help = false;
    bool version = false;
};

// The request, or the usage error that names what is wrong.
struct ParsedCommandLine {
    ConversionRequest request;
    std::string error;  // empty when the command line is fine
};

// The most conversions run at once, whatever --jobs asks.
constexpr int kMaxJobs = 64;

// True when the arguments after the program's name are for this command
// line: the first of them begins with "--", or is one of the short options
// -h, -V, -q, -o, -j (alone, bundled or with its value attached).
bool IsOptionCommandLine(int argc, const char* const* argv);
// Reads the arguments after the program's name.
ParsedCommandLine ParseOptionCommandLine(const std::vector<std::string>& arguments);
// The usage text of --help.
std::string OptionCommandLineUsage();
