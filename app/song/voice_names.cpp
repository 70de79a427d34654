// The table of voice names.
#include "app/song/voice_names.h"

#include "app/song/part_names.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

struct Voice {
    std::string_view name;      // as the rehearsal files are named
    std::array<std::string_view, 5> words;  // lower case, whole words; "" fills the rest
    std::string_view letter;    // the single letter of a choir score, "" for none
    std::array<std::string_view, 2> japanese;  // UTF-8; "" fills the rest
};

// English, German and Italian words, then Japanese.
constexpr std::array<Voice, 5> kVoices = {{
    {"Soprano", {"soprano", "sopranos", "sopran", "sop", "soprani"}, "s",
     {"\xE3\x82\xBD\xE3\x83\x97\xE3\x83\xA9\xE3\x83\x8E", ""}},  // ソプラノ
    {"Alto", {"alto", "altos", "alt", "contralto", "contralti"}, "a",
     {"\xE3\x82\xA2\xE3\x83\xAB\xE3\x83\x88", ""}},  // アルト
    {"Tenor", {"tenor", "tenors", "tenore", "tenori", "ten"}, "t",
     {"\xE3\x83\x86\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\xAB", "\xE3\x83\x86\xE3\x83\x8A\xE3\x83\xBC"}},  // テノール, テナー
    {"Baritone", {"baritone", "baritones", "bariton", "baritono", "bari"}, "",
     {"\xE3\x83\x90\xE3\x83\xAA\xE3\x83\x88\xE3\x83\xB3", ""}},  // バリトン
    {"Bass", {"bass", "basses", "basso", "bassi", ""}, "b",
     {"\xE3\x83\x90\xE3\x82\xB9", ""}},  // バス
}};

// Words that make a voice word an instrument's name.
constexpr std::array<std::string_view, 14> kInstrumentWords = {
    "sax", "saxophone", "guitar", "gtr", "drum", "drums", "clarinet", "flute",
    "recorder", "horn", "trombone", "ukulele", "clef", "synth",
};
constexpr std::array<std::string_view, 3> kJapaneseInstrumentWords = {
    "\xE3\x83\x89\xE3\x83\xA9",                                 // ドラ (ドラム, バスドラ)
    "\xE3\x82\xAE\xE3\x82\xBF\xE3\x83\xBC",                     // ギター
    "\xE3\x82\xB5\xE3\x83\x83\xE3\x82\xAF\xE3\x82\xB9",         // サックス
};

bool Contains(const auto& list, std::string_view item) {
    return !item.empty() && std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::string_view VoiceNamed(std::string_view name) {
    const std::vector<std::string> words = EnglishWords(name);
    if (std::ranges::any_of(words, [](const std::string& word) { return Contains(kInstrumentWords, word); }) ||
        std::ranges::any_of(kJapaneseInstrumentWords, [name](std::string_view w) { return name.find(w) != std::string_view::npos; }))
        return {};
    for (const Voice& voice : kVoices) {
        const bool letter = words.size() == 1 && words.front() == voice.letter;
        const bool word = std::ranges::any_of(words, [&voice](const std::string& w) { return Contains(voice.words, w); });
        const bool japanese = std::ranges::any_of(voice.japanese, [name](std::string_view w) {
            return !w.empty() && name.find(w) != std::string_view::npos;
        });
        if (letter || word || japanese) return voice.name;
    }
    return {};
}
