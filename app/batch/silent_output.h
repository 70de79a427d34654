// A conversion whose output is silent counts as failed: the log line that
// says so names the likely reason, found in the song's options.
#pragma once

#include <string>
#include <string_view>

#include "model/song_options.h"

// The start of every silent-output line, for telling it apart.
inline constexpr std::string_view kSilentOutputPrefix = "silent output (";

// "silent output (no notes)", "silent output (every channel muted)" or
// "silent output (the module produced nothing)" for a song converted with
// `options`. The line is the same in every locale: it goes into the
// conversion log.
std::string SilentOutputLine(const SongOptions& options);
