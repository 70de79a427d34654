// Which files the option command line converts and where each WAV goes:
// inputs are files or folders (a folder's MIDI files in name order), outputs
// go to "<input's folder>/Conv/" unless --output says otherwise, and every
// folder given as input gets a conversion log beside its WAV files.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One input file of the run.
struct PlannedFile {
    std::string input;   // the MIDI file
    std::string output;  // the WAV file
    int log = -1;        // index into ConversionPlan::logs, -1 for a file given by itself
    std::string error;   // why the input cannot be converted; empty when it can
    std::string renamed; // when the output got a new name: the file that holds the usual one
};

struct ConversionPlan {
    std::vector<PlannedFile> files;  // in input order
    std::vector<std::string> logs;   // paths of the conversion logs to write
};

// Extensions a folder's MIDI files have (compared without case).
inline constexpr const char* kMidiExtensions[] = {".mid", ".midi", ".kar", ".rmi"};

// Plans the conversion of `inputs` with the --output path `output`: for a
// single input file the WAV file itself unless it is an existing folder or
// ends with "/"; otherwise the folder the WAV files go into. Two
// inputs whose WAV files would have the same path get distinct names: the
// later one gets " (2)", " (3)", ... before ".wav".
ConversionPlan PlanConversions(const std::vector<std::string>& inputs, const std::optional<std::string>& output);
