// Meta events of the chunk parser: tempo, the measure track built from time
// and key signatures, part names, the XF lyric header and lyrics.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "import/imp_smf.h"
#include "model/measure.h"
#include "sequencer/tempo_clock.h"

namespace {
constexpr int kTempoLength = 3;
constexpr int kTimeSignatureLength = 4;
constexpr int kKeySignatureLength = 2;
// Tempo in BPM x 100 from microseconds per quarter note.
constexpr std::int64_t kTempoDividend = 6'000'000'000;
constexpr std::uint8_t kMeasureMarker = 0xFF;
constexpr int kMeasureSignatureAt = 5;
constexpr int kMeasureKeyAt = 6;
constexpr int kLyricBytes = 32;
constexpr int kLyricFlagBytes = 4;
// Marker texts are labels ("Chorus", "Solo"); longer ones are cut.
constexpr int kMarkerBytes = 127;
// XF lyric header: "XFln:<field 1>:<field 2>:<composer>:<lyricist>..."
constexpr char kXfLyricHeader[] = "XFln";
// Karaoke text events: "@" starts a header line ("@T" title, "@L" language),
// a backslash a paragraph and "/" a line of the words.
constexpr char kKaraokeHeaderMark = '@';
constexpr char kKaraokeParagraphMark = '\\';
constexpr char kKaraokeLineMark = '/';
constexpr int kXfComposerField = 3;
constexpr int kXfLyricistField = 4;

// Splits a text at every ':'.
std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ':')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

// Seeks to `tick`, continuing from the cursor's place when moving forward.
void SeekTick(TrackCursor& cursor, int tick) {
    if (tick >= cursor.targetTick)
        Seek(cursor, tick - cursor.targetTick, 1);
    else
        Seek(cursor, tick, 0);
}

// Puts the cursor where an absolute Seek to `tick` would, walking back from
// where it stands instead of from the start: meter changes at one tick come
// one after another right behind the measure just appended.
void SeekBackTo(TrackCursor& cursor, int tick) {
    const Track& track = *cursor.track;
    if (cursor.position >= track.count || cursor.positionTick < tick) {
        SeekTick(cursor, tick);
        return;
    }
    // Back to the first event at or after the tick.
    int position = cursor.position;
    int at = cursor.positionTick;
    while (position > 0 && at - EventAt(track, position - 1).Step() >= tick) {
        --position;
        at -= EventAt(track, position).Step();
    }
    // An event after the tick: the one before it spans the tick.
    if (at > tick && position > 0) {
        --position;
        at -= EventAt(track, position).Step();
    }
    cursor.position = position;
    cursor.positionTick = at;
    cursor.targetTick = tick;
    cursor.current = &EventAt(track, position);
}
}  // namespace

void ImpSmf::TempoEvent() {
    const int length = ReadVarLen();
    std::uint8_t body[kTempoLength] = {};
    if (length != kTempoLength) {
        SkipBytes(length);
        return;
    }
    if (!ReadBytes(body, kTempoLength)) return;
    // Frame-timed files keep the song's default tempo, which their ticks
    // were converted with.
    if (smpteTiming) return;
    // Zero microseconds a quarter states no tempo. Every other value fits
    // the clock's range down to the slowest, 16,777,215 us (3.57 BPM); the
    // few that are faster than the clock follows are held at its limit.
    const std::int64_t micros = (body[0] << 16) | (body[1] << 8) | body[2];
    if (micros == 0) return;
    const std::int64_t tempo = std::min<std::int64_t>(kTempoDividend / micros, kMaxEffectiveTempo);
    WriteMessage(WriterMessage::Tempo(static_cast<std::int32_t>(tempo)), currentTick_);
}

void ImpSmf::SeekMeasureEnd() {
    SeekTick(*slotCursors_[kMeasureSlot], measureEnd_);
}

void ImpSmf::AppendMeasure() {
    TrackCursor& measures = *slotCursors_[kMeasureSlot];
    TrackEvent start = MakeEvent(EventKind::kMeasure);
    start.SetU8(4, kMeasureMarker);
    start.SetU8(kMeasureSignatureAt, timeSignature);
    start.SetU8(kMeasureKeyAt, KeyByte(keySharpsFlats, keyMinor != 0));
    InsertSlots(measures, 1, true);
    Write(measures, start, true);
    for (int left = measureLength; left > 0;) {
        const int step = std::min(left, kMaxRestStep);
        InsertSlots(measures, 1, true);
        Write(measures, MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(step)), true);
        left -= step;
    }
    // The cursor now stands on the end marker, which starts at the new end.
    measureEnd_ += measureLength;
    measures.positionTick = measures.targetTick = measureEnd_;
}

