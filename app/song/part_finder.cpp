// Rules of the part finder, in the order in which they claim channels.
#include "app/song/part_finder.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/song/part_names.h"
#include "tone/instrument_family.h"

namespace {

constexpr int kChannel16 = 15;
constexpr int kFirstGuitarProgram = 24;
constexpr int kLastGuitarProgram = 31;

// Registers, as note numbers.
constexpr int kMiddleC = 60;
constexpr int kD3 = 50;
constexpr int kG3 = 55;

// A weak name ("Lead") counts for a line this single and this high.
constexpr double kWeakNameMonophony = 0.6;
constexpr int kWeakNameLowestMedian = kG3;
// Lyrics say the melody when there are this many and this share of them
// falls on one channel's notes; a second channel within this share of the
// best is a tie, broken by the top voice.
constexpr int kFewestLyrics = 8;
constexpr double kSungShare = 0.6;
constexpr double kSungTie = 0.05;
// A line: this share of its notes alone, through this share of the measures.
constexpr double kLineMonophony = 0.7;
constexpr double kTopLineCoverage = 0.4;
constexpr double kLowLineCoverage = 0.5;
constexpr double kTopShare = 0.5;
constexpr double kBottomShare = 0.6;
// A drum kit by its notes: this share on the kick, snare and hi-hat keys.
constexpr double kDrumKeyShare = 0.7;
// A doubling: this share of a channel's notes start with the part's notes,
// and it has at least this many.
constexpr double kDoublingShare = 0.7;
constexpr int kFewestDoublingNotes = 8;

constexpr const char* kNoteNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

std::string NoteName(int note) { return std::string(kNoteNames[note % 12]) + std::to_string(note / 12 - 1); }

class Finder {
public:
    Finder(const SongProfile& profile, SongOptions& options) : profile_(profile), options_(options) {
        options_.partChannels.fill(0);
        for (std::string& reason : options_.partReason) reason.clear();
    }

    void Run() {
        Drums();
        const bool namedMelody = NamedMelody();
        const bool bass = NamedBass() || BassInstruments();
        const bool melody = namedMelody || LyricLine();
        if (!bass) LowestLine();
        if (!melody) TopLine();
        Doublings(PartKind::kBass, kMiddleC);
        Doublings(PartKind::kMelody, 128);
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

    void Drums() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (options_.drumChannel[channel] != 0) Claim(PartKind::kDrums, channel, "drum channel");
        }
        if (options_.drumChannel[kChannel16] != 0 || options_.channelUsed[kChannel16] == 0) return;
        const ChannelProfile& last = At(kChannel16);
        std::string reason;
        if (last.drumBank) reason = "drum kit bank";
        // Kick, snare and hi-hat keys struck together, on no bass instrument.
        if (last.kitPlayed && last.drumKeyShare >= kDrumKeyShare && last.monophony < kLineMonophony &&
            !IsBassInstrument(options_.program[kChannel16], options_.toneName[kChannel16]))
            reason = "drum notes";
        for (const NamedTrack& track : profile_.tracks) {
            if (track.channel == kChannel16 && OtherPartNamed(track.name) == NamedPart::kDrums)
                reason = "named \"" + track.name + "\"";
        }
        if (reason.empty()) return;
        options_.drumChannel[kChannel16] = 1;
        Claim(PartKind::kDrums, kChannel16, reason);
    }

    bool NamedMelody() {
        const NamedTrack* best = nullptr;
        int bestStrength = 0;
        for (const NamedTrack& track : profile_.tracks) {
            if (!Free(track.channel) || OtherPartNamed(track.name) == NamedPart::kDrums ||
                OtherPartNamed(track.name) == NamedPart::kBass)
                continue;
            const int strength = MelodyNameStrength(track.name);
            if (strength == 0) continue;
            const ChannelProfile& channel = At(track.channel);
            if (strength == 1 && (channel.monophony < kWeakNameMonophony || channel.median < kWeakNameLowestMedian))
                continue;
            if (best == nullptr || strength > bestStrength || (strength == bestStrength && track.notes > best->notes)) {
                best = &track;
                bestStrength = strength;
            }
        }
        if (best == nullptr) return false;
        Claim(PartKind::kMelody, best->channel, "named \"" + best->name + "\"");
        return true;
    }

