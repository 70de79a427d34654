// Encoding and decoding of the playback records.
#include "app/player/playback_records.h"

namespace {

constexpr std::size_t kHeaderBytes = 5;  // kind and length
constexpr std::size_t kWord = 4;
constexpr std::size_t kChannelsBytes = 2 * kMidiChannels;
constexpr std::size_t kBlockHeaderWords = 6;  // move, measure, beat, ms, tempo, percent

void PutU32(std::string& out, std::uint32_t value) {
    for (std::size_t i = 0; i < kWord; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < kWord; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

int GetI32(std::string_view bytes, std::size_t word) { return static_cast<int>(GetU32(bytes, word * kWord)); }

std::string Record(PlaybackRecordKind kind, std::string_view payload) {
    std::string record(1, static_cast<char>(kind));
    PutU32(record, static_cast<std::uint32_t>(payload.size()));
    record.append(payload);
    return record;
}

}  // namespace

std::string EncodeChannelsRecord(const SongOptions& options) {
    std::string payload;
    for (int channel = 0; channel < kMidiChannels; ++channel) payload.push_back(options.mute[channel] != 0 ? 1 : 0);
    for (int channel = 0; channel < kMidiChannels; ++channel) payload.push_back(options.volumeDown[channel] != 0 ? 1 : 0);
    return Record(PlaybackRecordKind::kChannels, payload);
}

std::string EncodeTempoRecord(int percent) {
    std::string payload;
    PutU32(payload, static_cast<std::uint32_t>(percent));
    return Record(PlaybackRecordKind::kTempo, payload);
}

std::string EncodeKeyRecord(int semitones) {
    std::string payload;
    PutU32(payload, static_cast<std::uint32_t>(semitones));
    return Record(PlaybackRecordKind::kKey, payload);
}

std::string EncodeSeekRecord(int measure, std::uint32_t move) {
    std::string payload;
    PutU32(payload, static_cast<std::uint32_t>(measure));
    PutU32(payload, move);
    return Record(PlaybackRecordKind::kSeek, payload);
}

std::string EncodeBlockRecord(std::uint32_t move, const PlaybackPosition& position, std::string_view frames) {
    std::string payload;
    PutU32(payload, move);
    for (int value : {position.measure, position.beat, position.ms, position.tempo, position.tempoPercent}) {
        PutU32(payload, static_cast<std::uint32_t>(value));
    }
    payload.append(frames);
    return Record(PlaybackRecordKind::kBlock, payload);
}

std::string EncodeEndRecord(std::uint32_t move) {
    std::string payload;
    PutU32(payload, move);
    return Record(PlaybackRecordKind::kEnd, payload);
}

std::string EncodeFailedRecord(std::string_view text) { return Record(PlaybackRecordKind::kFailed, text); }

std::vector<PlaybackRecord> TakePlaybackRecords(std::string& buffer) {
    std::vector<PlaybackRecord> records;
    std::size_t at = 0;
    while (buffer.size() - at >= kHeaderBytes) {
        const std::size_t length = GetU32(buffer, at + 1);
        if (buffer.size() - at - kHeaderBytes < length) break;
        records.push_back({static_cast<PlaybackRecordKind>(static_cast<unsigned char>(buffer[at])),
                           buffer.substr(at + kHeaderBytes, length)});
        at += kHeaderBytes + length;
    }
    buffer.erase(0, at);
    return records;
}

std::size_t MissingRecordBytes(const std::string& buffer) {
    if (buffer.size() < kHeaderBytes) return kHeaderBytes - buffer.size();
    const std::size_t whole = kHeaderBytes + GetU32(buffer, 1);
    return buffer.size() < whole ? whole - buffer.size() : 0;
}

bool DecodeChannels(const std::string& payload, SongOptions& options) {
    if (payload.size() != kChannelsBytes) return false;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        options.mute[channel] = payload[static_cast<std::size_t>(channel)] != 0;
        options.volumeDown[channel] = payload[static_cast<std::size_t>(kMidiChannels + channel)] != 0;
    }
    return true;
}

bool DecodeTempo(const std::string& payload, int& percent) {
    if (payload.size() != kWord) return false;
    percent = GetI32(payload, 0);
    return true;
}

bool DecodeKey(const std::string& payload, int& semitones) {
    if (payload.size() != kWord) return false;
    semitones = GetI32(payload, 0);
    return true;
}

bool DecodeSeek(const std::string& payload, int& measure, std::uint32_t& move) {
    if (payload.size() != 2 * kWord) return false;
    measure = GetI32(payload, 0);
    move = GetU32(payload, kWord);
    return true;
}

bool DecodeBlock(std::string payload, PlayedBlock& block) {
    if (payload.size() < kBlockHeaderWords * kWord) return false;
    block.move = GetU32(payload, 0);
    block.position = {GetI32(payload, 1), GetI32(payload, 2), GetI32(payload, 3), GetI32(payload, 4), GetI32(payload, 5)};
    payload.erase(0, kBlockHeaderWords * kWord);
    block.frames = std::move(payload);
    return true;
}

bool DecodeEnd(const std::string& payload, std::uint32_t& move) {
    if (payload.size() != kWord) return false;
    move = GetU32(payload, 0);
    return true;
}
