// The import driver: opening, the home-channel pre-scan, the chunk loop,
// chunk parsing, channel and exclusive messages, and the passes after it.
#include "import/imp_smf.h"

#include <algorithm>
#include <memory>
#include <string>

#include "import/song_passes.h"
#include "platform/standard_error.h"

namespace {
constexpr int kChannelMask = 0x0F;
constexpr int kStatusMask = 0xF0;
constexpr int kPortMask = 0xF0;
constexpr int kMidiChannels = 16;

// Empties a track, releasing the payloads of its events first.
void EmptyTrack(TrackCursor& cursor) {
    Track& track = *cursor.track;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent event = EventAt(track, i);
        ReleasePayload(event, cursor);
    }
    ClearTrack(track);
    Seek(cursor, 0, 0);
}
}  // namespace

int ImpSmf::ImportSmf(const std::string& path, SongContainer& song, UserReport& report) {
    measureLength = kTicksPerWhole;
    timeSignature = kDefaultTimeSignature;
    keySharpsFlats = 0;
    keyMinor = 0;
    exclusiveCount_ = 0;
    exclusiveOverflow_ = 0;
    packetOpen_ = false;
    packet_.clear();
    timeSigHistory_.clear();
    preCount = PreCount{};

    const int opened = OpenSmf(path);
    if (opened < 0) {
        report.Report(opened == ImportResult::kFileNotFound ? "FileNotFound" : "File is not SMF");
        return opened;
    }
    format_ = opened;

    ScanLeadingInfo();
    song.SetInfoString(InfoString::kTitle, titleText.c_str());
    song.SetInfoString(InfoString::kCopyright, copyrightText.c_str());
    song.SetInfoString(InfoString::kComment, commentText.c_str());

    OpenCursors(song);
    for (int s = kFirstPartSlot; s <= kLastPartSlot; ++s) homeChannel_[s] = (s - kFirstPartSlot) % kMidiChannels;
    if (format_ == 1) {
        chunkNumber_ = 0;
        ScanHomeChannels();
        OpenSmf(path);
    }
    firstHomeSlot_.fill(0);
    for (int s = kLastPartSlot; s >= kFirstPartSlot; --s) firstHomeSlot_[homeChannel_[s]] = s;

    chunkNumber_ = 0;
    shift_ = false;
    SetGrid(kImportGrid);
    file.Seek(FirstChunkAt(), Myifstream::SeekFrom::kBegin);
    ChunkId id{};
    // Chunks beyond the last part slot have nowhere to go.
    while (ChunkSlot() <= kLastPartSlot && OpenTrackChunk(id)) {
        channelSeen_ = 0;
        currentTick_ = 0;
        currentSlot_ = ChunkSlot();
        BeginWriting();
        SetExactMode(true);
        for (auto& cursor : slotCursors_) Seek(*cursor, 0, 0);
        chunkTouched_.fill(0);

        ParseTrackChunk(song);
        CloseChunk();
        if (EventLimitReached()) break;

        // A first chunk without channel messages (tempo, meter and the like)
        // does not use up a part.
        if (chunkNumber_ == 0 && !channelSeen_) shift_ = true;
        ++chunkNumber_;
    }

    if (EventLimitReached()) {
        CloseCursors();
        file.Close();
        WriteErrorLine(path + ": not imported: the song would need more than " + std::to_string(eventLimit) +
                       " events (notes held for hours without a note-off, or far too many notes)");
        report.Report("File is too large");
        return ImportResult::kTooLarge;
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (!staged_[slot].Empty()) staged_[slot].WriteInto(*slotCursors_[slot]);
    if (!stagedLyrics_.Empty()) stagedLyrics_.WriteInto(*lyricCursor_);
    CloseCursors();
    file.Close();
    preCount = ComputePreCount(timeSigHistory_, currentTick_);
    for (const TimeSigEntry& entry : timeSigHistory_) {
        song.fileMeters.push_back({entry.startTick, entry.numerator, entry.denominator});
    }
    CleanUpLyrics(song);
    EnablePlayingParts(song);
    return ImportResult::kOk;
}

void ImpSmf::OpenCursors(SongContainer& song) {
    lyricCursor_ = song.NewCursor(kLyricSlot);
    EmptyTrack(*lyricCursor_);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        slotCursors_[slot] = song.NewCursor(slot);
        EmptyTrack(*slotCursors_[slot]);
    }
    // The writer writes each chunk into tracks of its own, which are
    // gathered when the chunk ends.
    staging_ = std::make_unique<TrackContainers>(0, 0);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slot != kTempoSlot && !IsPartSlot(slot)) continue;
        stagingCursors_[slot] = staging_->NewCursor(slot);
        SetCursor(slot, stagingCursors_[slot].get());
    }
    for (auto& staged : staged_) staged = StagedEvents{};
    stagedLyrics_ = StagedEvents{};
    SetEventLimit(eventLimit);
    measureEnd_ = 0;
}

