// Exclusive messages of the chunk parser: whole messages, messages split into
// packets (an F0 event without its closing F7, continued by F7 events up to
// the one that ends with F7) and whole messages carried by an F7 escape.
#include <algorithm>
#include <vector>

#include "import/imp_smf.h"
#include "model/exclusive_table.h"

namespace {
constexpr std::uint8_t kPlaceholderStatus = 0xF8;
constexpr std::uint8_t kEndOfExclusive = 0xF7;
constexpr std::uint8_t kFirstStatusByte = 0x80;
// An exclusive entry's length is a 16-bit count that includes the leading 0xF0.
constexpr std::size_t kMaxExclusiveBytes = 0xFFFF;

// F0, data bytes, F7: one message and nothing else.
bool IsWholeMessage(const std::vector<std::uint8_t>& data) {
    if (data.size() < 2 || data.front() != SmfByte::kExclusive || data.back() != kEndOfExclusive) return false;
    return std::all_of(data.begin() + 1, data.end() - 1, [](std::uint8_t b) { return b < kFirstStatusByte; });
}
}  // namespace

int ImpSmf::BeginExclusive() {
    const WriterMessage message =
        exclusiveOverflow_ ? WriterMessage::Channel(kPlaceholderStatus, 0, 0, currentSlot_)
                           : WriterMessage::Exclusive(static_cast<std::uint16_t>(exclusiveCount_), currentSlot_);
    WriteMessage(message, currentTick_);
    chunkTouched_[currentSlot_] = 1;
    // The first message past the table's share keeps an empty entry; later
    // ones get only a rest, which stores no event.
    if (exclusiveOverflow_ || exclusiveCount_ >= kMaxStoredExclusives) {
        exclusiveOverflow_ = 1;
        return -1;
    }
    return exclusiveCount_++;
}

void ImpSmf::StoreExclusive(SongContainer& song, int index, const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > kMaxExclusiveBytes) return;
    if (ExclusiveStore(index, *song.exclusiveTable, static_cast<int>(bytes.size()), bytes.data()) != 0)
        exclusiveOverflow_ = 1;
}

void ImpSmf::FinishPacket(SongContainer& song) {
    if (!packetOpen_) return;
    packetOpen_ = false;
    if (packetIndex_ >= 0) StoreExclusive(song, packetIndex_, packet_);
    packet_.clear();
}

void ImpSmf::ExclusiveMessage(SongContainer& song) {
    // A message still waiting for its packets never got them.
    FinishPacket(song);
    const int index = BeginExclusive();
    const int length = ReadVarLen();
    // A message cut off by the end of its chunk is not stored: its event
    // keeps an empty entry, which sends nothing.
    if (length > Remaining()) {
        SkipBytes(length);
        return;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length) + 1);
    bytes[0] = SmfByte::kExclusive;
    ReadBytes(bytes.data() + 1, length);
    packetOpen_ = true;
    packetIndex_ = index;
    packet_ = std::move(bytes);
    if (packet_.back() == kEndOfExclusive) FinishPacket(song);
}

void ImpSmf::EscapeEvent(SongContainer& song) {
    const int length = ReadVarLen();
    if (length > Remaining()) {
        SkipBytes(length);
        return;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
    ReadBytes(data.data(), length);
    if (packetOpen_) {
        // Past the longest entry the rest is not kept: the message stays empty.
        if (packet_.size() <= kMaxExclusiveBytes) packet_.insert(packet_.end(), data.begin(), data.end());
        if (!data.empty() && data.back() == kEndOfExclusive) FinishPacket(song);
        return;
    }
    // Any other escape (real-time bytes and the like) leaves no trace.
    if (!IsWholeMessage(data)) return;
    const int index = BeginExclusive();
    if (index >= 0) StoreExclusive(song, index, data);
}
