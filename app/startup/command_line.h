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
