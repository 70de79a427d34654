// Rules of the part finder, in the order in which they claim channels.
#include "app/song/part_finder.h"

#include <algorithm>
#include <array>

#include "app/song/part_names.h"
#include "tone/instrument_family.h"

namespace {

constexpr int kChannel16 = 15;
constexpr int kFirstGuitarProgram = 24;
constexpr int kLastGuitarProgram = 31;
constexpr int kTimpaniProgram = 47;
constexpr int kLastPianoProgram = 7;
// The only melodic channel of a song is its melody when it is a single line.
constexpr double kSoleLineMonophony = 0.9;
constexpr int kKeyboardHands = 2;

// Registers, as note numbers.
constexpr int kMiddleC = 60;
constexpr int kD3 = 50;
constexpr int kG3 = 55;
constexpr int kA3 = 57;
constexpr int kNoteRange = 128;

// A named bass, a bass instrument: at least this share of single notes.
constexpr double kBassMonophony = 0.5;
// A bass instrument above D3 counts when it plays this much as a single line.
constexpr double kHighBassMonophony = 0.8;
// A weak name ("Lead") counts for a line this single and this high.
constexpr double kWeakNameMonophony = 0.6;
// Lyrics say the melody when there are this many and this share of them
// falls on the notes of a channel playing mostly single notes; a second
// channel within this share of the best is a tie, broken by the top voice.
constexpr int kFewestLyrics = 4;
constexpr double kSungShare = 0.6;
constexpr double kSungTie = 0.05;
constexpr double kSungMonophony = 0.5;
// A line: this share of its notes single, through this share of the measures.
constexpr double kTopLineMonophony = 0.45;
constexpr double kLowLineMonophony = 0.45;
constexpr double kTopLineCoverage = 0.4;
constexpr double kLowLineCoverage = 0.6;
constexpr double kTopShare = 0.5;
constexpr double kBottomShare = 0.5;
// The lowest line plays at least this share of the busiest channel's notes
// (a few held notes are a pad).
constexpr double kLineNotesShare = 0.2;
// In a band (drums playing), the upper part may carry the tune in chords:
// on top this often, through this much of the song, with this many single notes.
constexpr double kTopPartShare = 0.55;
constexpr double kTopPartCoverage = 0.9;
constexpr double kTopPartMonophony = 0.2;
// A drum kit by its notes: this share on the kick, snare and hi-hat keys.
constexpr double kDrumKeyShare = 0.7;
// A doubling: this share of a channel's notes start with the part's notes,
// and it has at least this many. A copy starts with them nearly always; a
// guitar joins only as a copy. A channel playing a part's notes and more
// joins when it holds nearly all of them and they make this share of its own.
constexpr double kDoublingShare = 0.7;
constexpr double kCopyShare = 0.9;
constexpr double kContainedShare = 0.85;
constexpr double kContainerOwnShare = 0.4;
constexpr int kFewestDoublingNotes = 8;

constexpr const char* kNoteNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

std::string NoteName(int note) { return std::string(kNoteNames[note % 12]) + std::to_string(note / 12 - 1); }

bool IsGuitarProgram(int program) { return program >= kFirstGuitarProgram && program <= kLastGuitarProgram; }

std::string Named(const NamedTrack& track) { return "named \"" + track.name + "\""; }

class Finder {
public:
    Finder(const SongProfile& profile, SongOptions& options) : profile_(profile), options_(options) {
        options_.partChannels.fill(0);
        for (std::string& reason : options_.partReason) reason.clear();
        bool soprano = false;
        bool bass = false;
        for (const NamedTrack& track : profile_.tracks) {
            soprano = soprano || ChoirVoiceLetter(track.name) == 'S';
            bass = bass || ChoirVoiceLetter(track.name) == 'B';
        }
        choir_ = soprano && bass;
    }

    void Run() {
        Drums();
        const bool namedMelody = NamedMelody();
        const bool bass = NamedBass() || BassInstruments();
        const bool melody = namedMelody || LyricLine();
        if (!bass) LowestLine();
        if (!melody && !TopLine()) TopPart();
        Doublings(PartKind::kBass, 0, kMiddleC);
        Doublings(PartKind::kMelody, kG3, kNoteRange);
        Guitars();
    }

private:
    const ChannelProfile& At(int channel) const { return profile_.channels[channel]; }

