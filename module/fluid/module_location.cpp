// Module folder from the dynamic loader's record of this library. This is the
// one place in the module that asks the operating system directly.

#include "module/fluid/module_location.h"

#include <dlfcn.h>

#include <filesystem>

std::string ModuleFolder() {
    Dl_info info{};
    // Any address inside this library names it; this function's own will do.
    if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr) return {};
    const std::filesystem::path folder = std::filesystem::path(info.dli_fname).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}
