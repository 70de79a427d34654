// The records between the program and its playback worker, on two pipes:
// one kind byte, the payload's length (4 bytes, little-endian), the payload.
// The program sends commands (channels, tempo, a move to a measure); the
// worker sends blocks of samples, each with the position it plays, the
// end of the song, or why it cannot play.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/song_options.h"
#include "render/playback_session.h"

enum class PlaybackRecordKind : std::uint8_t {
    kChannels = 1,  // program: the mutes and turned-down channels (16 + 16 bytes, 0 or 1)
    kTempo = 2,     // program: the tempo percentage
    kSeek = 3,      // program: the measure to move to, and the move's number
    kKey = 4,       // program: the key, semitones from the song's own
    kBlock = 11,    // worker: the move's number, the position, then the sample frames
    kEnd = 12,      // worker: the song is over (after the move whose number it carries)
    kFailed = 13,   // worker: why the song cannot be played
};

struct PlaybackRecord {
    PlaybackRecordKind kind = PlaybackRecordKind::kEnd;
    std::string payload;
};

// A block of samples as the worker sent it.
struct PlayedBlock {
    std::uint32_t move = 0;  // the number of the move it was rendered after
    PlaybackPosition position;
    std::string frames;
};

std::string EncodeChannelsRecord(const SongOptions& options);
std::string EncodeTempoRecord(int percent);
std::string EncodeKeyRecord(int semitones);
std::string EncodeSeekRecord(int measure, std::uint32_t move);
std::string EncodeBlockRecord(std::uint32_t move, const PlaybackPosition& position, std::string_view frames);
std::string EncodeEndRecord(std::uint32_t move);
std::string EncodeFailedRecord(std::string_view text);

// Takes every complete record off the front of `buffer`; a partial one stays.
std::vector<PlaybackRecord> TakePlaybackRecords(std::string& buffer);
// The bytes still missing from the first record in `buffer` (0 when it is complete).
std::size_t MissingRecordBytes(const std::string& buffer);
// The payloads read back; each false when the payload is not of its size.
bool DecodeChannels(const std::string& payload, SongOptions& options);
bool DecodeTempo(const std::string& payload, int& percent);
bool DecodeKey(const std::string& payload, int& semitones);
bool DecodeSeek(const std::string& payload, int& measure, std::uint32_t& move);
bool DecodeBlock(std::string payload, PlayedBlock& block);
bool DecodeEnd(const std::string& payload, std::uint32_t& move);
