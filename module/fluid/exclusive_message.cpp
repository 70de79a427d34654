// Byte patterns of the exclusive messages the module handles itself.

#include "module/fluid/exclusive_message.h"

namespace {

constexpr std::uint8_t kExclusiveStart = 0xF0;
constexpr std::uint8_t kExclusiveEnd = 0xF7;

// GS data set (DT1): F0 41 <device> 42 12 <a1 a2 a3> <data> <checksum> F7.
constexpr std::uint8_t kRolandId = 0x41;
constexpr std::uint8_t kGsModelId = 0x42;
constexpr std::uint8_t kDataSetCommand = 0x12;
constexpr std::size_t kGsOneByteMessageLength = 11;

// Universal non-real-time General MIDI: F0 7E <device> 09 <01 on | 03 GM2 on> F7.
constexpr std::uint8_t kUniversalNonRealTime = 0x7E;
constexpr std::uint8_t kGeneralMidiSubId = 0x09;
constexpr std::uint8_t kGmSystemOn = 0x01;
constexpr std::uint8_t kGm2SystemOn = 0x03;
constexpr std::size_t kGmMessageLength = 6;

// GS addresses: the system reset, and "use for rhythm part" (40 1x 15).
constexpr std::uint8_t kGsResetAddress[3] = {0x40, 0x00, 0x7F};
constexpr std::uint8_t kGsResetValue = 0x00;
constexpr std::uint8_t kGsPartBlock = 0x40;
constexpr std::uint8_t kGsPartParameterHigh = 0x10;
constexpr std::uint8_t kGsRhythmPartParameter = 0x15;

// A GS checksum makes the address bytes, data bytes and itself sum to a
// multiple of 128.
bool GsChecksumOk(const std::uint8_t* firstAddressByte, const std::uint8_t* checksum) {
    unsigned sum = 0;
    for (const std::uint8_t* p = firstAddressByte; p <= checksum; ++p) sum += *p;
    return (sum & 0x7F) == 0;
}

bool AllDataBytes(const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] & 0x80) return false;
    }
    return true;
}

}  // namespace

int ChannelOfGsPart(int partNibble) {
    const int part = partNibble & 0x0F;
    if (part == 0) return kDrumChannelIndex;
    return part <= 9 ? part - 1 : part;
}

ExclusiveAction ClassifyExclusive(const std::uint8_t* data, std::size_t length) {
    ExclusiveAction action;
    if (data == nullptr || length < 2 || data[0] != kExclusiveStart || data[length - 1] != kExclusiveEnd ||
        !AllDataBytes(data + 1, length - 2)) {
        action.kind = ExclusiveAction::Kind::kIgnore;
        return action;
    }

    if (length == kGmMessageLength && data[1] == kUniversalNonRealTime && data[3] == kGeneralMidiSubId &&
        (data[4] == kGmSystemOn || data[4] == kGm2SystemOn)) {
        action.kind = ExclusiveAction::Kind::kReset;
        return action;
    }

    if (length == kGsOneByteMessageLength && data[1] == kRolandId && data[3] == kGsModelId &&
        data[4] == kDataSetCommand && GsChecksumOk(data + 5, data + 9)) {
        const std::uint8_t* address = data + 5;
        const std::uint8_t value = data[8];
        if (address[0] == kGsResetAddress[0] && address[1] == kGsResetAddress[1] &&
            address[2] == kGsResetAddress[2] && value == kGsResetValue) {
            action.kind = ExclusiveAction::Kind::kReset;
        } else if (address[0] == kGsPartBlock && (address[1] & 0xF0) == kGsPartParameterHigh &&
                   address[2] == kGsRhythmPartParameter) {
            action.kind = ExclusiveAction::Kind::kSetRhythmPart;
            action.channel = ChannelOfGsPart(address[1]);
            action.drum = value != 0;
        }
    }
    return action;
}
