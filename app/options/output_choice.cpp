// Format, quality and level from the option command line.
#include "app/options/output_choice.h"

#include <filesystem>
#include <system_error>

#include "app/options/option_command_line.h"

namespace {

// Whether --output names a new file for a single input file (not a folder
// to write into; an existing file gets the checks of the outputs).
bool OutputNamesANewFile(const ConversionRequest& request) {
    if (!request.output || request.inputs.size() != 1 || request.filesFrom || request.output->ends_with('/')) return false;
    std::error_code error;
    return !std::filesystem::is_directory(request.inputs.front(), error) &&
           !std::filesystem::exists(*request.output, error);
}

}  // namespace

std::string CheckOutputChoice(const ConversionRequest& request) {
    if (request.peakDbfs && request.loudnessLufs) return "--normalize and --loudness cannot be used together";
    if (OutputNamesANewFile(request)) {
        const std::string extension = std::filesystem::path(*request.output).extension().string();
        if (!extension.empty() && !AudioFormatOfPath(*request.output)) {
            return "the output file " + *request.output + " ends in " + extension + ", which is none of the formats (" +
                   AudioFormatNames() + ")";
        }
    }
    if (!request.format || !request.output) return {};
    const auto named = AudioFormatOfPath(*request.output);
    if (named && *named != *request.format) {
        return "--format " + std::string(AudioFormatName(*request.format)) + " does not match the output file " +
               *request.output;
    }
    return {};
}

AudioEncoding RequestedEncoding(const ConversionRequest& request) {
    AudioEncoding encoding;
    if (request.format) {
        encoding.format = *request.format;
    } else if (request.output) {
        encoding = EncodingForPath(*request.output);
    }
    encoding.quality = request.quality;
    return encoding;
}

OutputOptions RequestedOutput(const ConversionRequest& request) {
    OutputOptions output;
    output.peakDbfs = request.peakDbfs;
    output.loudnessLufs = request.loudnessLufs;
    if (request.setGain) {
        // A set: the gain found for all its songs, each song's peaks limited.
        output.loudnessLufs.reset();
        output.gain = request.setGain;
        output.limitPeaks = true;
    }
    output.encoding = RequestedEncoding(request);
    output.stems = request.stems;
    output.stemJobs = request.stemJobs;
    return output;
}
