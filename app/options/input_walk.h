// Finding the MIDI files of the inputs: a file named by itself is taken as
// it is; a folder gives its MIDI files in name order, and with `recursive`
// those of its subfolders after them, depth first in name order. Every file
// is found once, however many spellings, links or folders lead to it: the
// first way it is reached counts. A folder reached again through a symbolic
// link is not walked again, and a link back to a folder being walked (a
// loop) is reported; a folder that cannot be read is an input that fails.
//
// The walk hands out one folder's files at a time and keeps nothing of a
// file once it has passed, but for the few files that another name can
// reach: those named by themselves, those behind a symbolic link and those
// with more than one hard link. What it keeps grows with the folders.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/file_identity.h"
#include "platform/open_folder.h"

// One input to convert, or one that fails before it is opened.
struct FoundInput {
    std::string path;      // the MIDI file (or the folder that failed)
    std::string folder;    // the folder input it was found under; empty for a file named by itself
    std::string relative;  // the path below `folder` ("a/b/song.mid"); for a file named by itself, the path as named
    std::string error;     // why it cannot be converted; empty when it can
};

class InputWalk {
public:
    InputWalk(std::vector<std::string> inputs, bool recursive) : inputs_(std::move(inputs)), recursive_(recursive) {}

    // The next inputs into `found` (replaced): the MIDI files of one folder,
    // one file named by itself, or one input that fails. False once every
    // input has been walked.
    bool Next(std::vector<FoundInput>& found);
    // The folders skipped as symbolic link loops since the last call.
    std::vector<std::string> TakeWarnings();
    // Whether the file at `path` is one the walk has handed out (or passed
    // as one it had) so far.
    bool Found(const std::string& path) const;

private:
    // A file's key for "found once": the file it is, or, for a name that
    // leads to no file, its spelling through every link.
    using FileKey = std::variant<FileIdentity, std::string>;

    // A folder on the way down: its subfolders still to walk, in name order.
    struct Level {
        OpenFolder folder;
        std::vector<std::string> subfolders;
        std::size_t next = 0;
        std::size_t pathLength = 0;      // of path_ for this folder
        std::size_t relativeLength = 0;  // of relative_ for this folder
    };

    void StartInput(const std::string& input, std::vector<FoundInput>& found);
    void NamedFile(const std::string& input, std::vector<FoundInput>& found);
    // Goes one folder further down (or back up) the current folder input.
    void Step(std::vector<FoundInput>& found);
    void Enter(OpenFolder folder, std::vector<FoundInput>& found);
    // Whether `entry` of the folder `folder`, at `path`, is reached here for the first time.
    bool FirstReached(const FolderEntry& entry, const std::string& path, const FileIdentity& folder);
    // Whether the file that `path` leads to has a MIDI name and lies in a
    // folder already listed: the walk reached it there. In `current`, the
    // folder being listed, only the names before `before` are reached.
    bool InListedFolder(const std::string& path, const std::optional<FileIdentity>& current = std::nullopt,
                        const std::string& before = {}) const;
    void FolderFailed(const std::error_code& error, std::vector<FoundInput>& found);

    std::vector<std::string> inputs_;
    bool recursive_;
    std::size_t nextInput_ = 0;
    std::string root_;          // the folder input being walked
    bool walkingRoot_ = false;  // root_ is being walked
    std::size_t foundInRoot_ = 0;
    std::vector<Level> levels_;
    std::set<FileKey> seenFiles_;  // the files that other names may reach
    std::set<FileIdentity> visitedFolders_;
    std::set<FileIdentity> ancestors_;  // the folders being walked
    std::string path_;      // the folder being read, as the input spells it
    std::string relative_;  // the same below the input folder
    std::vector<std::string> warnings_;
};

struct WalkedInputs {
    std::vector<FoundInput> found;      // in input order
    std::vector<std::string> warnings;  // folders skipped as symbolic link loops
};

// Finds every MIDI file of `inputs` at once.
WalkedInputs WalkInputs(const std::vector<std::string>& inputs, bool recursive);
