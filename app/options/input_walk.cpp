// The walk over the input folders, with the sets that keep it finite.
#include "app/options/input_walk.h"

#include <algorithm>
#include <filesystem>
#include <set>
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

class Walker {
public:
    Walker(bool recursive, WalkedInputs& result) : recursive_(recursive), result_(result) {}

    void Input(const std::string& input) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            if (seenFiles_.insert(RealPath(input)).second) {
                result_.found.push_back({input, {}, fs::path(input).lexically_normal().generic_string(), {}});
            }
            return;
        }
        const std::string real = RealPath(input);
        if (!visitedFolders_.insert(real).second) return;  // the same folder named again
        const std::size_t before = result_.found.size();
        ancestors_.push_back(real);
        Folder(input, fs::path(input), {}, real);
        ancestors_.pop_back();
        if (result_.found.size() == before) {
            result_.found.push_back({input, {}, fs::path(input).lexically_normal().generic_string(),
                                     recursive_ ? "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder or its subfolders"
                                                : "no MIDI files (*.mid, *.midi, *.kar, *.rmi) in this folder"});
        }
    }

private:
    // Adds the files of `folder` (`relative` below the input `root`, `real`
    // through every link), then walks its subfolders.
    void Folder(const std::string& root, const fs::path& folder, const fs::path& relative, const std::string& real) {
        std::vector<std::pair<std::string, bool>> files;  // name, and whether it is a link
        std::vector<std::string> subfolders;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            std::error_code statError;
            const std::string name = it->path().filename().string();
            if (it->is_directory(statError)) {
                subfolders.push_back(name);
            } else if (HasMidiExtension(name)) {
                files.emplace_back(name, it->is_symlink(statError));
            }
        }
        if (error) {
            const std::string key = relative.empty() ? fs::path(root).lexically_normal().generic_string() : relative.generic_string();
            result_.found.push_back({folder.string(), root, key, "cannot read the folder: " + SystemReason(error)});
            return;
        }
        std::sort(files.begin(), files.end());
        for (const auto& [name, link] : files) {
            const std::string realFile = link ? RealPath(folder / name) : (fs::path(real) / name).string();
            if (seenFiles_.insert(realFile).second) {
                result_.found.push_back({(folder / name).string(), root, (relative / name).generic_string(), {}});
            }
        }
        if (!recursive_) return;
        std::sort(subfolders.begin(), subfolders.end());
        for (const std::string& name : subfolders) {
            const fs::path sub = folder / name;
            const std::string realSub = RealPath(sub);
            if (std::find(ancestors_.begin(), ancestors_.end(), realSub) != ancestors_.end()) {
                result_.warnings.push_back("skipped " + sub.string() + ": a symbolic link loop back to " + realSub);
                continue;
            }
            if (!visitedFolders_.insert(realSub).second) continue;  // already walked through another link
            ancestors_.push_back(realSub);
            Folder(root, sub, relative / name, realSub);
            ancestors_.pop_back();
        }
    }

    bool recursive_;
    WalkedInputs& result_;
    std::set<std::string> seenFiles_;
    std::set<std::string> visitedFolders_;
    std::vector<std::string> ancestors_;  // the folders being walked, outermost first
};

}  // namespace

WalkedInputs WalkInputs(const std::vector<std::string>& inputs, bool recursive) {
    WalkedInputs result;
    Walker walker(recursive, result);
    for (const std::string& input : inputs) walker.Input(input);
    return result;
}
