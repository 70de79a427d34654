// Byte-level reading of a MIDI file: header, variable-length numbers, event
// heads with running status, and the tick conversion.
#include "import/smf_buf.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/track_event.h"

namespace {
constexpr int kHeaderLengthAt = 4;
constexpr int kFormatAt = 8;
constexpr int kDivisionAt = 12;
constexpr int kVarLenContinue = 0x80;
constexpr int kSevenBits = 0x7F;
constexpr int kFirstStatus = 0x80;
constexpr int kFirstSystemStatus = 0xF0;
constexpr int kOneDataByteMask = 0xE0;  // program change and channel pressure share 0xC0
constexpr int kOneDataByteStatus = 0xC0;
constexpr int kNoSecondDataByte = 255;
constexpr int kQuarterFrame = 0xF1;
constexpr int kSongPosition = 0xF2;
constexpr int kSongSelect = 0xF3;
// Raw tick sums stay far below the point where x 96000 could overflow.
constexpr std::int64_t kMaxRawTicks = std::int64_t{1} << 40;
constexpr int kSmpteBit = 0x80;
// A RIFF file: "RIFF", its length, the form "RMID", then the chunks.
constexpr int kRiffFormAt = 8;
constexpr int kRiffFirstChunkAt = 12;
constexpr int kRiffChunkHeaderBytes = 8;
// Keeps every offset computed from the header inside an int.
constexpr std::int64_t kLargestHeaderOffset = std::int64_t{1} << 30;
// Song ticks of a second at the song's default 120 BPM.
constexpr int kSmpteSongTicksPerSecond = 2 * kTicksPerQuarter;
constexpr int kDropFrameRate = 29;
constexpr int kDropFrameHundredths = 2997;
constexpr int kHundredths = 100;

// A four-byte big-endian length.
std::int64_t BigEndian(const ChunkId& bytes) {
    return (std::int64_t{bytes[0]} << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
}
}  // namespace

bool IsChunkId(const ChunkId& id, const char* text) { return std::memcmp(id.data(), text, id.size()) == 0; }

bool IsTrackChunk(const ChunkId& id) {
    return IsChunkId(id, "MTrk") || IsChunkId(id, "XFIH") || IsChunkId(id, "XFKM");
}

int SmfBuf::OpenSmf(const std::string& path) {
    if (!file.Open(path)) return ImportResult::kFileNotFound;

    ChunkId id{};
    smfEnd_ = file.Length();
    file.Seek(0, Myifstream::SeekFrom::kBegin);
    if (file.Read4(id) && IsChunkId(id, "MThd")) {
        headerOffset = 0;
    } else if (IsChunkId(id, "RIFF")) {
        if (!FindRmidData()) {
            file.Close();
            return ImportResult::kNoHeader;
        }
    } else {
        file.Seek(kHeaderPrefixBytes, Myifstream::SeekFrom::kBegin);
        if (!(file.Read4(id) && IsChunkId(id, "MThd"))) {
            file.Close();
            return ImportResult::kNoHeader;
        }
        headerOffset = kHeaderPrefixBytes;
    }

    file.Seek(headerOffset + kHeaderLengthAt, Myifstream::SeekFrom::kBegin);
    ChunkId length{};
    const bool haveLength = file.Read4(length);
    file.Seek(headerOffset + kFormatAt, Myifstream::SeekFrom::kBegin);
    const int f1 = file.ReadByte();
    const int f2 = file.ReadByte();
    file.Seek(headerOffset + kDivisionAt, Myifstream::SeekFrom::kBegin);
    const int d1 = file.ReadByte();
    const int d2 = file.ReadByte();
    // A header cut short has no track chunk behind it.
    if (!haveLength || f1 < 0 || f2 < 0 || d1 < 0 || d2 < 0) {
        file.Close();
        return ImportResult::kNoTrack;
    }
    // A longer header may carry fields of a later revision: they are skipped.
    // One shorter than its three fields is no header.
    const std::int64_t headerLength = BigEndian(length);
    if (headerLength < kHeaderDataBytes) {
        file.Close();
        return ImportResult::kNoHeader;
    }
    firstChunkAt_ = headerOffset + kChunkHeaderBytes + headerLength;
    const int format = f1 * 256 + f2;
    division = d1 * 256 + d2;
    if (!SetTickScale(d1, d2)) {
        file.Close();
        return ImportResult::kNoHeader;
    }
    dataEnd_ = smfEnd_;
    declaredEnd_ = -1;

    // A header length that leads to no track chunk, in a file whose track
    // chunk stands right behind six bytes of header, is a wrong length field:
    // the chunks are read from there.
    const std::int64_t sixByteChunkAt = headerOffset + kChunkHeaderBytes + kHeaderDataBytes;
    if (!FindTrackChunkFrom(firstChunkAt_, true)) {
        if (firstChunkAt_ == sixByteChunkAt || !FindTrackChunkFrom(sixByteChunkAt, false)) {
            file.Close();
            return ImportResult::kNoTrack;
        }
        firstChunkAt_ = sixByteChunkAt;
    }
    return format;
}

bool SmfBuf::FindTrackChunkFrom(std::int64_t at, bool skipOtherChunks) {
    // Chunks of kinds this reader does not know may come first; a file
    // without any whole "MTrk" chunk header is no Standard MIDI File.
    file.Seek(at, Myifstream::SeekFrom::kBegin);
    ChunkId id{};
    for (;;) {
        if (!OpenChunk(id)) return false;
        if (IsChunkId(id, "MTrk")) return true;
        if (!skipOtherChunks) return false;
        file.Seek(skipTo_, Myifstream::SeekFrom::kBegin);
    }
}

bool SmfBuf::FindRmidData() {
    ChunkId form{};
    file.Seek(kRiffFormAt, Myifstream::SeekFrom::kBegin);
    if (!file.Read4(form) || !IsChunkId(form, "RMID")) return false;
    // RIFF chunks: identifier, little-endian length, data padded to an even
    // length.
    std::int64_t at = kRiffFirstChunkAt;
    ChunkId id{};
    ChunkId length{};
    while (file.Seek(at, Myifstream::SeekFrom::kBegin) == at && file.Read4(id) && file.Read4(length)) {
        const std::int64_t size = (std::int64_t{length[3]} << 24) | (length[2] << 16) | (length[1] << 8) | length[0];
        if (IsChunkId(id, "data")) {
            headerOffset = static_cast<int>(std::min<std::int64_t>(at + kRiffChunkHeaderBytes, kLargestHeaderOffset));
            smfEnd_ = std::min(file.Length(), at + kRiffChunkHeaderBytes + size);
            file.Seek(headerOffset, Myifstream::SeekFrom::kBegin);
            return file.Read4(id) && IsChunkId(id, "MThd");
        }
        at += kRiffChunkHeaderBytes + size + (size & 1);
    }
    return false;
}

bool SmfBuf::OpenChunk(ChunkId& id) {
    dataEnd_ = smfEnd_;
    declaredEnd_ = -1;
    // Running status never reaches from one chunk into the next.
    runningStatus = 0;
    ChunkId length{};
    if (!file.Read4(id) || !file.Read4(length) || file.Position() > smfEnd_) return false;
    const std::int64_t declared = BigEndian(length);
    // A length that runs past the data is not trusted: the chunk then ends
    // only at its end-of-track event or at the end of the data.
    skipTo_ = file.Position() + declared;
    if (declared <= Remaining()) declaredEnd_ = dataEnd_ = skipTo_;
    return true;
}

bool SmfBuf::OpenTrackChunk(ChunkId& id) {
    while (file.Position() < smfEnd_) {
        if (!OpenChunk(id)) return false;
        if (IsTrackChunk(id)) return true;
        file.Seek(skipTo_, Myifstream::SeekFrom::kBegin);
    }
    return false;
}

void SmfBuf::LeaveChunk() {
    if (declaredEnd_ >= 0) file.Seek(declaredEnd_, Myifstream::SeekFrom::kBegin);
    dataEnd_ = smfEnd_;
    declaredEnd_ = -1;
}

int SmfBuf::NextByte() { return file.Position() < dataEnd_ ? file.ReadByte() : -1; }

std::int64_t SmfBuf::Remaining() const { return std::max<std::int64_t>(dataEnd_ - file.Position(), 0); }

int SmfBuf::ReadVarLen() {
    int b = NextByte();
    if (b < 0) return 0;
    std::int64_t value = b & kSevenBits;
    while (b & kVarLenContinue) {
        b = NextByte();
        if (b < 0) break;
        value = std::min<std::int64_t>(value * 128 + (b & kSevenBits), std::numeric_limits<int>::max());
    }
    return static_cast<int>(value);
}

int SmfBuf::ReadEventHead() {
    const int b = NextByte();
    status = b;
    if (b < 0) return kChunkEnd;

    if (b < kFirstSystemStatus) {
        if (b >= kFirstStatus) {
            runningStatus = b;
            const int d = NextByte();
            if (d < 0) return kChunkEnd;
            data1 = d & kSevenBits;
        } else {
            // A data byte with no status before it: the chunk is broken here.
            if (runningStatus == 0) return kChunkEnd;
            data1 = b;
            status = runningStatus;
        }
        if ((status & kOneDataByteMask) == kOneDataByteStatus) {
            data2 = kNoSecondDataByte;
        } else {
            const int d = NextByte();
            if (d < 0) return kChunkEnd;
            data2 = d & kSevenBits;
        }
        return kEventRead;
    }

    if (b == SmfByte::kMeta) {
        data1 = NextByte();
        if (data1 < 0) return kChunkEnd;
        if (data1 == SmfByte::kMetaEndOfTrack) {
            NextByte();  // its length byte
            return kChunkEnd;
        }
        return kEventRead;
    }
    if (!HasLengthField()) {
        // System common and real-time messages: song position pointer (F2)
        // has two data bytes, time code quarter frame (F1) and song select
        // (F3) one, the rest none.
        const int count = b == kSongPosition ? 2 : (b == kQuarterFrame || b == kSongSelect) ? 1 : 0;
        data1 = data2 = 0;
        for (int i = 0; i < count; ++i) {
            const int d = NextByte();
            if (d < 0) return kChunkEnd;
            (i == 0 ? data1 : data2) = d & kSevenBits;
        }
    }
    return kEventRead;
}

bool SmfBuf::HasLengthField() const {
    return status == SmfByte::kExclusive || status == SmfByte::kEscape || status == SmfByte::kMeta;
}

bool SmfBuf::SetTickScale(int high, int low) {
    smpteTiming = (high & kSmpteBit) != 0;
    if (!smpteTiming) {
        // A division of 0 ticks per quarter cannot convert any time.
        tickScale_ = kTicksPerQuarter;
        tickDivisor_ = high * 256 + low;
        return tickDivisor_ != 0;
    }
    // Frames per second (negative in the high byte) and ticks per frame. The
    // song plays such a file at its default 120 BPM, where a second is two
    // quarters; 29 stands for the 29.97 frames of drop-frame timing.
    const int framesPerSecond = 256 - high;
    const int ticksPerFrame = low;
    if (ticksPerFrame == 0) return false;
    tickScale_ = kSmpteSongTicksPerSecond;
    tickDivisor_ = static_cast<std::int64_t>(framesPerSecond) * ticksPerFrame;
    if (framesPerSecond == kDropFrameRate) {
        tickScale_ *= kHundredths;
        tickDivisor_ = static_cast<std::int64_t>(kDropFrameHundredths) * ticksPerFrame;
    }
    return true;
}

void SmfBuf::RestartTicks() {
    rawTicks = 0;
    songTicks = 0;
}

int SmfBuf::AdvanceTicks(int delta) {
    // The song tick is taken from the accumulated raw count, so truncation
    // never adds up along a chunk.
    rawTicks = std::min(rawTicks + delta, kMaxRawTicks);
    const std::int64_t ticks = std::min<std::int64_t>(rawTicks * tickScale_ / tickDivisor_, kMaxImportTick);
    const auto moved = static_cast<int>(ticks - songTicks);
    songTicks = ticks;
    return moved;
}

void SmfBuf::SkipBytes(int count) {
    file.Seek(std::min<std::int64_t>(std::max(count, 0), Remaining()), Myifstream::SeekFrom::kCurrent);
}

std::string SmfBuf::ReadText(int length, int keep) {
    std::string text;
    const int kept = static_cast<int>(std::min<std::int64_t>({length, keep, Remaining()}));
    text.reserve(static_cast<std::size_t>(std::max(kept, 0)));
    for (int i = 0; i < kept; ++i) {
        const int b = NextByte();
        if (b < 0) break;
        text.push_back(static_cast<char>(b));
    }
    if (length > kept) SkipBytes(length - kept);
    return text;
}

bool SmfBuf::ReadBytes(std::uint8_t* out, int count) {
    for (int i = 0; i < count; ++i) {
        const int b = NextByte();
        if (b < 0) return false;
        out[i] = static_cast<std::uint8_t>(b);
    }
    return true;
}
