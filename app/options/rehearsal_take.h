// One file of a set of rehearsal tracks: a part loud over the others, the
// part missing, or all parts as the song has them.
#pragma once

#include <cstdint>
#include <string>

struct SongOptions;

enum class RehearsalKind { kLoud, kMissing, kAll };

// The levels of a loud take: the part's and every other channel's change in dB.
struct RehearsalLevels {
    double partDb = 6.0;
    double othersDb = -6.0;
};

struct RehearsalTake {
    RehearsalKind kind = RehearsalKind::kAll;
    std::string part;          // the part's name ("Alto"); empty for all parts
    std::uint16_t channels{};  // the part's channels (bit i: channel index i)
};

// What the take's file name adds to the song's: " - Alto loud", " - Alto missing", " - All".
std::string RehearsalSuffix(const RehearsalTake& take);
// "loud", "missing" or "all".
const char* RehearsalKindName(RehearsalKind kind);
// Sets the take's levels into `options`, after the request's own: a loud
// take adds the part's change to its channels and the others' change to
// every other channel (within -60 to +12 dB), a missing take mutes the part.
void ApplyRehearsalTake(const RehearsalTake& take, const RehearsalLevels& levels, SongOptions& options);
