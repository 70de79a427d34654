// Lyric clean-up and the part-enable pass.
#include "import/song_passes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/song_container.h"

namespace {
constexpr int kLyricFlagBytes = 4;
constexpr int kLyricTextBytes = 32;
constexpr std::uint8_t kChannelMask = 0x0F;
}  // namespace

// Texts are UTF-8, where no byte of a multibyte character is an ASCII
// character, so these single-byte tests never cut one apart.
std::string CleanLyricText(const std::string& text) {
    std::string cleaned = text;
    if (!cleaned.empty() && cleaned.back() == '/') cleaned.pop_back();
    if (!cleaned.empty() && cleaned.front() == '<') cleaned.erase(0, 1);
    cleaned.erase(std::remove(cleaned.begin(), cleaned.end(), '>'), cleaned.end());
    return cleaned;
}

void CleanUpLyrics(SongContainer& song) {
    if (song.SlotTrack(kLyricSlot) == nullptr) return;
    CursorGuard lyrics(song, kLyricSlot);
    DataPool& pool = song.Pool(PoolId::kText);
    const Track& track = *lyrics->track;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.IsEnd()) break;
        if (event.Kind() != EventKind::kLyric) continue;

        std::array<std::uint8_t, kLyricFlagBytes + kLyricTextBytes + 1> record{};
        int stored = 0;
        const int index = event.U16(4);
        if (!PoolRead(pool, index, static_cast<int>(record.size()), record.data(), &stored)) continue;
        if (stored <= kLyricFlagBytes) continue;
        const int readable = std::min<int>(stored, static_cast<int>(record.size())) - kLyricFlagBytes;
        const char* text = reinterpret_cast<const char*>(record.data() + kLyricFlagBytes);
        const std::string original(text, strnlen(text, static_cast<std::size_t>(readable)));
        const std::string cleaned = CleanLyricText(original);
        if (cleaned == original) continue;

        std::vector<std::uint8_t> payload(kLyricFlagBytes + cleaned.size() + 1, 0);
        std::copy(record.begin(), record.begin() + kLyricFlagBytes, payload.begin());
        std::copy(cleaned.begin(), cleaned.end(), payload.begin() + kLyricFlagBytes);
        PoolReplace(index, pool, payload.data(), static_cast<int>(payload.size()));
    }
}

void EnablePlayingParts(SongContainer& song) {
    int highest = -1;
    for (int slot = kLastPartSlot; slot >= kFirstPartSlot && highest < 0; --slot) {
        if (song.SlotTrack(slot) == nullptr) continue;
        CursorGuard part(song, slot);
        if (part->track->count >= 2) highest = slot;  // an event besides the end marker
    }
    if (highest <= kFirstPartSlot) return;
    for (int slot = kFirstPartSlot; slot <= highest; ++slot) {
        const int p = slot - kFirstPartSlot;
        const auto onPortZero = static_cast<std::uint8_t>(song.partChannel[p] & kChannelMask);
        if (onPortZero == song.partChannel[p]) continue;
        song.partChannel[p] = onPortZero;
        song.NotifyPartChannel(p);
        song.MarkModified();
    }
}
