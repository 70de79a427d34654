// The program's command line: "-f<folder>" selects batch conversion of a
// folder, and after a comma "-p<value>" switches the pre-count on ("1") or off.
#pragma once

#include <string>
#include <string_view>

// Reads `text` (the arguments after the program's name, joined by single
// spaces) into the batch folder and the pre-count flag. Without "-f" before
// the first comma both are left unchanged; with it, an empty folder still
// means interactive mode.
void ParseCommandLine(std::string_view text, std::string& batchFolder, bool& preCountArg);

// The arguments after the program's name joined by single spaces: the text
// that ParseCommandLine reads.
std::string JoinArguments(int argc, const char* const* argv);

// The song that `text` (as for ParseCommandLine) names for the window, or
// empty when it names none: an existing file, or a name with a MIDI file's
// extension even when no such file exists, unless the text begins with "-f".
std::string SongNamedBy(std::string_view text);

// What the program says when it cannot show its window (no display, or
// built without one): for a command line that names a song, how to convert
// it without the window; otherwise how to convert a folder.
std::string NoWindowMessage(std::string_view songPath, bool windowBuilt);
