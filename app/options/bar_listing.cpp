// The bar map from the file's meters, the tempo track and the markers.
#include "app/options/bar_listing.h"

#include <algorithm>
#include <cstdio>

#include "model/bar_map.h"
#include "model/measure.h"
#include "model/slots.h"
#include "model/song_container.h"
#include "platform/text.h"
#include "sequencer/tempo_clock.h"

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kTempoHundredths = 100;  // tempo values are BPM x 100

struct TempoChange {
    int tick = 0;
    int tempo = 0;
};

std::vector<TempoChange> TempoChanges(SongContainer& song) {
    std::vector<TempoChange> changes;
    if (song.SlotTrack(kTempoSlot) == nullptr) return changes;
    CursorGuard cursor(song, kTempoSlot);
    const Track& track = *cursor->track;
    int tick = 0;
    for (int i = 0; i < track.count && !EventAt(track, i).IsEnd(); ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.Kind() == EventKind::kTempo) changes.push_back({tick, event.I32(4)});
        tick += event.Step();
    }
    return changes;
}

std::string BpmText(int tempo, int tempoPercent) {
    const int scaled = EffectiveTempo(tempo, tempoPercent);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", scaled / kTempoHundredths, scaled % kTempoHundredths);
    return text;
}

}  // namespace

std::string ClockTime(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / kMsPerSecond / kSecondsPerMinute,
                  ms / kMsPerSecond % kSecondsPerMinute, ms % kMsPerSecond);
    return text;
}

std::vector<std::string> BarListing(SongContainer& song, const std::optional<MeasureRange>& chosen, int tempoPercent) {
    const int end = SongEndTick(song);
    const std::vector<Bar> bars = SongBars(song, end);
    const std::vector<TempoChange> tempos = TempoChanges(song);
    std::vector<std::string> lines;
    const Bar* previous = nullptr;
    for (const Bar& bar : bars) {
        if (bar.start >= end && bar.number > 1) break;
        const int tempo = TempoAt(song, bar.start);
        std::string tempoText = BpmText(tempo, tempoPercent);
        bool tempoChanges = previous == nullptr || tempo != TempoAt(song, bar.start - 1);
        for (const TempoChange& change : tempos) {
            if (change.tick > bar.start && change.tick < bar.start + bar.length) {
                tempoText += ">" + BpmText(change.tempo, tempoPercent);
                tempoChanges = true;
            }
        }
        std::string markers;
        for (const SongMarker& marker : song.fileMarkers) {
            if (marker.tick < bar.start || marker.tick >= bar.start + bar.length) continue;
            if (markers.find(marker.text) != std::string::npos) continue;  // the same marker in several tracks
            markers += (markers.empty() ? "" : " / ") + EscapeControlCharacters(marker.text);
        }
        const bool meterChanges = previous == nullptr || previous->numerator != bar.numerator ||
                                  previous->denominator != bar.denominator || previous->length != bar.length;
        const bool isChosen = chosen && (bar.number == chosen->first || bar.number == chosen->last);
        if (meterChanges || tempoChanges || !markers.empty() || isChosen) {
            std::string meter = std::to_string(bar.numerator) + "/" + std::to_string(bar.denominator);
            if (bar.length * bar.denominator != kTicksPerWhole * bar.numerator) {
                meter += " (" + std::to_string(bar.length) + " ticks)";  // cut short by the next meter
            }
            lines.push_back(std::to_string(bar.number) + "\t" + ClockTime(TicksToMs(song, 0, bar.start, tempoPercent)) +
                            "\t" + meter + "\t" + tempoText + "\t" + markers);
        }
        previous = &bar;
    }
    lines.push_back("end\t" + ClockTime(TicksToMs(song, 0, end, tempoPercent)));
    return lines;
}
