// A folder held open, whose subfolders are opened through it: walking a deep
// tree then costs the same at every depth, where a path would make the
// system read every folder above it again for each step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_identity.h"

struct FolderEntry {
    std::string name;
    bool isDirectory = false;  // a folder, or a link to one
    bool isLink = false;       // a symbolic link (whatever it leads to)
    // The file or folder it is (links followed); nothing for a link that
    // leads nowhere or an entry that vanished.
    std::optional<FileIdentity> identity;
    std::uint64_t links = 0;  // the hard links to the file it is (links followed); 0 with no identity
};

class OpenFolder {
public:
    // Opens the folder `path` (links followed); nothing, with `error` set,
    // when it cannot be opened.
    static std::optional<OpenFolder> Open(const std::string& path, std::error_code& error);
    ~OpenFolder();
    OpenFolder(OpenFolder&& other) noexcept : fd_(other.fd_), identity_(other.identity_) { other.fd_ = -1; }
    OpenFolder& operator=(OpenFolder&& other) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // Opens the subfolder `name` of this folder (links followed).
    std::optional<OpenFolder> OpenChild(const std::string& name, std::error_code& error) const;
    // The folder's entries but "." and "..", in the order the system gives
    // them; `error` set when the folder cannot be read.
    std::vector<FolderEntry> Entries(std::error_code& error) const;
    FileIdentity Identity() const { return identity_; }

private:
    OpenFolder(int fd, FileIdentity identity) : fd_(fd), identity_(identity) {}
    // Takes an open descriptor; nothing (descriptor closed) when it is no folder.
    static std::optional<OpenFolder> Adopt(int fd, std::error_code& error);

    int fd_;
    FileIdentity identity_;
};
