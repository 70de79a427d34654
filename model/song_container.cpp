// The song container: construction, the defaults Reset() restores, part names,
// information strings and the part notifications.
#include "model/song_container.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kPartsPerPort = 16;
constexpr int kLastPort = 15;
constexpr int kLastNamedPart = 263;  // Reset empties the names of parts 0-263
constexpr int kLastTrackPart = 255;  // parts above are named "Wave%d"
constexpr std::int16_t kDefaultMarkerKind = 1;
constexpr std::int16_t kDefaultAttributeWord = 4;

// Per part counters raised by a part notification: the first and the last.
constexpr int kFirstPartCounter = 0;
constexpr int kLastPartCounter = kPartCounterEntries - 1;

struct DefaultShortName {
    int part;
    const char* name;
};
constexpr DefaultShortName kDefaultShortNames[] = {
    {0, "Melo1"}, {1, "Bass1"}, {2, "Ac1"}, {3, "Ac2"}, {4, "Obli1"}, {9, "Drum1"},
};

bool ValidPart(int part) { return part >= 0 && part < kPartTableSize; }

std::uint8_t DefaultPartChannel(int part) {
    const int channel = part % kPartsPerPort;
    const int port = part < kPartCount ? std::min(part / kPartsPerPort, kLastPort) : 0;
    return static_cast<std::uint8_t>((port << 4) | channel);
}

}  // namespace

SongContainer::SongContainer(int hasPartTable)
    : TrackContainers(1, hasPartTable), exclusiveTable(std::make_unique<ExclusiveTable>()) {
    Reset();
    Prune();
}

SongContainer::~SongContainer() { ExclusiveClear(*exclusiveTable); }

void SongContainer::Reset() {
    seventhString.clear();
    fileMeters.clear();
    fileMarkers.clear();
    for (int part = 0; part < kPartTableSize; ++part) {
        partShortNames[static_cast<std::size_t>(part)].reset();
        partChannel[static_cast<std::size_t>(part)] = DefaultPartChannel(part);
    }
    for (int part = 0; part <= kLastNamedPart; ++part) partNames[static_cast<std::size_t>(part)].clear();
    for (const DefaultShortName& entry : kDefaultShortNames) SetShortName(entry.part, entry.name);
    RaiseCounter(Counter::kAllTracks);
    for (std::string& text : infoStrings) text.clear();

    // Song attributes: each value that actually changes is counted.
    if (songWord != kDefaultSongWord) {
        songWord = kDefaultSongWord;
        RaiseCounter(Counter::kSongWord);
        MarkModified();
    }
    if (attributeWord != kDefaultAttributeWord) {
        attributeWord = kDefaultAttributeWord;
        RaiseCounter(Counter::kSongAttributes);
        MarkModified();
    }
    for (std::uint8_t& byte : songBytes) {
        if (byte != 0) {
            byte = 0;
            RaiseCounter(Counter::kSongBytes);
            MarkModified();
        }
    }

    // The tempo track becomes one tempo event of 120.00 BPM and its end marker.
    CursorGuard tempo(*this, kTempoSlot);
    Track& track = *tempo->track;
    if (track.count > 1) {
        for (int i = 0; i < track.count - 1; ++i) ReleasePayload(EventAt(track, i), *tempo);
        tempo->position = 0;
        InsertSlots(*tempo, -(track.count - 1), true);
    }
    tempo->position = 0;
    InsertSlots(*tempo, 1, false);
    TrackEvent defaultTempo = MakeEvent(EventKind::kTempo);
    defaultTempo.SetI32(4, kDefaultTempo);
    Write(*tempo, defaultTempo, true);
    EnsureEndMarker(*tempo);

    for (int counter : {Counter::kResetA, Counter::kResetB, Counter::kResetC, Counter::kSongAttributes,
                        Counter::kSongStrings, Counter::kSongWord, Counter::kSongBytes}) {
        RaiseCounter(counter);
    }
    ExclusiveClear(*exclusiveTable);
    ClearSelection();
    RaiseCounter(Counter::kEditPosition);
    InsertMarker(kDefaultMarkerKind, 0, 0, std::string());
    MarkModified();
}

void SongContainer::SetPartName(const char* text, int part) {
    if (!ValidPart(part)) return;
    const std::string wanted = text ? text : "";
    if (wanted == DisplayName(part)) return;
    partNames[static_cast<std::size_t>(part)] = wanted;
    PartNotification(part, PartAttribute::kName);
    MarkModified();
}

void SongContainer::SetInfoString(int index, const char* text) {
    if (index < 0 || index >= InfoString::kCount) return;
    const std::string wanted = text ? text : "";
    std::string& current = infoStrings[static_cast<std::size_t>(index)];
    if (wanted == current) return;
    current = wanted;
    RaiseCounter(Counter::kSongStrings);
    MarkModified();
}

void SongContainer::NotifyPartChannel(int part) {
    if (!ValidPart(part)) return;
    PartNotification(part, PartAttribute::kChannel);
    RaiseCounter(Counter::kPartChannel);
}

std::string SongContainer::DisplayName(int part) const {
    if (!ValidPart(part)) return std::string();
    const std::string& name = partNames[static_cast<std::size_t>(part)];
    return name.empty() ? DefaultDisplayName(part) : name;
}

std::string SongContainer::DefaultDisplayName(int part) {
    if (part <= kLastTrackPart) return "Track" + std::to_string(part + 1);
    return "Wave" + std::to_string(part - kLastTrackPart);
}

std::string SongContainer::ShortName(int part) const {
    if (!ValidPart(part) || !partShortNames[static_cast<std::size_t>(part)]) return std::string();
    return partShortNames[static_cast<std::size_t>(part)].get();
}

void SongContainer::SetShortName(int part, const char* text) {
    if (!ValidPart(part)) return;
    auto& buffer = partShortNames[static_cast<std::size_t>(part)];
    const std::size_t length = std::min(std::strlen(text), static_cast<std::size_t>(kShortNameBytes - 1));
    if (buffer && std::strncmp(buffer.get(), text, kShortNameBytes - 1) == 0 && buffer[length] == '\0') return;
    if (!buffer) buffer = std::make_unique<char[]>(kShortNameBytes);
    std::memcpy(buffer.get(), text, length);
    buffer[length] = '\0';
    PartNotification(part, PartAttribute::kShortName);
    MarkModified();
}

void SongContainer::PartNotification(int part, std::uint32_t kind) {
    if (std::uint16_t* counters = PartCounters(part)) {
        ++counters[kFirstPartCounter];
        ++counters[kLastPartCounter];
    }
    NotifyPartAttribute(part, kind);
    RaiseCounter(Counter::kPartAttributes);
}
