// The file side of the MIDI file importer: the open file, its header, the
// event head just read (with running status), variable-length numbers, the
// conversion of file ticks to the song's 480 per quarter, and the values the
// lead-in scan of the first chunk collects.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/measure.h"
#include "model/track_event.h"
#include "platform/byte_file.h"

// Results of opening a MIDI file (and of the whole import).
namespace ImportResult {
constexpr int kOk = 0;
constexpr int kFileNotFound = -1;
constexpr int kNoHeader = -2;  // no "MThd" (at byte 0, 128 or in an RMID "data" chunk), a header shorter than
                               // 6 bytes, or a division that counts no time
constexpr int kNoTrack = -4;   // no "MTrk" chunk in the file
constexpr int kTooLarge = -5;  // the song would hold more events than the import allows
}  // namespace ImportResult

// ReadEventHead's answers.
constexpr int kEventRead = 0;
constexpr int kChunkEnd = 1;

// Where "MThd" may stand besides byte 0: behind a 128-byte prefix (or at the
// start of the "data" chunk of a RIFF "RMID" file).
constexpr int kHeaderPrefixBytes = 128;
// "MThd" and its length take 8 bytes; its data (format, track count,
// division) 6 more. A longer header's further bytes are skipped.
constexpr int kChunkHeaderBytes = 8;
constexpr int kHeaderDataBytes = 6;
// Song ticks are kept at or below this (4.8 hours at 120 BPM), so that a
// file with absurd delta times cannot make the song grow without bound.
constexpr int kMaxImportTick = 1 << 24;
// Events the writer may store for one song (50 MB of events; a 4 MB file
// of messages makes at most 1.4 million). Notes held for hours are split
// into thousands of pieces each; a file that would need more is refused
// instead of filling the memory.
constexpr std::int64_t kMaxSongEvents = std::int64_t{1} << 22;

// Status and meta bytes of the file format.
namespace SmfByte {
constexpr int kExclusive = 0xF0;
constexpr int kEscape = 0xF7;
constexpr int kMeta = 0xFF;
constexpr int kMetaText = 0x01;
constexpr int kMetaCopyright = 0x02;
constexpr int kMetaTrackName = 0x03;
constexpr int kMetaLyric = 0x05;
constexpr int kMetaMarker = 0x06;
constexpr int kMetaPort = 0x21;
constexpr int kMetaEndOfTrack = 0x2F;
constexpr int kMetaTempo = 0x51;
constexpr int kMetaSmpteOffset = 0x54;
constexpr int kMetaTimeSignature = 0x58;
constexpr int kMetaKeySignature = 0x59;
}  // namespace SmfByte

// A four-byte chunk identifier.
using ChunkId = std::array<std::uint8_t, 4>;
bool IsChunkId(const ChunkId& id, const char* text);

// The chunk identifiers read as track chunks ("XFIH" and "XFKM" carry meta
// events like a track).
bool IsTrackChunk(const ChunkId& id);

class SmfBuf {
public:
    // Opens the file and checks its header. Returns the format (0 or more),
    // or ImportResult::kFileNotFound / kNoHeader / kNoTrack (the file is then
    // closed).
    int OpenSmf(const std::string& path);
    // Reads the 8-byte header of the chunk at the position and limits reading
    // to its declared length when that fits in the file. False when the
    // header is cut off by the end of the file.
    bool OpenChunk(ChunkId& id);
    // Leaves the open chunk: the position moves to its declared end (or stays
    // where reading stopped when the length runs past the file).
    void LeaveChunk();
    // Opens the next track chunk from the position on, skipping chunks of
    // other kinds by their length. False when the file holds no more.
    bool OpenTrackChunk(ChunkId& id);
    // The next byte of the open chunk (of the file outside chunks), or -1 at
    // its end.
    int NextByte();
    // Bytes left before the end of the open chunk.
    std::int64_t Remaining() const;
    // Reads a variable-length number; stops at the end of the data and
    // saturates instead of overflowing.
    int ReadVarLen();
    // Reads a status (applying running status) and its data bytes, or a meta
    // type. A one-byte system message (system common or real time) is read
    // with the data bytes its status has, leaving running status as it was.
    // Returns kEventRead, or kChunkEnd at an end-of-track event, at the end of
    // the data, or at a data byte with no running status before it.
    int ReadEventHead();
    // True for the events whose head is followed by a variable-length count
    // of bytes: exclusive messages, escapes and meta events.
    bool HasLengthField() const;
    // Adds a delta time in file ticks; returns how far the song tick moved.
    int AdvanceTicks(int delta);
    // Sets the tick conversion from the header's division bytes; false for
    // a division that counts no time (0 ticks per quarter or per frame).
    bool SetTickScale(int high, int low);
    // Restarts the tick conversion at the start of a chunk.
    void RestartTicks();
    // Skips `count` bytes (at most to the end of the chunk).
    void SkipBytes(int count);
    // Reads a text of `length` bytes keeping at most `keep` of them; the rest
    // is skipped. Stops early at the end of the data.
    std::string ReadText(int length, int keep);
    // Where the first chunk behind the header starts.
    std::int64_t FirstChunkAt() const { return firstChunkAt_; }

    // Fills title, copyright and comment and the current meter and key from
    // tick 0 of the first chunk.
    void ScanLeadingInfo();

    std::string titleText;  // at most 127 bytes
    int headerOffset = 0;
    Myifstream file;
    int division = 0;
    // The division's top bit: times count frames of a second, not quarters.
    bool smpteTiming = false;
    std::string copyrightText;  // at most 127 bytes
    std::string commentText;    // at most 999 bytes
    int keySharpsFlats = 0;
    int keyMinor = 0;
    std::uint8_t timeSignature = kDefaultTimeSignature;
    int measureLength = kTicksPerWhole;
    int status = 0;
    int data1 = 0;  // first data byte, or the meta type
    int data2 = 0;  // second data byte; 255 for program change and channel pressure
    int runningStatus = 0;  // 0: none yet; every chunk starts without one
    std::int64_t rawTicks = 0;
    std::int64_t songTicks = 0;

protected:
    // In a RIFF "RMID" file, finds the "data" chunk and the header at its
    // start; false when there is none.
    bool FindRmidData();
    // Whether a whole "MTrk" chunk header starts at `at` or, with
    // `skipOtherChunks`, behind chunks of other kinds from there.
    bool FindTrackChunkFrom(std::int64_t at, bool skipOtherChunks);
    // Reads `count` bytes into `out`; false when the data ends first.
    bool ReadBytes(std::uint8_t* out, int count);

private:
    // Song ticks = raw ticks x tickScale_ / tickDivisor_.
    std::int64_t tickScale_ = kTicksPerQuarter;
    std::int64_t tickDivisor_ = 1;
    std::int64_t firstChunkAt_ = 0;
    std::int64_t smfEnd_ = 0;       // end of the MIDI file data: the file's, or its RIFF chunk's
    std::int64_t dataEnd_ = 0;      // reads stop here: the chunk's end, or the file's
    std::int64_t declaredEnd_ = -1; // where the next chunk starts; -1: where reading stopped
    std::int64_t skipTo_ = 0;       // the declared end, even past the file
};
