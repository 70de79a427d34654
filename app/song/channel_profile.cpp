// Channel profiles from one walk over the song's parts and a sweep over its notes.
#include "app/song/channel_profile.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

#include "model/slots.h"
#include "model/song_container.h"
#include "model/track.h"

namespace {

struct Note {
    int start;
    int end;
    int pitch;
    int channel;
};

// Two notes start together when they are this close (a 64th note).
constexpr int kTogether = kTicksPerQuarter / 16;
// A lyric is sung on a note that starts this close to it.
constexpr int kSungTolerance = kTicksPerQuarter / 8;
constexpr int kOctave = 12;
constexpr int kPitches = 128;

constexpr int kBankSelectMsb = 0;
constexpr int kDrumBanks[] = {120, 127};
// Drum kit keys: bass drums, snares and hand claps, hi-hats.
constexpr int kKickKeys[] = {35, 36};
constexpr int kSnareKeys[] = {37, 38, 39, 40};
constexpr int kHatKeys[] = {42, 44, 46};

template <std::size_t N>
bool OneOf(int key, const int (&keys)[N]) {
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

// Reads the notes, track names and drum banks of the port-0 parts.
void ReadParts(SongContainer& song, std::vector<Note>& notes, SongProfile& profile) {
    for (int part = 0; part < kPartCount; ++part) {
        const Track* track = song.SlotTrack(PartSlot(part));
        const int channel = song.partChannel[part];
        if (track == nullptr || channel >= kMidiChannels) continue;
        int tick = 0;
        int count = 0;
        for (int i = 0; i < track->count && !EventAt(*track, i).IsEnd(); ++i) {
            const TrackEvent& event = EventAt(*track, i);
            if (event.IsNote()) {
                notes.push_back({tick, tick + std::max<int>(event.Gate(), 1), event.Kind(), channel});
                ++count;
            } else if (event.Kind() == EventKind::kControl && event.U8(4) == kBankSelectMsb && count == 0 &&
                       OneOf(event.U8(5), kDrumBanks)) {
                profile.channels[channel].drumBank = true;
            }
            tick += event.Step();
        }
        if (!song.partNames[part].empty()) profile.tracks.push_back({song.partNames[part], channel, count});
    }
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.start < b.start; });
}

void Register(const std::vector<Note>& notes, int channel, ChannelProfile& profile) {
    std::vector<int> pitches;
    for (const Note& note : notes) {
        if (note.channel == channel) pitches.push_back(note.pitch);
    }
    profile.notes = static_cast<int>(pitches.size());
    if (pitches.empty()) return;
    std::sort(pitches.begin(), pitches.end());
    profile.median = pitches[pitches.size() / 2];
    profile.low = pitches[pitches.size() / 10];
    profile.high = pitches[pitches.size() - 1 - pitches.size() / 10];
    int kicks = 0;
    int snares = 0;
    int hats = 0;
    for (const int pitch : pitches) {
        kicks += OneOf(pitch, kKickKeys) ? 1 : 0;
        snares += OneOf(pitch, kSnareKeys) ? 1 : 0;
        hats += OneOf(pitch, kHatKeys) ? 1 : 0;
    }
    profile.drumKeyShare = static_cast<double>(kicks + snares + hats) / profile.notes;
    profile.kitPlayed = kicks > 0 && snares > 0 && hats > 0;
}

