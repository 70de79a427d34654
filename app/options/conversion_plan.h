// Which files the option command line converts and where each WAV goes:
// inputs are files or folders (a folder's MIDI files in name order, with
// --recursive its subfolders' too), outputs go to "<input's folder>/Conv/"
// unless --output says otherwise (below which a walked tree is mirrored), and
// every folder given as input gets a conversion log beside its WAV files.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options/input_walk.h"
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

// Plans the conversion of `inputs` piece by piece, as the walk finds them
// (see PlanConversions), so that a library of any size is planned in what
// one folder takes. Output names are numbered within an output folder, and
// a folder input's folders each have their own: with one input, the names of
// a folder are forgotten when the next comes; with several, which may
// write into the same folders, they are kept for the whole run.
class ConversionPlanner {
public:
    ConversionPlanner(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                      std::string_view extension, bool recursive);

    // The next piece of the plan into `piece` (replaced): the files of one
    // folder of the walk, one file named by itself or one input that fails,
    // with the conversion log of their folder as its only log and the
    // folders the walk skipped meanwhile. False at the end.
    bool Next(ConversionPlan& piece);
    // Whether the file at `path` is an input met so far.
    bool Found(const std::string& path) const { return walk_.Found(path); }

private:
    PlannedFile Plan(FoundInput& found, ConversionPlan& piece);
    // Gives every output path that an earlier file already has a numbered name.
    void SeparateSameOutputs(ConversionPlan& piece);

    InputWalk walk_;
    std::optional<std::string> output_;
    std::string extension_;
    bool oneFile_;    // a single file is named: --output may name its output file
    bool keepNames_;  // several inputs: later ones may write into the folders of earlier ones
    std::map<std::string, std::string> takenBy_;  // output path -> input that has it
    std::vector<FoundInput> found_;
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
// Appends the files, logs and warnings of `piece` to `plan`; a log both
// have is listed once.
void AppendPiece(ConversionPlan& plan, ConversionPlan piece);
