// Finding the melody channel from track names and lyrics.
#include "app/song/melody_channel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "model/slots.h"
#include "model/song_container.h"
#include "model/song_options.h"
#include "model/track.h"

namespace {

struct NameWord {
    std::string_view word;
    int strength;
};

// English words, compared in lower case as whole words.
constexpr std::array<NameWord, 13> kEnglishWords = {{
    {"melody", 3}, {"melo", 3}, {"vocal", 2}, {"vocals", 2}, {"voice", 2}, {"vox", 2}, {"vo", 2}, {"lead", 1},
    {"back", -1}, {"backing", -1}, {"chorus", -1}, {"cho", -1}, {"harmony", -1},
}};

// Japanese words, each as UTF-8 and as Shift_JIS bytes.
struct JapaneseWord {
    std::string_view utf8;
    std::string_view shiftJis;
    int strength;
};
constexpr std::array<JapaneseWord, 8> kJapaneseWords = {{
    {"\xE3\x83\xA1\xE3\x83\xAD", "\x83\x81\x83\x8D", 3},                                  // メロ
    {"\xE6\x97\x8B\xE5\xBE\x8B", "\x90\xF9\x97\xA5", 3},                                  // 旋律
    {"\xE3\x83\x9C\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xAB", "\x83\x7B\x81\x5B\x83\x4A\x83\x8B", 2},  // ボーカル
    {"\xE3\x82\xA9\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xAB", "\x83\x48\x81\x5B\x83\x4A\x83\x8B", 2},  // ォーカル
    {"\xE6\xAD\x8C", "\x89\xCC", 2},                                                      // 歌
    {"\xE3\x81\x86\xE3\x81\x9F", "\x82\xA4\x82\xBD", 2},                                  // うた
    {"\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\xA9\xE3\x82\xB9", "\x83\x52\x81\x5B\x83\x89\x83\x58", -1},  // コーラス
    {"\xE3\x83\x8F\xE3\x83\xA2", "\x83\x6E\x83\x82", -1},                                 // ハモ
}};

// A lyric falls on a note start this close to it.
constexpr int kLyricTolerance = kTicksPerQuarter / 16;
// The share of lyrics, in fifths, that must fall on one channel's note starts.
constexpr std::size_t kLyricFifthsNeeded = 4;
constexpr std::size_t kFewestLyrics = 4;

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// True when `bytes` appears in the Shift_JIS text `text` at a character start.
bool ContainsShiftJis(std::string_view text, std::string_view bytes) {
    for (std::size_t at = 0; at < text.size(); at += IsShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1) {
        if (text.substr(at).starts_with(bytes)) return true;
    }
    return false;
}

// The runs of ASCII letters of `name`, in lower case.
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

// Ticks of the note starts of every port-0 part on `channel`.
std::multiset<int> NoteStarts(SongContainer& song, int channel) {
    std::multiset<int> starts;
    for (int part = 0; part < kPartCount; ++part) {
        const Track* track = song.SlotTrack(PartSlot(part));
        if (track == nullptr || song.partChannel[part] != channel) continue;
        int tick = 0;
        for (int i = 0; i < track->count && !EventAt(*track, i).IsEnd(); ++i) {
            if (EventAt(*track, i).IsNote()) starts.insert(tick);
            tick += EventAt(*track, i).Step();
        }
    }
    return starts;
}

std::vector<int> LyricTicks(SongContainer& song) {
    std::vector<int> ticks;
    const Track* track = song.SlotTrack(kLyricSlot);
    if (track == nullptr) return ticks;
    int tick = 0;
    for (int i = 0; i < track->count && !EventAt(*track, i).IsEnd(); ++i) {
        if (EventAt(*track, i).Kind() == EventKind::kLyric) ticks.push_back(tick);
        tick += EventAt(*track, i).Step();
    }
    return ticks;
}

bool MayBeMelody(const SongOptions& options, int channel) {
    return options.channelUsed[channel] != 0 && options.drumChannel[channel] == 0;
}

int ChannelOfNamedTrack(SongContainer& song, const SongOptions& options) {
    int best = -1;
    int bestStrength = 0;
    for (int part = 0; part < kPartCount; ++part) {
        const int channel = song.partChannel[part];
        if (channel >= kMidiChannels || !MayBeMelody(options, channel) || song.SlotTrack(PartSlot(part)) == nullptr) continue;
        const int strength = MelodyNameStrength(song.partNames[part]);
        if (strength > bestStrength) {
            best = channel;
            bestStrength = strength;
        }
    }
    return best;
}

int ChannelOfLyrics(SongContainer& song, const SongOptions& options) {
    const std::vector<int> lyrics = LyricTicks(song);
    if (lyrics.size() < kFewestLyrics) return -1;
    int best = -1;
    std::size_t bestSung = 0;
    bool tie = false;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (!MayBeMelody(options, channel)) continue;
        const std::multiset<int> starts = NoteStarts(song, channel);
        std::size_t sung = 0;
        for (const int tick : lyrics) {
            const auto near = starts.lower_bound(tick - kLyricTolerance);
            if (near != starts.end() && *near <= tick + kLyricTolerance) ++sung;
        }
        if (sung > bestSung) {
            best = channel;
            bestSung = sung;
            tie = false;
        } else if (sung == bestSung && sung > 0) {
            tie = true;
        }
    }
    if (tie || bestSung * 5 < lyrics.size() * kLyricFifthsNeeded) return -1;
    return best;
}

}  // namespace

int MelodyNameStrength(std::string_view trackName) {
    int strength = 0;
    for (const std::string& word : EnglishWords(trackName)) {
        for (const NameWord& known : kEnglishWords) {
            if (word != known.word) continue;
            if (known.strength < 0) return 0;
            strength = std::max(strength, known.strength);
        }
    }
    for (const JapaneseWord& known : kJapaneseWords) {
        if (trackName.find(known.utf8) == std::string_view::npos && !ContainsShiftJis(trackName, known.shiftJis)) continue;
        if (known.strength < 0) return 0;
        strength = std::max(strength, known.strength);
    }
    return strength;
}

int NamedMelodyChannel(SongContainer& song, const SongOptions& options) {
    const int named = ChannelOfNamedTrack(song, options);
    return named >= 0 ? named : ChannelOfLyrics(song, options);
}
