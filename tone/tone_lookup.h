// Turning a bank and program into an instrument name through a tone map.
#pragma once

#include <string>
#include <string_view>

class ToneLibrary;

constexpr int kLookupNameChars = 29;  // longest name a lookup returns

// The name at (column, row) of the page `pageKey` (drum pages for 128 and
// up) of the map `mapName` in `library` (borrowed; may be null), cut to 29
// characters; empty when there is no library, map, page or name there.
std::string LookupToneName(const ToneLibrary* library, std::string_view mapName, int pageKey, int column, int row);
