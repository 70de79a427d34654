// Stand-in for reading the registry under HKEY_CLASSES_ROOT: a file tree in
// which every key is a folder and a key's default value is the content of the
// file "@" inside it. The per-user tree is looked at before the system tree,
// so a key exists when it exists in either and the per-user value wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The two folders that stand for HKEY_CLASSES_ROOT; an empty one is skipped.
struct RegistryRoots {
    std::string user;    // usually $XDG_CONFIG_HOME/registry/HKEY_CLASSES_ROOT
    std::string system;  // usually /etc/registry/HKEY_CLASSES_ROOT
};

// The per-user tree under ConfigHomeFolder() and the system tree under /etc.
RegistryRoots DefaultRegistryRoots();

// One opened key: the path of the key below HKEY_CLASSES_ROOT. Closing is
// releasing the object.
class RegistryKey {
public:
    // HKEY_CLASSES_ROOT itself; it always opens.
    static RegistryKey ClassesRoot(const RegistryRoots& roots);

    // Opens the direct subkey `name` for reading; nothing when it exists in
    // neither tree or the name is not a single plain key name.
    std::optional<RegistryKey> OpenSubKey(std::string_view name) const;

    // Reads the default value into `buffer` of `size` bytes as a
    // zero-terminated string (a trailing line feed of the file is not part of
    // it). False, with the buffer left alone, when the key has no default
    // value or the value and its terminator do not fit in `size` bytes.
    bool QueryDefaultValue(char* buffer, std::size_t size) const;

private:
    RegistryKey(const RegistryRoots& roots, std::string relative);

    RegistryRoots roots_;
    std::string relative_;  // "" for the root, else "CLSID/{...}/..." without a leading "/"
};
