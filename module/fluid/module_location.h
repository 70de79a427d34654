// The folder this shared library was loaded from.
#pragma once

#include <string>

// Folder of the loaded QNStaff.so without a trailing "/"; "." when the
// library was loaded by a bare file name, empty when it can't be told.
std::string ModuleFolder();