void ImpSmf::CloseCursors() {
    ForgetCursors();
    for (auto& cursor : stagingCursors_) cursor.reset();
    staging_.reset();
    for (auto& cursor : slotCursors_) cursor.reset();
    lyricCursor_.reset();
}

int ImpSmf::ChunkSlot() const { return (shift_ ? kFirstPartSlot - 1 : kFirstPartSlot) + chunkNumber_; }

void ImpSmf::ScanHomeChannels() {
    file.Seek(FirstChunkAt(), Myifstream::SeekFrom::kBegin);
    shift_ = false;
    ChunkId id{};
    // The same chunks as the chunk loop, so that both number the slots alike.
    while (ChunkSlot() <= kLastPartSlot && OpenTrackChunk(id)) {
        channelSeen_ = 0;
        currentSlot_ = ChunkSlot();
        for (;;) {
            ReadVarLen();
            if (ReadEventHead() != kEventRead) break;
            if (status < SmfByte::kExclusive) {
                if (!channelSeen_) homeChannel_[currentSlot_] = status & kChannelMask;
                channelSeen_ = 1;
            } else if (HasLengthField()) {
                SkipBytes(ReadVarLen());
            }
        }
        LeaveChunk();
        if (chunkNumber_ == 0 && !channelSeen_) shift_ = true;
        ++chunkNumber_;
    }
    file.Close();
}

void ImpSmf::ParseTrackChunk(SongContainer& song) {
    RestartTicks();
    for (;;) {
        currentTick_ += AdvanceTicks(ReadVarLen());
        if (ReadEventHead() != kEventRead) {
            FinishPacket(song);
            FlushHeldNotes(currentTick_);
            SetCurrentTime(currentTick_);
            LeaveChunk();
            return;
        }
        if (status < SmfByte::kExclusive)
            ChannelMessage(song);
        else if (status == SmfByte::kExclusive)
            ExclusiveMessage(song);
        else if (status == SmfByte::kMeta)
            MetaEvent(song);
        else if (status == SmfByte::kEscape)
            EscapeEvent(song);
        // Other system messages, read with their data bytes, leave no trace.
    }
}

void ImpSmf::CloseChunk() {
    CloseHeldNotes();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!stagingCursors_[slot]) continue;
        // Every track the chunk sent messages to reaches the chunk's end.
        if (chunkTouched_[slot]) staged_[slot].Reach(CurrentTime());
        if (!Touched(slot)) continue;
        TrackCursor& staging = *stagingCursors_[slot];
        staged_[slot].AddTrack(*staging.track);
        ClearTrack(*staging.track);
        Seek(staging, 0, 0);
    }
}

void ImpSmf::ChannelMessage(SongContainer& song) {
    const int channel = status & kChannelMask;
    int slot = currentSlot_;
    if (format_ == 0) {
        slot = PartSlot(channel);
    } else {
        if (!channelSeen_) {
            // The chunk's first channel message names its part's channel.
            const int part = currentSlot_ - kFirstPartSlot;
            const std::uint8_t old = song.partChannel[part];
            const auto wanted = static_cast<std::uint8_t>((old & kPortMask) | channel);
            if (wanted != old) {
                song.partChannel[part] = wanted;
                song.NotifyPartChannel(part);
                song.MarkModified();
            }
        }
        if (homeChannel_[currentSlot_] != channel && firstHomeSlot_[channel] != 0) slot = firstHomeSlot_[channel];
    }
    WriteMessage(WriterMessage::Channel(static_cast<std::uint8_t>(status & kStatusMask),
                                        static_cast<std::uint8_t>(data1), static_cast<std::uint8_t>(data2), slot),
                 currentTick_);
    chunkTouched_[slot] = 1;
    channelSeen_ = 1;
}

void ImpSmf::MetaEvent(SongContainer& song) {
    switch (data1) {
        case SmfByte::kMetaTempo:
            TempoEvent();
            break;
        case SmfByte::kMetaTimeSignature:
            MeterOrKeyEvent(true);
            break;
        case SmfByte::kMetaKeySignature:
            MeterOrKeyEvent(false);
            break;
        case SmfByte::kMetaTrackName:
            PartNameEvent(song);
            break;
        case SmfByte::kMetaText:
            TextEvent(song);
            break;
        case SmfByte::kMetaLyric:
            LyricEvent();
            break;
        case SmfByte::kMetaMarker:
            MarkerEvent(song);
            break;
        default:  // port numbers and every other meta event are skipped
            SkipBytes(ReadVarLen());
            break;
    }
}
