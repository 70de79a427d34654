// Folders held by descriptor: openat, fstatat and a directory stream on a
// copy of the descriptor.
#include "platform/open_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::error_code SystemError(int number) { return {number, std::system_category()}; }

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

}  // namespace

OpenFolder::~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        identity_ = other.identity_;
        other.fd_ = -1;
    }
    return *this;
}

std::optional<OpenFolder> OpenFolder::Adopt(int fd, std::error_code& error) {
    if (fd < 0) {
        error = SystemError(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = SystemError(errno);
        ::close(fd);
        return std::nullopt;
    }
    error.clear();
    return OpenFolder(fd, IdentityOf(info));
}

std::optional<OpenFolder> OpenFolder::Open(const std::string& path, std::error_code& error) {
    return Adopt(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

std::optional<OpenFolder> OpenFolder::OpenChild(const std::string& name, std::error_code& error) const {
    return Adopt(::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

std::vector<FolderEntry> OpenFolder::Entries(std::error_code& error) const {
    std::vector<FolderEntry> entries;
    error.clear();
    // The stream owns a copy of the descriptor, so that this one stays open.
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        error = SystemError(errno);
        return entries;
    }
    std::unique_ptr<DIR, DirectoryCloser> directory(::fdopendir(copy));
    if (!directory) {
        error = SystemError(errno);
        ::close(copy);
        return entries;
    }
    ::rewinddir(directory.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) error = SystemError(errno);
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        FolderEntry found;
        found.name = entry->d_name;
        struct stat info {};
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            found.isLink = ::fstatat(fd_, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        }
        if (::fstatat(fd_, entry->d_name, &info, 0) == 0) {
            found.isDirectory = S_ISDIR(info.st_mode);
            found.identity = IdentityOf(info);
            found.links = static_cast<std::uint64_t>(info.st_nlink);
        }
        entries.push_back(std::move(found));
    }
    return entries;
}