// Coverage in measures and monophony of every channel.
void CoverageAndMonophony(const std::vector<Note>& notes, SongProfile& profile) {
    if (notes.empty()) return;
    const int first = notes.front().start / kTicksPerWhole;
    int last = first;
    for (const Note& note : notes) last = std::max(last, (note.end - 1) / kTicksPerWhole);
    const int measures = last - first + 1;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        std::vector<bool> sounding(static_cast<std::size_t>(measures), false);
        std::vector<const Note*> own;
        for (const Note& note : notes) {
            if (note.channel != channel) continue;
            own.push_back(&note);
            for (int m = note.start / kTicksPerWhole; m <= (note.end - 1) / kTicksPerWhole; ++m)
                sounding[static_cast<std::size_t>(m - first)] = true;
        }
        if (own.empty()) continue;
        ChannelProfile& result = profile.channels[channel];
        result.coverage = static_cast<double>(std::count(sounding.begin(), sounding.end(), true)) / measures;
        int alone = 0;
        for (std::size_t i = 0; i < own.size(); ++i) {
            const bool chordBefore = i > 0 && own[i]->start - own[i - 1]->start < kTogether;
            const bool chordAfter = i + 1 < own.size() && own[i + 1]->start - own[i]->start < kTogether;
            if (!chordBefore && !chordAfter) ++alone;
        }
        result.monophony = static_cast<double>(alone) / static_cast<double>(own.size());
    }
}

// Top and bottom voice shares, from the notes sounding at each note start:
// counts of the sounding notes by pitch, of all melodic channels and of each,
// kept as the starts pass, so that dense songs cost no more than a scan of
// the pitches above and below each note.
void Voices(const std::vector<Note>& notes, const std::array<std::int32_t, kMidiChannels>& drumChannel,
            SongProfile& profile) {
    std::array<int, kMidiChannels> top{};
    std::array<int, kMidiChannels> bottom{};
    std::array<int, kMidiChannels> lineBottom{};
    std::array<std::array<int, kPitches>, kMidiChannels> own{};
    std::array<int, kPitches> all{};
    std::array<int, kPitches> lines{};  // the notes of the channels that play lines, not chords
    const auto playsLine = [&profile](int channel) { return profile.channels[channel].monophony >= kLineMonophony; };
    using Ending = std::pair<int, std::size_t>;  // end tick, note index
    std::priority_queue<Ending, std::vector<Ending>, std::greater<>> endings;
    for (std::size_t i = 0; i < notes.size();) {
        const int start = notes[i].start;
        std::size_t groupEnd = i;
        while (groupEnd < notes.size() && notes[groupEnd].start == start) ++groupEnd;
        while (!endings.empty() && endings.top().first <= start) {
            const Note& ended = notes[endings.top().second];
            --own[ended.channel][ended.pitch];
            --all[ended.pitch];
            if (playsLine(ended.channel)) --lines[ended.pitch];
            endings.pop();
        }
        for (std::size_t j = i; j < groupEnd; ++j) {
            if (drumChannel[notes[j].channel] != 0) continue;
            ++own[notes[j].channel][notes[j].pitch];
            ++all[notes[j].pitch];
            if (playsLine(notes[j].channel)) ++lines[notes[j].pitch];
            endings.push({notes[j].end, j});
        }
        for (std::size_t j = i; j < groupEnd; ++j) {
            const Note& note = notes[j];
            if (drumChannel[note.channel] != 0) continue;
            const auto others = [&](int pitch) { return all[pitch] - own[note.channel][pitch]; };
            bool highest = true;
            for (int pitch = note.pitch + 1; pitch < kPitches && highest; ++pitch) highest = others(pitch) == 0;
            bool lowest = true;
            for (int pitch = 0; pitch < note.pitch && lowest; ++pitch) lowest = others(pitch) == 0;
            // Below the other lines: a chord held under them is left out.
            const int ownLine = playsLine(note.channel) ? 1 : 0;
            bool lowestLine = true;
            for (int pitch = 0; pitch < note.pitch && lowestLine; ++pitch)
                lowestLine = lines[pitch] - ownLine * own[note.channel][pitch] == 0;
            top[note.channel] += highest ? 1 : 0;
            bottom[note.channel] += lowest ? 1 : 0;
            lineBottom[note.channel] += lowestLine ? 1 : 0;
        }
        i = groupEnd;
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        ChannelProfile& result = profile.channels[channel];
        if (result.notes == 0) continue;
        result.topShare = static_cast<double>(top[channel]) / result.notes;
        result.bottomShare = static_cast<double>(bottom[channel]) / result.notes;
        result.lineBottomShare = static_cast<double>(lineBottom[channel]) / result.notes;
    }
}

