// Module discovery through the registry stand-in.

#include "app/startup/module_discovery.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

// g_szModulePath itself is defined once, beside the module binding that reads it (render/).

namespace {

constexpr std::string_view kClsidKey = "CLSID";
constexpr std::string_view kPlayerClassKey = "{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}";
constexpr std::string_view kLocalServerKey = "LocalServer32";
constexpr std::string_view kModuleFileName = "QNStaff.so";
constexpr std::string_view kRegisterScript = "register-module.sh";
constexpr std::string_view kDefaultValueFile = "@";
constexpr std::string_view kAnyModuleFolder = "<folder holding QNStaff.so>";
// The default value is read into a buffer of this size, terminator included.
constexpr std::size_t kValueBufferBytes = 128;

static_assert(kValueBufferBytes - 1 + kModuleFileName.size() < sizeof(g_szModulePath),
              "the longest folder plus the file name fits the module path buffer");

}  // namespace

bool DiscoverSynthModule(const RegistryRoots& roots) {
    g_szModulePath[0] = '\0';

    // Each opened key closes when its optional goes out of scope, innermost first.
    const RegistryKey classesRoot = RegistryKey::ClassesRoot(roots);
    const std::optional<RegistryKey> clsid = classesRoot.OpenSubKey(kClsidKey);
    if (!clsid) return false;
    const std::optional<RegistryKey> playerClass = clsid->OpenSubKey(kPlayerClassKey);
    if (!playerClass) return false;
    const std::optional<RegistryKey> localServer = playerClass->OpenSubKey(kLocalServerKey);
    if (!localServer) return false;

    char value[kValueBufferBytes] = {};
    if (!localServer->QueryDefaultValue(value, sizeof(value))) return false;

    // The folder is the value as it stands (quotes and arguments included) up
    // to and including its last "/"; without one it is empty.
    const std::string_view text(value);
    const std::size_t lastSlash = text.rfind('/');
    const std::size_t folderLength = lastSlash == std::string_view::npos ? 0 : lastSlash + 1;

    std::memcpy(g_szModulePath, value, folderLength);
    std::memcpy(g_szModulePath + folderLength, kModuleFileName.data(), kModuleFileName.size());
    g_szModulePath[folderLength + kModuleFileName.size()] = '\0';
    return g_szModulePath[0] != '\0';
}

std::string ModuleRegistrationFile(const std::string& root) {
    std::string file = root;
    for (std::string_view part : {kClsidKey, kPlayerClassKey, kLocalServerKey, kDefaultValueFile}) {
        file += "/";
        file += part;
    }
    return file;
}

std::string ModuleNotRegisteredHint(const RegistryRoots& roots, const std::string& programFolder) {
    std::string looked;
    for (const std::string* root : {&roots.user, &roots.system}) {
        if (root->empty()) continue;
        looked += looked.empty() ? "neither " : " nor ";
        looked += ModuleRegistrationFile(*root);
    }
    std::error_code error;
    const bool moduleBeside =
        !programFolder.empty() && std::filesystem::is_regular_file(programFolder + std::string(kModuleFileName), error);
    const std::string folder = moduleBeside ? programFolder.substr(0, programFolder.size() - 1)
                                            : std::string(kAnyModuleFolder);
    return "ombrix: the synthesizer module is not registered: " + looked +
           " names the folder of QNStaff.so (a value of " + std::to_string(kValueBufferBytes) +
           " bytes or more does not count); register it with: sh " + programFolder + std::string(kRegisterScript) +
           " " + folder + " (add --system to register it for every user)";
}
