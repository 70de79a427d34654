// Hit rates of the part finder on real songs labelled by hand: for every
// song of partset.tsv that the set-up brought in, each part switch must take
// exactly the labelled channels (or nothing where the song has no such
// part), once with the song's own track names and once with every track and
// instrument name emptied. The rates must reach the goals.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/song/channel_profile.h"
#include "app/song/part_finder.h"
#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "model/song_options.h"
#include "platform/user_report.h"
#include "tone/channel_info.h"

namespace {

struct LabelledSong {
    std::string origin;
    std::string path;
    std::array<std::uint16_t, PartKind::kCount> parts{};
};

constexpr const char* kPartNames[] = {"melody", "guitar", "bass", "drums"};
// The label columns in the table's order (melody, bass, drums, guitar).
constexpr int kLabelColumns[] = {PartKind::kMelody, PartKind::kBass, PartKind::kDrums, PartKind::kGuitar};

std::uint16_t ChannelMask(const std::string& field) {
    std::uint16_t mask = 0;
    if (field == "-") return mask;
    std::stringstream list(field);
    std::string channel;
    while (std::getline(list, channel, ',')) mask |= static_cast<std::uint16_t>(1u << (std::stoi(channel) - 1));
    return mask;
}

std::vector<LabelledSong> ReadTable() {
    std::vector<LabelledSong> songs;
    std::ifstream table(OMBRIX_PARTSET_TABLE);
    std::string line;
    bool header = true;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream columns(line);
        std::string field;
        while (std::getline(columns, field, '\t')) fields.push_back(field);
        if (fields.size() < 8) continue;
        LabelledSong song{fields[0], fields[1], {}};
        for (int i = 0; i < 4; ++i) song.parts[kLabelColumns[i]] = ChannelMask(fields[4 + i]);
        songs.push_back(song);
    }
    return songs;
}

std::string SongFile(const LabelledSong& song) {
    std::string folder = song.origin;
    for (char& c : folder) c = (c == ':' || c == '/') ? '-' : c;
    return std::string(OMBRIX_PARTSET_SONGS) + "/" + folder + "/" + song.path;
}

// The channels the finder gives each part, with names or with every name emptied.
std::array<std::uint16_t, PartKind::kCount> FoundParts(const std::string& file, bool blankNames) {
    SongContainer song(1);
    CollectingReport report;
    const MidiFileLoad load = LoadMidiFile(file, song, report);
    std::array<std::uint16_t, PartKind::kCount> found{};
    if (load.result != 0) return found;
    if (blankNames) {
        for (std::string& name : song.partNames) name.clear();
    }
    SongOptions options;
    ResetSongOptions(options);
    ChannelInfoPass(song, options, nullptr);  // no tone library: every instrument name empty
    FindParts(ProfileSong(song, options.drumChannel, load.karaokeTicks), options);
    std::uint16_t used = 0;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] != 0) used |= static_cast<std::uint16_t>(1u << channel);
    }
    for (int part = 0; part < PartKind::kCount; ++part) found[part] = options.partChannels[part] & used;
    return found;
}

std::string Channels(std::uint16_t mask) {
    std::string text;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if ((mask >> channel) & 1) text += (text.empty() ? "" : ",") + std::to_string(channel + 1);
    }
    return text.empty() ? "-" : text;
}

struct Goal {
    int part;
    bool blank;
    double share;
};
constexpr Goal kGoals[] = {
    {PartKind::kMelody, false, 0.85}, {PartKind::kMelody, true, 0.75}, {PartKind::kBass, false, 0.90},
    {PartKind::kBass, true, 0.90},    {PartKind::kDrums, false, 0.95}, {PartKind::kGuitar, false, 0.85},
};
// Fewer songs than this and the rates say too little.
constexpr int kFewestSongs = 40;

TEST(PartFinderHitRate, ReachesTheGoalOnTheLabelledSongs) {
    const std::vector<LabelledSong> songs = ReadTable();
    ASSERT_GE(songs.size(), 80u);
    std::map<std::pair<int, bool>, int> hits;
    int present = 0;
    for (const LabelledSong& song : songs) {
        const std::string file = SongFile(song);
        if (!std::filesystem::exists(file)) continue;
        ++present;
        for (const bool blank : {false, true}) {
            const auto found = FoundParts(file, blank);
            for (int part = 0; part < PartKind::kCount; ++part) {
                if (found[part] == song.parts[part]) {
                    ++hits[{part, blank}];
                } else {
                    std::printf("miss %-6s %s %s: labelled %s, found %s\n", kPartNames[part], blank ? "blanked" : "named  ",
                                song.path.c_str(), Channels(song.parts[part]).c_str(), Channels(found[part]).c_str());
                }
            }
        }
    }
    if (present < kFewestSongs)
        GTEST_SKIP() << "only " << present << " of the " << songs.size() << " labelled songs could be had";
    for (int part = 0; part < PartKind::kCount; ++part) {
        std::printf("%-6s named %3d/%d (%.0f %%)  blanked %3d/%d (%.0f %%)\n", kPartNames[part], hits[{part, false}], present,
                    100.0 * hits[{part, false}] / present, hits[{part, true}], present, 100.0 * hits[{part, true}] / present);
    }
    for (const Goal& goal : kGoals) {
        const int hit = hits[{goal.part, goal.blank}];
        EXPECT_GE(hit, goal.share * present)
            << kPartNames[goal.part] << (goal.blank ? " with names blanked" : "") << " below " << goal.share * 100 << " %";
    }
}

}  // namespace
