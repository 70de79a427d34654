// Track names read as whole English words and as Japanese words.
#include "app/song/part_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace {

struct NameWord {
    std::string_view word;
    int strength;
};

// English words, compared in lower case as whole words.
constexpr std::array<NameWord, 18> kMelodyWords = {{
    {"melody", 3}, {"melo", 3}, {"vocal", 2}, {"vocals", 2}, {"voice", 2}, {"vox", 2}, {"vo", 2}, {"singer", 2},
    {"soprano", 2}, {"tune", 2}, {"solo", 2}, {"lead", 1},
    {"back", -1}, {"backing", -1}, {"chorus", -1}, {"cho", -1}, {"harmony", -1}, {"bgv", -1},
}};

// Japanese words, each as UTF-8 and as Shift_JIS bytes.
struct JapaneseWord {
    std::string_view utf8;
    std::string_view shiftJis;
    int strength;
};
constexpr std::array<JapaneseWord, 8> kJapaneseMelodyWords = {{
    {"\xE3\x83\xA1\xE3\x83\xAD", "\x83\x81\x83\x8D", 3},                                  // メロ
    {"\xE6\x97\x8B\xE5\xBE\x8B", "\x90\xF9\x97\xA5", 3},                                  // 旋律
    {"\xE3\x83\x9C\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xAB", "\x83\x7B\x81\x5B\x83\x4A\x83\x8B", 2},  // ボーカル
    {"\xE3\x82\xA9\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xAB", "\x83\x48\x81\x5B\x83\x4A\x83\x8B", 2},  // ォーカル
    {"\xE6\xAD\x8C", "\x89\xCC", 2},                                                      // 歌
    {"\xE3\x81\x86\xE3\x81\x9F", "\x82\xA4\x82\xBD", 2},                                  // うた
    {"\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\xA9\xE3\x82\xB9", "\x83\x52\x81\x5B\x83\x89\x83\x58", -1},  // コーラス
    {"\xE3\x83\x8F\xE3\x83\xA2", "\x83\x6E\x83\x82", -1},                                 // ハモ
}};

constexpr std::array<std::string_view, 7> kDrumWords = {"drum", "drums", "drumset", "drumkit", "kit", "percussion", "perc"};
constexpr std::array<std::string_view, 8> kBassWords = {"bass",   "basses", "contrabass", "contrabasses",
                                                        "bassline", "basso", "bassi", "bajo"};
constexpr std::array<std::string_view, 6> kGuitarWords = {"guitar", "guitars", "gtr", "guit", "gt", "gtrs"};
constexpr JapaneseWord kJapaneseDrums = {"\xE3\x83\x89\xE3\x83\xA9\xE3\x83\xA0", "\x83\x68\x83\x89\x83\x80", 1};  // ドラム
constexpr JapaneseWord kJapaneseBass = {"\xE3\x83\x99\xE3\x83\xBC\xE3\x82\xB9", "\x83\x78\x81\x5B\x83\x58", 1};   // ベース
constexpr JapaneseWord kJapaneseGuitar = {"\xE3\x82\xAE\xE3\x82\xBF\xE3\x83\xBC", "\x83\x4D\x83\x5E\x81\x5B", 1};  // ギター

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// True when `bytes` appears in the Shift_JIS text `text` at a character start.
bool ContainsShiftJis(std::string_view text, std::string_view bytes) {
    for (std::size_t at = 0; at < text.size(); at += IsShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1) {
        if (text.substr(at).starts_with(bytes)) return true;
    }
    return false;
}

bool ContainsJapanese(std::string_view name, const JapaneseWord& word) {
    return name.find(word.utf8) != std::string_view::npos || ContainsShiftJis(name, word.shiftJis);
}


template <std::size_t N>
bool HasWord(const std::vector<std::string>& words, const std::array<std::string_view, N>& known) {
    return std::any_of(words.begin(), words.end(),
                       [&known](const std::string& word) { return std::find(known.begin(), known.end(), word) != known.end(); });
}

}  // namespace

std::vector<std::string> EnglishWords(std::string_view name) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && std::isalpha(byte)) {
            word += static_cast<char>(std::tolower(byte));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

int MelodyNameStrength(std::string_view trackName) {
    int strength = 0;
    for (const std::string& word : EnglishWords(trackName)) {
        for (const NameWord& known : kMelodyWords) {
            if (word != known.word) continue;
            if (known.strength < 0) return 0;
            strength = std::max(strength, known.strength);
        }
    }
    for (const JapaneseWord& known : kJapaneseMelodyWords) {
        if (!ContainsJapanese(trackName, known)) continue;
        if (known.strength < 0) return 0;
        strength = std::max(strength, known.strength);
    }
    return strength;
}

NamedPart OtherPartNamed(std::string_view trackName) {
    const std::vector<std::string> words = EnglishWords(trackName);
    if (HasWord(words, kDrumWords) || ContainsJapanese(trackName, kJapaneseDrums)) return NamedPart::kDrums;
    if (HasWord(words, kBassWords) || ContainsJapanese(trackName, kJapaneseBass)) return NamedPart::kBass;
    if (HasWord(words, kGuitarWords) || ContainsJapanese(trackName, kJapaneseGuitar)) return NamedPart::kGuitar;
    return NamedPart::kNone;
}

char ChoirVoiceLetter(std::string_view trackName) {
    const std::vector<std::string> words = EnglishWords(trackName);
    if (words.size() != 1 || words[0].size() != 1) return 0;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0][0])));
    return letter == 'S' || letter == 'A' || letter == 'T' || letter == 'B' ? letter : 0;
}