void ImpSmf::MeterOrKeyEvent(bool isTimeSignature) {
    const int t = currentTick_;
    const int end = measureEnd_;
    if (end < t) {
        SeekMeasureEnd();
        while (measureEnd_ < t) AppendMeasure();
    }

    const int length = ReadVarLen();
    const int expected = isTimeSignature ? kTimeSignatureLength : kKeySignatureLength;
    if (length != expected) {
        SkipBytes(length);
        return;
    }
    std::uint8_t body[kTimeSignatureLength] = {};
    if (!ReadBytes(body, expected)) return;
    if (isTimeSignature) {
        // The history keeps the meter as read (reduced), even one the
        // measure track refuses.
        const Meter reduced = ReduceMeter(Meter{body[0], body[1]});
        RecordTimeSignature(timeSigHistory_, reduced, body[2], t);
        timeSignature = TimeSignatureByte(reduced);
        measureLength = MeasureLengthOf(timeSignature);
    } else {
        keySharpsFlats = std::clamp<int>(static_cast<std::int8_t>(body[0]), -kMaxSharpsFlats, kMaxSharpsFlats);
        keyMinor = body[1] != 0 ? 1 : 0;
    }

    TrackCursor& measures = *slotCursors_[kMeasureSlot];
    if (t < end) {
        // The track already reaches past t: patch the first measure start at
        // or after t; later measures pick the change up when appended.
        SeekBackTo(measures, t);
        const int index = measures.positionTick < t ? measures.position + 1 : measures.position;
        if (index >= measures.track->count) return;
        TrackEvent event;
        ReadAt(index, measures, event);
        if (!event.IsMeasure()) return;
        if (isTimeSignature)
            event.SetU8(kMeasureSignatureAt, timeSignature);
        else
            event.SetU8(kMeasureKeyAt, KeyByte(keySharpsFlats, keyMinor != 0));
        WriteAt(measures, index, event);
    } else {
        SeekMeasureEnd();
        AppendMeasure();
    }
}

void ImpSmf::PartNameEvent(SongContainer& song) {
    const int length = ReadVarLen();
    const std::string name = ReadText(length, length);
    // The first chunk's name is the song title, taken by the lead-in scan.
    if (chunkNumber_ == 0) return;
    song.SetPartName(name.c_str(), currentSlot_ - kFirstPartSlot);
}

void ImpSmf::TextEvent(SongContainer& song) {
    const int length = ReadVarLen();
    const std::string text = ReadText(length, length);
    if (text.compare(0, sizeof(kXfLyricHeader) - 1, kXfLyricHeader) != 0) {
        KaraokeText(text);
        return;
    }
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() > kXfComposerField) song.SetInfoString(InfoString::kComposer, fields[kXfComposerField].c_str());
    if (fields.size() > kXfLyricistField) song.SetInfoString(InfoString::kLyricist, fields[kXfLyricistField].c_str());
}

void ImpSmf::MarkerEvent(SongContainer& song) {
    const int length = ReadVarLen();
    std::string text = ReadText(length, kMarkerBytes);
    song.fileMarkers.push_back({currentTick_, std::move(text)});
}

void ImpSmf::KaraokeText(const std::string& text) {
    if (text.empty()) return;
    if (text.front() == kKaraokeHeaderMark) {
        karaokeMarked_ = true;
        return;
    }
    if (text.front() == kKaraokeParagraphMark || text.front() == kKaraokeLineMark) karaokeMarked_ = true;
    textTicks_.push_back(currentTick_);
}

void ImpSmf::LyricEvent() {
    const int length = ReadVarLen();
    const std::string text = ReadText(length, kLyricBytes);
    // Break marks alone carry no syllable.
    if (text == "/" || text == "<" || text == ">") return;

    // Payload: a 32-bit flag word 0, then the text and its terminating zero.
    std::vector<std::uint8_t> payload(kLyricFlagBytes + text.size() + 1, 0);
    std::copy(text.begin(), text.end(), payload.begin() + kLyricFlagBytes);
    TrackEvent lyric = MakeEvent(EventKind::kLyric);
    int indexAt = 0;
    if (PayloadIndexOffset(lyric.Kind(), lyric.Offset(), indexAt))
        lyric.SetU16(indexAt, AddEventPayload(*lyricCursor_, lyric.Kind(), payload.data(),
                                              static_cast<int>(payload.size())));
    // Lyrics of later chunks fall between earlier ones: they are gathered
    // and written into the lyric track after the last chunk.
    stagedLyrics_.Add(TimedEvent{currentTick_, lyric});
}
