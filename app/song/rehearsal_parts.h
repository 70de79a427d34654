// The parts a set of rehearsal tracks is made of: the voices a choir
// score's track names give, the parts the part finder found, or tracks the
// user names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/song_options.h"

struct RehearsalPart {
    std::string name;         // as the files are named: "Alto", "Melody", a track's name
    std::uint16_t channels{};  // bit i: channel index i
};

// Every part of the opened song (`options` after the open): its voices by
// their track names (soprano, alto, tenor, baritone, bass, in that order),
// then the part finder's melody, bass, guitar and drums that take none of
// the voices' channels.
std::vector<RehearsalPart> SongRehearsalParts(const SongOptions& options);

// The part `name` stands for in the opened song: a voice ("alto", "Alt",
// "T"), else a part switch's part (melody, guitar, bass, drums), else the
// tracks of that whole name (any case). Nothing when the song has none.
std::optional<RehearsalPart> RehearsalPartNamed(std::string_view name, const SongOptions& options);
