// The song: a track container with per-part names and channel bytes, six
// information strings and the table of exclusive messages. Reset() defines
// what an empty song looks like.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/bar_map.h"
#include "model/exclusive_table.h"
#include "model/track_containers.h"

// Information string indexes the importer sets.
namespace InfoString {
constexpr int kTitle = 0;
constexpr int kLyricist = 1;
constexpr int kComposer = 2;
constexpr int kUnused = 3;
constexpr int kCopyright = 4;
constexpr int kComment = 5;
constexpr int kCount = 6;
}  // namespace InfoString

constexpr int kDefaultTempo = 12000;          // 120.00 BPM
constexpr std::int16_t kDefaultSongWord = -18;
constexpr int kShortNameBytes = 32;           // 31 characters and the terminator

class SongContainer : public TrackContainers {
public:
    explicit SongContainer(int hasPartTable);
    ~SongContainer() override;

    void MarkModified() override { modifiedFlag = 1; }
    int GetAttribute() override { return attributeWord; }

    // Restores the song's defaults: part channels and short names, empty
    // names and strings, the default tempo track, an empty exclusive table,
    // the default marker, no file meters or marker texts. Part and lyric tracks
    // are left alone.
    void Reset();
    // Stores a part name unless it equals the current (or default) name.
    void SetPartName(const char* text, int part);
    // Stores an information string (0-5) unless it is unchanged.
    void SetInfoString(int index, const char* text);
    // Reports a change of partChannel[part] that the caller already made.
    void NotifyPartChannel(int part);
    // The part's name, or "Track%d" / "Wave%d" when it has none.
    std::string DisplayName(int part) const;
    // "Track%d" with part + 1 for parts up to 255, "Wave%d" with part - 255 above.
    static std::string DefaultDisplayName(int part);
    // The part's short name, or an empty string when it has none.
    std::string ShortName(int part) const;
    bool HasShortName(int part) const { return partShortNames[part] != nullptr; }

    std::array<std::unique_ptr<char[]>, kPartTableSize> partShortNames;
    std::int16_t songWord = kDefaultSongWord;
    std::array<std::uint8_t, 6> songBytes{};
    std::array<std::string, InfoString::kCount> infoStrings;
    std::string seventhString;
    std::array<std::string, kPartTableSize> partNames;
    // Per part: (port << 4) | MIDI channel. Parts on port 0 sound; this is
    // also the track-to-channel table the engine routes by.
    std::array<std::uint8_t, kPartTableSize> partChannel{};
    std::unique_ptr<ExclusiveTable> exclusiveTable;
    std::int16_t attributeWord = 4;
    // The time signatures and markers of the file as it states them (the
    // measure track holds the meters as the engine plays them).
    std::vector<MeterChange> fileMeters;
    std::vector<SongMarker> fileMarkers;

private:
    void SetShortName(int part, const char* text);
    void PartNotification(int part, std::uint32_t kind);
};
