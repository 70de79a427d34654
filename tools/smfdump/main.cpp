// smfdump: imports one MIDI file into a fresh song and prints the song as
// plain text, one item per line, for inspecting and comparing imports.
#include <cstdio>
#include <iostream>
#include <string>

#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "platform/user_report.h"

namespace {

// Import failures go to standard error.
class StderrReport : public UserReport {
public:
    void Report(std::string_view text) override { std::cerr << text << '\n'; }
};

std::string Hex(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

void PrintExclusives(const SongContainer& song) {
    const ExclusiveTable& table = *song.exclusiveTable;
    for (int i = 0; i < kExclusiveEntries; ++i) {
        const int length = table.lengths[i];
        if (length == 0) continue;
        const std::uint8_t* bytes = table.handles[i].Peek();
        std::cout << "exclusive " << i;
        for (int b = 0; b < length; ++b) std::cout << ' ' << Hex(bytes[b]);
        std::cout << '\n';
    }
}

void PrintEvents(SongContainer& song) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (song.SlotTrack(slot) == nullptr) continue;
        CursorGuard cursor(song, slot);
        const Track& track = *cursor->track;
        int tick = 0;
        for (int i = 0; i < track.count; ++i) {
            const TrackEvent& ev = EventAt(track, i);
            std::cout << "event " << slot << ' ' << tick << ' ' << Hex(ev.Kind()) << ' ' << int{ev.Offset()};
            for (int b = 4; b < 12; ++b) std::cout << ' ' << Hex(ev.U8(b));
            std::cout << '\n';
            tick += ev.Step();
        }
    }
}

void PrintLyrics(SongContainer& song) {
    if (song.SlotTrack(kLyricSlot) == nullptr) return;
    CursorGuard cursor(song, kLyricSlot);
    const Track& track = *cursor->track;
    constexpr int kFlagBytes = 4;
    int tick = 0;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& ev = EventAt(track, i);
        if (ev.Kind() == EventKind::kLyric) {
            char record[kFlagBytes + 64] = {};
            int stored = 0;
            if (PoolRead(song.Pool(PoolId::kText), ev.U16(4), sizeof record - 1, record, &stored))
                std::cout << "lyric " << tick << ' ' << (record + kFlagBytes) << '\n';
        }
        tick += ev.Step();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: smfdump <file.mid>\n";
        return 2;
    }
    SongContainer song(1);
    StderrReport report;
    const MidiFileLoad load = LoadMidiFile(argv[1], song, report);

    std::cout << "result " << load.result << '\n';
    for (int i = 0; i < InfoString::kCount; ++i)
        if (!song.infoStrings[i].empty()) std::cout << "info " << i << ' ' << song.infoStrings[i] << '\n';
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        if (song.SlotTrack(slot) == nullptr) continue;
        const int part = slot - kFirstPartSlot;
        const std::string& name = song.partNames[part];
        std::cout << "part " << part << " channel " << Hex(song.partChannel[part]) << " name "
                  << (name.empty() ? "-" : name) << '\n';
    }
    std::cout << "precount " << load.preCount.clickTicks << ' ' << load.preCount.clicksPerMeasure << '\n';
    PrintExclusives(song);
    PrintEvents(song);
    PrintLyrics(song);
    return load.result == 0 ? 0 : 1;
}
