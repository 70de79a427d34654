// Note notation, chord spelling and the GS messages of the example songs.
#include "tools/examplegen/arranger.h"

#include <stdexcept>
#include <string>

namespace {

constexpr int kNoteLetterOffsets[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
constexpr int kGsChecksumModulus = 128;

int PitchClass(std::string_view text, std::size_t& at) {
    if (at >= text.size() || text[at] < 'A' || text[at] > 'G') throw std::invalid_argument(std::string(text));
    int pc = kNoteLetterOffsets[text[at] - 'A'];
    ++at;
    if (at < text.size() && text[at] == '#') { ++pc; ++at; }
    else if (at < text.size() && text[at] == 'b') { --pc; ++at; }
    return pc;
}

int Length(char letter) {
    switch (letter) {
        case 'w': return 4 * kTicksPerQuarter;
        case 'h': return 2 * kTicksPerQuarter;
        case 'q': return kTicksPerQuarter;
        case 'e': return kTicksPerQuarter / 2;
        case 's': return kTicksPerQuarter / 4;
        case 'u': return kTicksPerQuarter * 2 / 3;
        case 't': return kTicksPerQuarter / 3;
        default: throw std::invalid_argument(std::string(1, letter));
    }
}

}  // namespace

int Melody(SmfTrack& track, int channel, int tick, std::string_view notation, const std::vector<std::string_view>& lyrics,
           int velocity) {
    std::size_t syllable = 0;
    std::size_t at = 0;
    while (at < notation.size()) {
        if (notation[at] == ' ') { ++at; continue; }
        const bool rest = notation[at] == 'r';
        int key = 0;
        if (rest) {
            ++at;
        } else {
            const int pc = PitchClass(notation, at);
            const int octave = notation.at(at++) - '0';
            key = (octave + 1) * 12 + pc;
        }
        int length = Length(notation.at(at++));
        if (at < notation.size() && notation[at] == '.') { length += length / 2; ++at; }
        if (!rest) {
            if (syllable < lyrics.size() && !lyrics[syllable].empty()) track.Meta(tick, 0x05, lyrics[syllable]);
            ++syllable;
            track.Note(tick, channel, key, velocity, length * 9 / 10);
        }
        tick += length;
    }
    return tick;
}

int ChordRoot(std::string_view symbol, int octave) {
    std::size_t at = 0;
    return (octave + 1) * 12 + PitchClass(symbol, at);
}

std::vector<int> ChordKeys(std::string_view symbol, int octave) {
    std::size_t at = 0;
    const int root = (octave + 1) * 12 + PitchClass(symbol, at);
    const std::string_view quality = symbol.substr(at);
    std::vector<int> keys{root, root + (quality.starts_with("m") ? 3 : 4), root + 7};
    if (quality.ends_with("7")) keys.push_back(root + 10);
    return keys;
}

Bytes GsRhythmPart(int channel) {
    // Part blocks: channel 10 is block 0, channels 1-9 are 1-9, 11-16 are 10-15.
    const int block = channel == 10 ? 0 : (channel < 10 ? channel : channel - 1);
    Bytes message{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, static_cast<std::uint8_t>(0x10 | block), 0x15, 0x02};
    int sum = 0;
    for (std::size_t i = 5; i < message.size(); ++i) sum += message[i];
    message.push_back(static_cast<std::uint8_t>((kGsChecksumModulus - sum % kGsChecksumModulus) % kGsChecksumModulus));
    message.push_back(0xF7);
    return message;
}

Bytes GsReset() { return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}; }