// The distinct note-start ticks of one channel, each with the pitch classes
// (bit per class) of the notes that start there.
struct Onsets {
    std::vector<int> ticks;
    std::vector<std::uint16_t> classes;
};

// For every pair of channels, the share of the first one's notes that start
// with a note of the second one in the same pitch class.
void Doublings(const std::vector<Note>& notes, SongProfile& profile) {
    std::array<Onsets, kMidiChannels> onsets;
    for (const Note& note : notes) {
        Onsets& own = onsets[note.channel];
        if (own.ticks.empty() || own.ticks.back() != note.start) {
            own.ticks.push_back(note.start);
            own.classes.push_back(0);
        }
        own.classes.back() |= static_cast<std::uint16_t>(1u << (note.pitch % kOctave));
    }
    std::array<std::array<int, kMidiChannels>, kMidiChannels> together{};
    for (const Note& note : notes) {
        const auto pitchClass = static_cast<std::uint16_t>(1u << (note.pitch % kOctave));
        for (int other = 0; other < kMidiChannels; ++other) {
            if (other == note.channel) continue;
            const Onsets& near = onsets[other];
            auto at = std::lower_bound(near.ticks.begin(), near.ticks.end(), note.start - kTogether);
            for (; at != near.ticks.end() && *at <= note.start + kTogether; ++at) {
                if ((near.classes[static_cast<std::size_t>(at - near.ticks.begin())] & pitchClass) == 0) continue;
                ++together[note.channel][other];
                break;
            }
        }
    }
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        ChannelProfile& result = profile.channels[channel];
        if (result.notes == 0) continue;
        for (int other = 0; other < kMidiChannels; ++other)
            result.doubles[other] = static_cast<double>(together[channel][other]) / result.notes;
    }
}

std::vector<int> LyricTicks(SongContainer& song, const std::vector<int>& textTicks) {
    std::vector<int> ticks = textTicks;
    if (const Track* track = song.SlotTrack(kLyricSlot)) {
        int tick = 0;
        for (int i = 0; i < track->count && !EventAt(*track, i).IsEnd(); ++i) {
            if (EventAt(*track, i).Kind() == EventKind::kLyric) ticks.push_back(tick);
            tick += EventAt(*track, i).Step();
        }
    }
    return ticks;
}

// Counts, per channel, the lyrics that fall on one of its note starts.
void Sung(const std::vector<Note>& notes, const std::vector<int>& lyrics, SongProfile& profile) {
    profile.lyrics = static_cast<int>(lyrics.size());
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        std::vector<int> starts;
        for (const Note& note : notes) {
            if (note.channel == channel) starts.push_back(note.start);
        }
        if (starts.empty()) continue;
        int sung = 0;
        for (const int tick : lyrics) {
            const auto near = std::lower_bound(starts.begin(), starts.end(), tick - kSungTolerance);
            if (near != starts.end() && *near <= tick + kSungTolerance) ++sung;
        }
        profile.channels[channel].sung = sung;
    }
}

}  // namespace

SongProfile ProfileSong(SongContainer& song, const std::array<std::int32_t, kMidiChannels>& drumChannel,
                        const std::vector<int>& textTicks) {
    SongProfile profile;
    std::vector<Note> notes;
    ReadParts(song, notes, profile);
    for (int channel = 0; channel < kMidiChannels; ++channel) Register(notes, channel, profile.channels[channel]);
    CoverageAndMonophony(notes, profile);
    Voices(notes, drumChannel, profile);
    Doublings(notes, profile);
    Sung(notes, LyricTicks(song, textTicks), profile);
    return profile;
}
