// Finding the MIDI files of the inputs: a file named by itself is taken as
// it is; a folder gives its MIDI files in name order, and with `recursive`
// those of its subfolders after them, depth first in name order. Every file
// is found once, however many spellings, links or folders lead to it: the
// first way it is reached counts. A folder reached again through a symbolic
// link is not walked again, and a link back to a folder being walked (a
// loop) is reported; a folder that cannot be read is an input that fails.
#pragma once

#include <string>
#include <vector>

// One input to convert, or one that fails before it is opened.
struct FoundInput {
    std::string path;      // the MIDI file (or the folder that failed)
    std::string folder;    // the folder input it was found under; empty for a file named by itself
    std::string relative;  // the path below `folder` ("a/b/song.mid"); for a file named by itself, the path as named
    std::string error;     // why it cannot be converted; empty when it can
};

struct WalkedInputs {
    std::vector<FoundInput> found;      // in input order
    std::vector<std::string> warnings;  // folders skipped as symbolic link loops
};

// Finds the MIDI files of `inputs`.
WalkedInputs WalkInputs(const std::vector<std::string>& inputs, bool recursive);