    bool NamedBass() {
        const NamedTrack* best = nullptr;
        for (const NamedTrack& track : profile_.tracks) {
            if (!Free(track.channel) || OtherPartNamed(track.name) != NamedPart::kBass || At(track.channel).median >= kMiddleC)
                continue;
            if (best == nullptr || track.notes > best->notes) best = &track;
        }
        if (best == nullptr) return false;
        Claim(PartKind::kBass, best->channel, "named \"" + best->name + "\"");
        return true;
    }

    bool BassInstruments() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (Free(channel) && IsBassInstrument(options_.program[channel], options_.toneName[channel]) &&
                At(channel).median < kD3)
                Claim(PartKind::kBass, channel, "bass instrument, median " + NoteName(At(channel).median));
        }
        return Has(PartKind::kBass);
    }

    bool LyricLine() {
        if (profile_.lyrics < kFewestLyrics) return false;
        int best = -1;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || At(channel).sung < kSungShare * profile_.lyrics) continue;
            if (best < 0 || At(channel).sung > At(best).sung * (1 + kSungTie)) {
                best = channel;
            } else if (At(channel).sung >= At(best).sung * (1 - kSungTie) && At(channel).topShare > At(best).topShare) {
                best = channel;
            }
        }
        if (best < 0) return false;
        Claim(PartKind::kMelody, best, "lyrics");
        return true;
    }

    // The best single line by `score` among the free channels that pass `fits`;
    // of equals, `preferred` (the channel the original convention gives the part).
    template <typename Fits, typename Score>
    int BestLine(Fits fits, Score score, int preferred) const {
        int best = -1;
        double bestScore = 0;
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || !fits(At(channel))) continue;
            const double value = score(At(channel));
            if (best < 0 || value > bestScore || (value == bestScore && channel == preferred)) {
                best = channel;
                bestScore = value;
            }
        }
        return best;
    }

    void LowestLine() {
        const int channel = BestLine(
            [](const ChannelProfile& c) {
                return c.monophony >= kLineMonophony && c.coverage >= kLowLineCoverage && c.median < kG3 &&
                       c.bottomShare >= kBottomShare;
            },
            [](const ChannelProfile& c) { return c.bottomShare * c.coverage; }, 1);
        if (channel >= 0) Claim(PartKind::kBass, channel, "lowest line, median " + NoteName(At(channel).median));
    }

    void TopLine() {
        const int channel = BestLine(
            [](const ChannelProfile& c) {
                return c.monophony >= kLineMonophony && c.coverage >= kTopLineCoverage && c.median >= kG3 &&
                       c.topShare >= kTopShare;
            },
            [](const ChannelProfile& c) { return c.topShare * c.coverage; }, 3);
        if (channel >= 0) Claim(PartKind::kMelody, channel, "top line, median " + NoteName(At(channel).median));
    }

    // Channels below `below` (median) that double one of the part's channels.
    void Doublings(int part, int below) {
        const std::uint16_t core = options_.partChannels[part];
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel) || At(channel).notes < kFewestDoublingNotes || At(channel).median >= below) continue;
            for (int doubled = 0; doubled < kMidiChannels; ++doubled) {
                if (((core >> doubled) & 1) == 0 || At(channel).doubles[doubled] < kDoublingShare) continue;
                Claim(part, channel, "doubles channel " + std::to_string(doubled + 1));
                break;
            }
        }
    }

    void Guitars() {
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            if (!Free(channel)) continue;
            const int program = options_.program[channel];
            if (program >= kFirstGuitarProgram && program <= kLastGuitarProgram) {
                Claim(PartKind::kGuitar, channel, "guitar instrument");
                continue;
            }
            for (const NamedTrack& track : profile_.tracks) {
                if (track.channel != channel || OtherPartNamed(track.name) != NamedPart::kGuitar) continue;
                Claim(PartKind::kGuitar, channel, "named \"" + track.name + "\"");
                break;
            }
        }
    }

    const SongProfile& profile_;
    SongOptions& options_;
};

}  // namespace

void FindParts(const SongProfile& profile, SongOptions& options) { Finder(profile, options).Run(); }
