// The walk over the input folders, with the sets that keep it finite.
#include "app/options/input_walk.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <variant>

#include "app/song/midi_file_name.h"
#include "platform/file_identity.h"
#include "platform/open_folder.h"
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

// A file's key for "found once": the file it is, or, for a name that
// leads to no file, its spelling through every link.
using FileKey = std::variant<FileIdentity, std::string>;

FileKey KeyOf(const std::string& path) {
    if (const auto identity = IdentifyFile(path)) return *identity;
    return RealPath(path);
}

// The walk holds each folder open on the way down and opens its subfolders
// through it, with one path and one relative name that grow and shrink as it
// goes, so that a tree thousands of folders deep costs what a wide one does.
class Walker {
public:
    Walker(bool recursive, WalkedInputs& result) : recursive_(recursive), result_(result) {}

    void Input(const std::string& input) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            if (seenFiles_.insert(KeyOf(input)).second) {
                result_.found.push_back({input, {}, fs::path(input).lexically_normal().generic_string(), {}});
            }
            return;
        }
        std::optional<OpenFolder> top = OpenFolder::Open(input, error);
        if (top && !visitedFolders_.insert(top->Identity()).second) return;  // the same folder named again
        const std::size_t before = result_.found.size();
        Walk(input, std::move(top), error);
        if (result_.found.size() == before) {
            result_.found.push_back({input, {}, fs::path(input).lexically_normal().generic_string(),
                                     recursive_ ? "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder or its subfolders"
                                                : "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder"});
        }
    }

private:
    // A folder on the way down: its subfolders still to walk, in name order.
    struct Level {
        OpenFolder folder;
        std::vector<std::string> subfolders;
        std::size_t next = 0;
        std::size_t pathLength = 0;      // of path_ for this folder
        std::size_t relativeLength = 0;  // of relative_ for this folder
    };

    // Walks the folder input `root`, open as `top` (nothing: it could not be
    // opened, for `openError`), depth first.
    void Walk(const std::string& root, std::optional<OpenFolder> top, const std::error_code& openError) {
        path_ = root;
        relative_.clear();
        if (!top) {
            FolderFailed(root, openError);
            return;
        }
        std::vector<Level> levels;
        Enter(root, std::move(*top), levels);
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.next == level.subfolders.size()) {
                ancestors_.erase(level.folder.Identity());
                levels.pop_back();
                continue;
            }
            const std::string& name = level.subfolders[level.next++];
            path_.resize(level.pathLength);
            relative_.resize(level.relativeLength);
            path_ += (path_.empty() || path_.back() == '/' ? "" : "/") + name;
            relative_ += (relative_.empty() ? "" : "/") + name;
            std::error_code error;
            std::optional<OpenFolder> sub = level.folder.OpenChild(name, error);
            if (!sub) {
                FolderFailed(root, error);
                continue;
            }
            if (ancestors_.contains(sub->Identity())) {
                result_.warnings.push_back("skipped " + path_ + ": a symbolic link loop back to " + RealPath(path_));
                continue;
            }
            if (!visitedFolders_.insert(sub->Identity()).second) continue;  // already walked through another link
            Enter(root, std::move(*sub), levels);
        }
    }

    // Adds the MIDI files of the folder at path_ (relative_ below `root`) and
    // puts it on `levels` to walk its subfolders.
    void Enter(const std::string& root, OpenFolder folder, std::vector<Level>& levels) {
        std::error_code error;
        std::vector<FolderEntry> entries = folder.Entries(error);
        if (error) {
            FolderFailed(root, error);
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        Level level{std::move(folder), {}, 0, path_.size(), relative_.size()};
        const std::string folderPath = path_ + (path_.empty() || path_.back() == '/' ? "" : "/");
        const std::string relativeFolder = relative_.empty() ? "" : relative_ + "/";
        for (const FolderEntry& entry : entries) {
            if (entry.isDirectory) {
                if (recursive_) level.subfolders.push_back(entry.name);
                continue;
            }
            if (!HasMidiExtension(entry.name)) continue;
            const FileKey key = entry.identity ? FileKey(*entry.identity) : FileKey(RealPath(folderPath + entry.name));
            if (seenFiles_.insert(key).second) {
                result_.found.push_back({folderPath + entry.name, root, relativeFolder + entry.name, {}});
            }
        }
        ancestors_.insert(level.folder.Identity());
        levels.push_back(std::move(level));
    }

    // Records the folder at path_ as an input that fails.
    void FolderFailed(const std::string& root, const std::error_code& error) {
        const std::string key = relative_.empty() ? fs::path(root).lexically_normal().generic_string() : relative_;
        result_.found.push_back({path_, root, key, "cannot read the folder: " + SystemReason(error)});
    }

    bool recursive_;
    WalkedInputs& result_;
    std::set<FileKey> seenFiles_;
    std::set<FileIdentity> visitedFolders_;
    std::set<FileIdentity> ancestors_;  // the folders being walked
    std::string path_;      // the folder being read, as the input spells it
    std::string relative_;  // the same below the input folder
};

}  // namespace

WalkedInputs WalkInputs(const std::vector<std::string>& inputs, bool recursive) {
    WalkedInputs result;
    Walker walker(recursive, result);
    for (const std::string& input : inputs) walker.Input(input);
    return result;
}
