// Dynamic loading through dlopen, dlsym and dlclose.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>

namespace {

constexpr char kNoPathGiven[] = "no file name given";
constexpr char kOwnProgram[] = "/proc/self/exe";
// The start of an ELF file: its magic number, and where the machine field lies.
constexpr std::string_view kElfMagic = "\x7F" "ELF";
constexpr std::size_t kMachineOffset = 18;
constexpr std::size_t kHeaderBytes = kMachineOffset + 2;
// What the loader says when it refuses a file for another machine, as if it were missing.
constexpr std::string_view kLoaderMissingFile = "cannot open shared object file";

// The machine field of the ELF file at `path`; nothing when it is no ELF file.
std::optional<std::uint16_t> ElfMachine(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, kHeaderBytes> header{};
    if (!in.read(header.data(), header.size())) return std::nullopt;
    if (std::string_view(header.data(), kElfMagic.size()) != kElfMagic) return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(header[kMachineOffset]) |
                                      static_cast<std::uint8_t>(header[kMachineOffset + 1]) << 8);
}

// The loader's reason, made plain where it misleads: a library built for
// another machine is reported as a missing file.
std::string LoaderReason(const char* path) {
    const char* said = dlerror();
    std::string reason = said != nullptr ? said : "unknown reason";
    if (reason.find(kLoaderMissingFile) == std::string::npos) return reason;
    const std::optional<std::uint16_t> machine = ElfMachine(path);
    const std::optional<std::uint16_t> ownMachine = ElfMachine(kOwnProgram);
    if (machine && ownMachine && *machine != *ownMachine) {
        return std::string(path) + ": wrong architecture: built for ELF machine " + std::to_string(*machine) +
               ", this program runs on ELF machine " + std::to_string(*ownMachine);
    }
    return reason;
}

}  // namespace

DynamicLibrary DynamicLibrary::Load(const char* path) {
    DynamicLibrary library;
    if (path == nullptr || path[0] == '\0') {
        library.loadError_ = kNoPathGiven;
        return library;
    }
    library.handle_.reset(dlopen(path, RTLD_NOW | RTLD_LOCAL));
    if (!library.handle_) library.loadError_ = LoaderReason(path);
    return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!handle_) return nullptr;
    return dlsym(handle_.get(), name);
}

void DynamicLibrary::Unloader::operator()(void* handle) const { dlclose(handle); }
