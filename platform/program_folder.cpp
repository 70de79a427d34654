// The program's folder, resolved through the /proc/self/exe link.
#include "platform/program_folder.h"

#include <filesystem>

const std::string& ProgramFolder() {
    static const std::string folder = [] {
        std::error_code error;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error || !exe.has_parent_path()) return std::string{};
        std::string result = exe.parent_path().string();
        if (result.empty() || result.back() != '/') result += '/';
        return result;
    }();
    return folder;
}
