// Finding the synthesizer module at start-up: the companion player's
// registry entry names a file in its folder, and the module "QNStaff.so"
// lies in that same folder.
#pragma once

#include <string>

#include "platform/registry.h"

// Full path of the synthesizer module library, zero-terminated; empty when
// no module was found. Filled at start-up, read at every conversion.
extern char g_szModulePath[260];

// What start-up says before ending when no module was found.
inline constexpr char kModuleNotInstalledMessage[] = "Tavolineがインストールされていないため起動できません。";

// Empties g_szModulePath, then fills it from the default value of the
// player's LocalServer32 key: the value up to and including its last "/",
// followed by "QNStaff.so" (a value without "/" gives the bare file name).
// Returns true when a path was found; the library itself is not looked at.
bool DiscoverSynthModule(const RegistryRoots& roots = DefaultRegistryRoots());

// The file that registers the module, below the registry root `root`.
std::string ModuleRegistrationFile(const std::string& root);

// The English line start-up writes beside the message above: the files that
// were looked at and the command that registers the module. `programFolder`
// (with its trailing "/") holds register-module.sh, and QNStaff.so too when
// the module was installed with the program.
std::string ModuleNotRegisteredHint(const RegistryRoots& roots, const std::string& programFolder);
