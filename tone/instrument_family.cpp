// The bass rule: the program's family, else the last word of its name.
#include "tone/instrument_family.h"

#include <cctype>
#include <string>

namespace {

constexpr std::string_view kBassWord = "bass";

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The last run of letters of `name` before any parenthesised remark, in
// lower case ("Synth Bass 3 (resonance)" gives "bass").
std::string LastWord(std::string_view name) {
    name = name.substr(0, name.find('('));
    std::size_t end = name.size();
    while (end > 0 && !IsLetter(name[end - 1])) --end;
    std::size_t begin = end;
    while (begin > 0 && IsLetter(name[begin - 1])) --begin;
    std::string word(name.substr(begin, end - begin));
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

}  // namespace

bool IsBassInstrument(int program, std::string_view toneName) {
    if (program >= kFirstBassProgram && program <= kLastBassProgram) return true;
    return LastWord(toneName) == kBassWord;
}
