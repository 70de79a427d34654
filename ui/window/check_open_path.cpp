// Path checks of the open command.
#include "ui/window/check_open_path.h"

#include <cstddef>

#include "app/song/path_limits.h"
#include "platform/user_report.h"

namespace {

// Folder, name and extension buffers hold 256 bytes with the terminator.
constexpr std::size_t kMaxPathPart = 256;

}  // namespace

OpenPathParts SplitOpenPath(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view fileName = path.substr(nameStart);
    const auto dot = fileName.rfind('.');
    const std::size_t nameLength = dot == std::string_view::npos ? fileName.size() : dot;
    return {path.substr(0, nameStart), fileName.substr(0, nameLength), fileName.substr(nameLength)};
}

bool CheckOpenPath(std::string_view path, UserReport& report) {
    if (!FitsPathBuffer(path)) {
        report.Report(kPathTooLongMessage);
        return false;
    }
    const OpenPathParts parts = SplitOpenPath(path);
    const char* message = parts.folder.size() >= kMaxPathPart      ? kFolderTooLongMessage
                          : parts.name.size() >= kMaxPathPart      ? kNameTooLongMessage
                          : parts.extension.size() >= kMaxPathPart ? kExtensionTooLongMessage
                                                                   : nullptr;
    if (message == nullptr) return true;
    report.Report(message);
    return false;
}
