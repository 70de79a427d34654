// The MIDI file importer: reads a Standard MIDI File chunk by chunk into a
// song. Channel messages, exclusive events and tempo changes go through the
// event writer (its first base); the file side (its second base) reads the
// bytes; meta events build the measure track, names, texts and lyrics.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "import/smf_buf.h"
#include "import/staged_events.h"
#include "import/time_signature.h"
#include "model/song_container.h"
#include "platform/user_report.h"
#include "sequencer/event_writer.h"

// Exclusive messages stored per file; later ones are skipped.
constexpr int kMaxStoredExclusives = 512;
// The importer's event grid in ticks.
constexpr int kImportGrid = 60;

class ImpSmf : public ToQ2, public SmfBuf {
public:
    ImpSmf() = default;

    // Reads the file at `path` into `song` (which the caller has emptied).
    // Returns ImportResult::kOk, or a negative ImportResult after reporting
    // "FileNotFound" or "File is not SMF" through `report`.
    int ImportSmf(const std::string& path, SongContainer& song, UserReport& report);

    // Pre-count click length and clicks per measure, set by ImportSmf.
    PreCount preCount;
    // Ticks of the syllables of a karaoke file: its text events (FF 01)
    // other than "@" header lines, when the file has such headers or marks
    // its lines with "\" or "/". Empty for other files.
    std::vector<int> KaraokeTicks() const { return karaokeMarked_ ? textTicks_ : std::vector<int>{}; }
    // Events the song may hold; a file that needs more is refused.
    std::int64_t eventLimit = kMaxSongEvents;

private:
    // Opens the lyric cursor and one cursor per slot, emptying every track.
    void OpenCursors(SongContainer& song);
    void CloseCursors();
    // Part slot of the chunk being read (one less once the first chunk
    // turned out to be a conductor chunk).
    int ChunkSlot() const;
    // Format 1: the MIDI channel each part slot carries, from the first
    // channel message of each chunk.
    void ScanHomeChannels();
    // Reads the events of the open track chunk.
    void ParseTrackChunk(SongContainer& song);
    // Gives every slot the chunk wrote into its length up to the chunk's end.
    void CloseChunk();

    void ChannelMessage(SongContainer& song);
    void MetaEvent(SongContainer& song);

    // Exclusive messages: an F0 event, possibly the first packet of a
    // message that F7 packets continue; an F7 event, a continuation packet
    // or an escape that may carry one whole message.
    void ExclusiveMessage(SongContainer& song);
    void EscapeEvent(SongContainer& song);
    // Writes the exclusive event of a new message at the current tick.
    // Returns the table index for its bytes, or -1 when none are stored.
    int BeginExclusive();
    // Stores the message whose packets are being collected, as far as it
    // came; nothing happens when none is.
    void FinishPacket(SongContainer& song);
    // Stores a message under `index`; one too long for an entry stays empty.
    void StoreExclusive(SongContainer& song, int index, const std::vector<std::uint8_t>& bytes);

    // Meta handlers; each reads the rest of its event.
    void TempoEvent();
    void MeterOrKeyEvent(bool timeSignature);
    void PartNameEvent(SongContainer& song);
    void TextEvent(SongContainer& song);
    // Notes a text event that may be a karaoke syllable or header.
    void KaraokeText(const std::string& text);
    void LyricEvent();
    // A marker text, kept with its tick for the bar listing.
    void MarkerEvent(SongContainer& song);

    // Measure track: puts the cursor on the end marker, or appends one measure
    // of the current meter and key there.
    void SeekMeasureEnd();
    void AppendMeasure();

    OwnedCursor lyricCursor_;
    int currentTick_ = 0;
    // Every text event other than a header, and whether karaoke marks were seen.
    std::vector<int> textTicks_;
    bool karaokeMarked_ = false;
    int exclusiveCount_ = 0;
    int exclusiveOverflow_ = 0;
    bool packetOpen_ = false;  // a message split into packets is being collected
    int packetIndex_ = -1;     // its table index, or -1 when it is not stored
    std::vector<std::uint8_t> packet_;
    int format_ = 0;
    int chunkNumber_ = 0;
    int currentSlot_ = kFirstPartSlot;
    int channelSeen_ = 0;
    bool shift_ = false;
    std::array<int, kLastPartSlot + 1> homeChannel_{};
    // For each MIDI channel, the first part slot whose home it is, or 0.
    std::array<int, 16> firstHomeSlot_{};
    std::array<int, kSlotCount> chunkTouched_{};
    std::deque<TimeSigEntry> timeSigHistory_;
    std::array<OwnedCursor, kSlotCount> slotCursors_;
    // The tracks the writer fills during one chunk (tempo and parts), and
    // what every track gathered from the chunks so far.
    std::unique_ptr<TrackContainers> staging_;
    std::array<OwnedCursor, kSlotCount> stagingCursors_;
    std::array<StagedEvents, kSlotCount> staged_;
    StagedEvents stagedLyrics_;
    int measureEnd_ = 0;  // tick of the measure track's end marker
};
