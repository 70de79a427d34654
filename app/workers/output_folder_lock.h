// The lock a single conversion takes on the folder it writes into: the one
// every run of the program takes (see platform/folder_lock.h), so that a
// conversion started from the window and a run of the option command line
// or the folder batch never write into one folder at once.
#pragma once

#include <string>

#include "platform/folder_lock.h"

// Locks the folder of `outputPath` in `lock`, without waiting. False only
// when another run holds it: nothing may be written there then. A folder
// where no lock can be taken (missing, or no lock file can be made there)
// is left to the conversion, which fails with the cause if it cannot write.
bool LockOutputFolder(const std::string& outputPath, FolderLock& lock);

// The folder that LockOutputFolder locks for `outputPath`.
std::string OutputFolderOf(const std::string& outputPath);
