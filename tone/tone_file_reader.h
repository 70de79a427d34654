// Readers of tone files (*.TNF) and drum files (*.DRF): pages of names,
// one row per line and one column per tab-separated field.
#pragma once

#include <string>

#include "tone/tone_folders.h"
#include "tone/tone_map.h"

// Reads the tone file at `path` into `map`: its bank-control controller
// number and its tone pages. Names read before the file breaks off stay.
// Returns true when the whole file was read (the map's tone-file title is
// then set); false when it could not be opened, has another magic or breaks off.
bool ReadToneFile(const std::string& path, ToneMap& map, const ToneFolders& folders);

// Reads the drum file at `path` into `map`'s drum pages (page n has key
// 128 + n and kind 1). Returns as ReadToneFile; a complete file sets the
// map's drum-file title.
bool ReadDrumFile(const std::string& path, ToneMap& map, const ToneFolders& folders);
