// Default extension of the save dialog.
#include "ui/window/wave_file_name.h"

#include "ui/window/check_open_path.h"

std::string WithWaveExtension(std::string path) {
    if (SplitOpenPath(path).extension.empty()) path += ".wav";
    return path;
}
