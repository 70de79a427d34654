// Registry stand-in: keys are folders, a default value is the file "@".

#include "platform/registry.h"

#include "platform/known_folders.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

constexpr char kClassesRootBelowConfig[] = "/registry/HKEY_CLASSES_ROOT";
constexpr char kSystemClassesRoot[] = "/etc/registry/HKEY_CLASSES_ROOT";
constexpr char kDefaultValueFile[] = "@";

std::string Join(const std::string& root, const std::string& relative) {
    return relative.empty() ? root : root + "/" + relative;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Reads at most `limit` bytes of a regular file; nothing when it can't be read.
std::optional<std::string> ReadAtMost(const std::string& path, std::size_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data(limit, '\0');
    in.read(data.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) return std::nullopt;
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

}  // namespace

RegistryRoots DefaultRegistryRoots() {
    RegistryRoots roots;
    if (std::string config = ConfigHomeFolder(); !config.empty()) roots.user = config + kClassesRootBelowConfig;
    roots.system = kSystemClassesRoot;
    return roots;
}

RegistryKey::RegistryKey(const RegistryRoots& roots, std::string relative)
    : roots_(roots), relative_(std::move(relative)) {}

RegistryKey RegistryKey::ClassesRoot(const RegistryRoots& roots) { return RegistryKey(roots, ""); }

std::optional<RegistryKey> RegistryKey::OpenSubKey(std::string_view name) const {
    // A key name is one path component: no separators, no "." or "..".
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string relative = relative_.empty() ? std::string(name) : relative_ + "/" + std::string(name);
    for (const std::string* root : {&roots_.user, &roots_.system}) {
        if (!root->empty() && IsFolder(Join(*root, relative))) return RegistryKey(roots_, std::move(relative));
    }
    return std::nullopt;
}

bool RegistryKey::QueryDefaultValue(char* buffer, std::size_t size) const {
    if (buffer == nullptr || size == 0) return false;
    const std::string file = relative_.empty() ? std::string(kDefaultValueFile) : relative_ + "/" + kDefaultValueFile;
    for (const std::string* root : {&roots_.user, &roots_.system}) {
        if (root->empty()) continue;
        // Two bytes more than fits tell a value that is too long from one
        // that merely ends in "\r\n".
        std::optional<std::string> value = ReadAtMost(Join(*root, file), size + 2);
        if (!value) continue;
        if (!value->empty() && value->back() == '\n') {
            value->pop_back();
            if (!value->empty() && value->back() == '\r') value->pop_back();
        }
        if (value->size() + 1 > size) return false;
        std::memcpy(buffer, value->data(), value->size());
        buffer[value->size()] = '\0';
        return true;
    }
    return false;
}
