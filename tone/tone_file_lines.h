// The line grammar shared by the tone, drum, drum-key and drum-key display
// files: comment lines, the magic line, key lines ("NAME=value"), free lines
// and tab-separated fields.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class Myifstream;

// Row counts of the files are taken modulo this.
constexpr int kRowCountModulus = 256;
// The key lines that give the number of pages and begin each page.
constexpr std::string_view kPageCountKey = "PAGECOUNT";
constexpr std::string_view kPageKey = "PAGE";

// The text between tab characters of `line`; n tabs give n + 1 fields.
std::vector<std::string_view> SplitFields(std::string_view line);
// A field stores something unless it is empty or begins with a space.
bool IsUsableField(std::string_view field);
// The decimal number made of the leading digits of `text` (0 when there are
// none); saturates instead of overflowing.
int LeadingNumber(std::string_view text);

// Reads the lines of one open file, skipping comment lines (";" first).
class ToneFileLines {
public:
    // Reads from `file`, which the caller keeps open while this object is used.
    explicit ToneFileLines(Myifstream& file) : file_(file) {}

    // The next line that is not a comment; false at the end of the file.
    bool Next(std::string& line);
    // Reads the first line that is not a comment and compares its first
    // field with each magic text, ignoring case. Returns the index of the
    // magic that matches, or -1 (also for an empty line or an empty file).
    int Magic(std::initializer_list<std::string_view> magics);
    // Reads a key line that begins with `prefix` (case-sensitive) and gives
    // the text after its last "=" (empty without one). False when the file
    // ends or the line begins otherwise.
    bool Key(std::string_view prefix, std::string& value);
    // Key() with the value read as a number.
    bool KeyNumber(std::string_view prefix, int& number);
    // Reads one line that is not interpreted; false at the end of the file.
    bool Free();
    // Reads a line that must begin with `prefix`; false otherwise.
    bool Marker(std::string_view prefix);
    // Reads `rows` rows and calls `use(row, index, field)` for each usable
    // field, `index` counting the row's fields from 0. False when the file ends first.
    template <typename Use>
    bool Rows(int rows, Use use) {
        std::string row;
        for (int r = 0; r < rows; ++r) {
            if (!Next(row)) return false;
            const std::vector<std::string_view> fields = SplitFields(row);
            for (std::size_t f = 0; f < fields.size(); ++f) {
                if (IsUsableField(fields[f])) use(r, static_cast<int>(f), fields[f]);
            }
        }
        return true;
    }

private:
    Myifstream& file_;
    std::string line_;
};