    // A used channel with notes that no part has claimed yet and plays no drums.
    bool Free(int channel) const {
        return options_.channelUsed[channel] != 0 && At(channel).notes > 0 && options_.drumChannel[channel] == 0 &&
               !Claimed(channel);
    }
    bool Claimed(int channel) const {
        return std::any_of(options_.partChannels.begin(), options_.partChannels.end(),
                           [channel](std::uint16_t mask) { return (mask >> channel) & 1; });
    }
    void Claim(int part, int channel, std::string reason) {
        options_.partChannels[part] |= static_cast<std::uint16_t>(1u << channel);
        options_.partReason[channel] = std::move(reason);
    }
    bool Has(int part) const { return options_.partChannels[part] != 0; }
    bool DrumsPlay() const {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.drumChannel[channel] != 0 && options_.channelUsed[channel] != 0) return true;
        }
        return false;
    }

    void Drums() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.drumChannel[channel] != 0) Claim(PartKind::kDrums, channel, "drum channel");
        }
        if (options_.drumChannel[kChannel16] != 0 || options_.channelUsed[kChannel16] == 0) return;
        const ChannelProfile& last = At(kChannel16);
        std::string reason;
        if (last.drumBank) reason = "drum kit bank";
        // Kick, snare and hi-hat keys struck together, on no bass instrument.
        if (last.kitPlayed && last.drumKeyShare >= kDrumKeyShare && last.monophony < kHighBassMonophony &&
            !IsBassInstrument(options_.program[kChannel16], options_.toneName[kChannel16]))
            reason = "drum notes";
        for (const NamedTrack& track : profile_.tracks) {
            if (track.channel == kChannel16 && OtherPartNamed(track.name) == NamedPart::kDrums) reason = Named(track);
        }
        if (reason.empty()) return;
        options_.drumChannel[kChannel16] = 1;
        Claim(PartKind::kDrums, kChannel16, reason);
    }

    // How strongly a track's name says melody: its words, or "S" in a choir.
    int MelodyStrength(const NamedTrack& track) const {
        const NamedPart other = OtherPartNamed(track.name);
        if (other == NamedPart::kDrums || other == NamedPart::kBass) return 0;
        if (choir_ && ChoirVoiceLetter(track.name) == 'S') return 2;
        return MelodyNameStrength(track.name);
    }

    bool NamedMelody() {
        const NamedTrack* best = nullptr;
        int bestStrength = 0;
        for (const NamedTrack& track : profile_.tracks) {
            if (!Free(track.channel)) continue;
            const int strength = MelodyStrength(track);
            if (strength == 0) continue;
            const ChannelProfile& channel = At(track.channel);
            if (strength == 1 && (channel.monophony < kWeakNameMonophony || channel.median < kG3)) continue;
            if (best == nullptr || strength > bestStrength || (strength == bestStrength && track.notes > best->notes)) {
                best = &track;
                bestStrength = strength;
            }
        }
        if (best == nullptr) return false;
        Claim(PartKind::kMelody, best->channel, Named(*best));
        return true;
    }

    bool NamedBass() {
        const NamedTrack* best = nullptr;
        for (const NamedTrack& track : profile_.tracks) {
            if (!Free(track.channel) || At(track.channel).median >= kMiddleC) continue;
            const bool voice = choir_ && ChoirVoiceLetter(track.name) == 'B';
            const bool named = OtherPartNamed(track.name) == NamedPart::kBass && At(track.channel).monophony >= kBassMonophony;
            if (!voice && !named) continue;
            if (best == nullptr || track.notes > best->notes) best = &track;
        }
        if (best == nullptr) return false;
        Claim(PartKind::kBass, best->channel, Named(*best));
        return true;
    }

    bool BassInstruments() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || !IsBassInstrument(options_.program[channel], options_.toneName[channel])) continue;
            const ChannelProfile& c = At(channel);
            const bool low = c.median <= kD3 && c.monophony >= kBassMonophony;
            const bool line = c.median < kMiddleC && c.monophony >= kHighBassMonophony;
            if (low || line) Claim(PartKind::kBass, channel, "bass instrument, median " + NoteName(c.median));
        }
        return Has(PartKind::kBass);
    }

    bool LyricLine() {
        if (profile_.lyrics < kFewestLyrics) return false;
        int best = -1;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            const ChannelProfile& c = At(channel);
            if (!Free(channel) || c.sung < kSungShare * profile_.lyrics || c.monophony < kSungMonophony) continue;
            if (best < 0 || c.sung > At(best).sung * (1 + kSungTie)) {
                best = channel;
            } else if (c.sung >= At(best).sung * (1 - kSungTie) && c.topShare > At(best).topShare) {
                best = channel;
            }
        }
        if (best < 0) return false;
        Claim(PartKind::kMelody, best, "lyrics");
        return true;
    }

    // The best channel by `score` among the free channels that pass `fits`;
    // of equals, `preferred` (the channel the original convention gives the part).
    template <typename Fits, typename Score>
    int Best(Fits fits, Score score, int preferred) const {
        int best = -1;
        double bestScore = 0;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || !fits(channel, At(channel))) continue;
            const double value = score(At(channel));
            if (best < 0 || value > bestScore || (value == bestScore && channel == preferred)) {
                best = channel;
                bestScore = value;
            }
        }
        return best;
    }

    void LowestLine() {
        if (KeyboardPiece()) return;
        const int channel = Best(
            [this](int ch, const ChannelProfile& c) {
                return c.monophony >= kLowLineMonophony && c.coverage >= kLowLineCoverage && c.median < kA3 &&
                       c.lineBottomShare >= kBottomShare && c.topShare < kTopShare &&
                       c.notes >= kLineNotesShare * BusiestNotes() &&
                       options_.program[ch] != kTimpaniProgram && !IsGuitarProgram(options_.program[ch]);
            },
            [](const ChannelProfile& c) { return c.lineBottomShare * c.coverage; }, 1);
        if (channel >= 0) Claim(PartKind::kBass, channel, "lowest line, median " + NoteName(At(channel).median));
    }

    // True when the song's melodic channels are the two hands of a piano or
    // harpsichord, or its one channel playing chords: a keyboard piece,
    // whose hands are no parts to take out.
    bool KeyboardPiece() const {
        int melodic = 0;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.channelUsed[channel] == 0 || options_.drumChannel[channel] != 0) continue;
            if (options_.program[channel] > kLastPianoProgram) return false;
            ++melodic;
        }
        return melodic == kKeyboardHands || (melodic == 1 && At(FirstMelodic()).monophony < kSoleLineMonophony);
    }
    int BusiestNotes() const {
        int most = 0;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.drumChannel[channel] == 0) most = std::max(most, At(channel).notes);
        }
        return most;
    }
    int FirstMelodic() const {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.channelUsed[channel] != 0 && options_.drumChannel[channel] == 0) return channel;
        }
        return 0;
    }

    bool TopLine() {
        if (KeyboardPiece()) return false;
        const int channel = Best(
            [](int, const ChannelProfile& c) {
                return c.monophony >= kTopLineMonophony && c.coverage >= kTopLineCoverage && c.median >= kG3 &&
                       c.topShare >= kTopShare;
            },
            [](const ChannelProfile& c) { return c.topShare * c.coverage; }, 3);
        if (channel < 0) return false;
        Claim(PartKind::kMelody, channel, "top line, median " + NoteName(At(channel).median));
        return true;
    }

    void TopPart() {
        if (!DrumsPlay()) return;
        const int channel = Best(
            [](int, const ChannelProfile& c) {
                return c.monophony >= kTopPartMonophony && c.coverage >= kTopPartCoverage && c.median >= kMiddleC &&
                       c.topShare >= kTopPartShare;
            },
            [](const ChannelProfile& c) { return c.topShare * c.coverage; }, 3);
        if (channel >= 0) Claim(PartKind::kMelody, channel, "top part, median " + NoteName(At(channel).median));
    }

    // True when `channel` doubles the part channel `core`.
    bool Doubles(int channel, int core, int above, int below) const {
        const ChannelProfile& c = At(channel);
        const double share = c.doubles[core];
        if (share >= kCopyShare) return true;
        if (IsGuitarProgram(options_.program[channel]) || c.median >= below || c.median < above) return false;
        const double contained = At(core).doubles[channel];
        return share >= kDoublingShare ||
               (contained >= kContainedShare && contained * At(core).notes >= kContainerOwnShare * c.notes);
    }

    // Channels that double one of the part's channels; unless they copy it,
    // only with a median from `above` up to below `below`.
    void Doublings(int part, int above, int below) {
        const std::uint16_t core = options_.partChannels[part];
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || At(channel).notes < kFewestDoublingNotes) continue;
            for (int doubled = 0; doubled < kMidiChannels; ++doubled) {
                if (((core >> doubled) & 1) == 0 || !Doubles(channel, doubled, above, below)) continue;
                Claim(part, channel, "doubles channel " + std::to_string(doubled + 1));
                break;
            }
        }
    }

    void Guitars() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel)) continue;
            if (IsGuitarProgram(options_.program[channel])) {
                Claim(PartKind::kGuitar, channel, "guitar instrument");
                continue;
            }
            for (const NamedTrack& track : profile_.tracks) {
                if (track.channel != channel || OtherPartNamed(track.name) != NamedPart::kGuitar) continue;
                Claim(PartKind::kGuitar, channel, Named(track));
                break;
            }
        }
    }

    const SongProfile& profile_;
    SongOptions& options_;
    bool choir_ = false;  // the tracks are named S, A, T, B as in a choir score
};

}  // namespace

void FindParts(const SongProfile& profile, SongOptions& options) { Finder(profile, options).Run(); }
