// Which files the option command line converts and where each WAV goes:
// inputs are files or folders (a folder's MIDI files in name order, with
// --recursive its subfolders' too), outputs go to "<input's folder>/Conv/"
// unless --output says otherwise (below which a walked tree is mirrored), and
// every folder given as input gets a conversion log beside its WAV files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options/rehearsal_take.h"

// One input file of the run.
struct PlannedFile {
    std::string input;   // the MIDI file
    std::string output;  // the WAV file
    int log = -1;        // index into ConversionPlan::logs, -1 for a file given by itself
    std::string error;   // why the input cannot be converted; empty when it can
    std::string renamed; // when the output got a new name: the file that holds the usual one
    std::string shardKey;  // the path relative to the root it was found under, which decides its shard
    bool upToDate = false; // its output is current (--skip-up-to-date): not converted again
    std::optional<RehearsalTake> rehearsal = std::nullopt;  // the rehearsal track this output is (--rehearsal)
};

struct ConversionPlan {
    std::vector<PlannedFile> files;  // in input order
    std::vector<std::string> logs;   // paths of the conversion logs to write
    std::vector<std::string> warnings;  // folders the walk skipped, for standard error
};

// Plans the conversion of `inputs` with the --output path `output`, walking
// folders' subfolders when `recursive`. A file reached twice is converted
// once. For a single input file --output names the output file (the
// format's extension added to a name without one) unless it is an existing
// folder or ends in "/"; otherwise it is the folder every output goes into.
// Output files end in `extension` (".wav", ".flac", ...). Two inputs whose
// outputs would have the same path get distinct names: the later one gets
// " (2)", " (3)", ... before the extension.
ConversionPlan PlanConversions(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                               std::string_view extension = ".wav", bool recursive = false);
