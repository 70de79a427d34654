// Planning the rehearsal tracks of --rehearsal: each song's one output
// becomes a file per part and kind beside it, named after it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/options/conversion_plan.h"
#include "model/song_options.h"

struct ConversionRequest;

// Opens a song for its parts: its options after the open, nothing when it
// cannot be opened.
using SongPartsOpener = std::function<std::optional<SongOptions>(const std::string& input)>;

// Replaces each convertible file of `plan` by its rehearsal takes, in this
// order: for each part of `request.rehearsal` the song has, "<output> -
// <Part> loud" and "<output> - <Part> missing"; then "<output> - All" (the
// output's name without its extension, then the extension). Parts the song
// does not have are told among the plan's warnings; a song that cannot be
// opened gets its All take alone (its conversion says why it fails). A take
// whose output an earlier file of the plan already has fails.
void PlanRehearsals(ConversionPlan& plan, const ConversionRequest& request, const SongPartsOpener& open);
