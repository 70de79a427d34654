// Readers of drum-key files (*.DRK) and of the drum-key display file (the
// set's name with ".key") that follows each of them.
#pragma once

#include <string>

#include "tone/drum_key_order.h"
#include "tone/drum_key_set.h"
#include "tone/tone_folders.h"

// Reads the drum-key file at `path` into `set`: per page and bank, the key
// names of each column, then the default display order of every column that
// has a name. Once the magic is accepted, the set's drum-key-file title is
// set and the display file of the same folder is read, also when the file
// breaks off. Returns true when the whole drum-key file was read.
bool ReadDrumKeyFile(const std::string& path, DrumKeySet& set, const DrumKeyDisplayOrder& order,
                     const ToneFolders& folders);

// Reads the drum-key display file at `path` into `set`: shown notes,
// positions and check values. Returns true when the whole file was read.
bool ReadDrumKeyDisplayFile(const std::string& path, DrumKeySet& set, const ToneFolders& folders);
