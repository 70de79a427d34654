// The file name a save dialog's answer stands for: without an extension the
// name gets ".wav", as the dialog's default extension would add it.
#pragma once

#include <string>

// `path` with ".wav" appended when its file name has no extension.
std::string WithWaveExtension(std::string path);
