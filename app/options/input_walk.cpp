// The walk over the input folders, one folder at a time, with the sets that keep it finite.
#include "app/options/input_walk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/song/midi_file_name.h"
#include "platform/system_reason.h"

namespace fs = std::filesystem;

namespace {

// The file or folder that `path` names, through every link: its canonical
// path, or the absolute spelling when it does not exist.
std::string RealPath(const fs::path& path) {
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    if (error) real = fs::absolute(path, error).lexically_normal();
    return real.string();
}

constexpr char kNoMidiFiles[] = "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder";

}  // namespace

bool InputWalk::Next(std::vector<FoundInput>& found) {
    found.clear();
    while (found.empty()) {
        if (!levels_.empty()) {
            Step(found);
        } else if (walkingRoot_) {
            walkingRoot_ = false;
            if (foundInRoot_ == 0) {
                found.push_back({root_, {}, fs::path(root_).lexically_normal().generic_string(),
                                 std::string(kNoMidiFiles) + (recursive_ ? " or its subfolders" : "")});
            }
        } else if (nextInput_ < inputs_.size()) {
            StartInput(inputs_[nextInput_++], found);
        } else {
            return false;
        }
        foundInRoot_ += found.size();
    }
    return true;
}

std::vector<std::string> InputWalk::TakeWarnings() { return std::exchange(warnings_, {}); }

bool InputWalk::Found(const std::string& path) const {
    const std::optional<FileIdentity> identity = IdentifyFile(path);
    if (!identity) return seenFiles_.contains(RealPath(path));
    return seenFiles_.contains(*identity) || InListedFolder(path);
}

void InputWalk::StartInput(const std::string& input, std::vector<FoundInput>& found) {
    std::error_code error;
    if (!fs::is_directory(input, error)) {
        NamedFile(input, found);
        return;
    }
    std::optional<OpenFolder> top = OpenFolder::Open(input, error);
    if (top && !visitedFolders_.insert(top->Identity()).second) return;  // the same folder named again
    root_ = input;
    walkingRoot_ = true;
    foundInRoot_ = 0;
    path_ = input;
    relative_.clear();
    if (!top) {
        FolderFailed(error, found);
        return;
    }
    Enter(std::move(*top), found);
}

void InputWalk::NamedFile(const std::string& input, std::vector<FoundInput>& found) {
    const std::optional<FileIdentity> identity = IdentifyFile(input);
    const FileKey key = identity ? FileKey(*identity) : FileKey(RealPath(input));
    if (seenFiles_.contains(key) || (identity && InListedFolder(input))) return;
    seenFiles_.insert(key);
    found.push_back({input, {}, fs::path(input).lexically_normal().generic_string(), {}});
}

void InputWalk::Step(std::vector<FoundInput>& found) {
    Level& level = levels_.back();
    if (level.next == level.subfolders.size()) {
        ancestors_.erase(level.folder.Identity());
        levels_.pop_back();
        return;
    }
    const std::string name = std::move(level.subfolders[level.next++]);
    path_.resize(level.pathLength);
    relative_.resize(level.relativeLength);
    path_ += (path_.empty() || path_.back() == '/' ? "" : "/") + name;
    relative_ += (relative_.empty() ? "" : "/") + name;
    std::error_code error;
    std::optional<OpenFolder> sub = level.folder.OpenChild(name, error);
    if (!sub) {
        FolderFailed(error, found);
        return;
    }
    if (ancestors_.contains(sub->Identity())) {
        warnings_.push_back("skipped " + path_ + ": a symbolic link loop back to " + RealPath(path_));
        return;
    }
    if (!visitedFolders_.insert(sub->Identity()).second) return;  // already walked through another link
    Enter(std::move(*sub), found);
}

// Hands out the MIDI files of the folder at path_ (relative_ below root_)
// and puts it on the way down to walk its subfolders.
void InputWalk::Enter(OpenFolder folder, std::vector<FoundInput>& found) {
    std::error_code error;
    std::vector<FolderEntry> entries = folder.Entries(error);
    if (error) {
        FolderFailed(error, found);
        return;
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    Level level{std::move(folder), {}, 0, path_.size(), relative_.size()};
    const std::string folderPath = path_ + (path_.empty() || path_.back() == '/' ? "" : "/");
    const std::string relativeFolder = relative_.empty() ? "" : relative_ + "/";
    for (FolderEntry& entry : entries) {
        if (entry.isDirectory) {
            if (recursive_) level.subfolders.push_back(std::move(entry.name));
            continue;
        }
        if (!HasMidiExtension(entry.name)) continue;
        if (FirstReached(entry, folderPath + entry.name, level.folder.Identity())) {
            found.push_back({folderPath + entry.name, root_, relativeFolder + entry.name, {}});
        }
    }
    ancestors_.insert(level.folder.Identity());
    levels_.push_back(std::move(level));
}

bool InputWalk::FirstReached(const FolderEntry& entry, const std::string& path, const FileIdentity& folder) {
    if (!entry.identity) return seenFiles_.insert(RealPath(path)).second;  // a link to nothing
    if (seenFiles_.contains(*entry.identity)) return false;
    if (entry.isLink) {
        // The file behind the link is reached by its own name too when
        // its folder is walked; whichever comes first counts.
        if (InListedFolder(path, folder, entry.name)) return false;
        seenFiles_.insert(*entry.identity);
    } else if (entry.links > 1) {
        seenFiles_.insert(*entry.identity);
    }
    return true;
}

bool InputWalk::InListedFolder(const std::string& path, const std::optional<FileIdentity>& current,
                               const std::string& before) const {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    if (error || !HasMidiExtension(real.filename().string())) return false;
    const std::optional<FileIdentity> parent = IdentifyFile(real.parent_path().string());
    if (!parent || !visitedFolders_.contains(*parent)) return false;
    return parent != current || real.filename().string() < before;
}

// Records the folder at path_ as an input that fails.
void InputWalk::FolderFailed(const std::error_code& error, std::vector<FoundInput>& found) {
    const std::string key = relative_.empty() ? fs::path(root_).lexically_normal().generic_string() : relative_;
    found.push_back({path_, root_, key, "cannot read the folder: " + SystemReason(error)});
}

WalkedInputs WalkInputs(const std::vector<std::string>& inputs, bool recursive) {
    WalkedInputs result;
    InputWalk walk(inputs, recursive);
    std::vector<FoundInput> found;
    while (walk.Next(found)) std::move(found.begin(), found.end(), std::back_inserter(result.found));
    result.warnings = walk.TakeWarnings();
    return result;
}
