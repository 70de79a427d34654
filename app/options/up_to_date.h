// Whether an output is current (--skip-up-to-date): a small record beside
// the output, ".<name>.<ext>.ombrix" for every format, says which input it
// was made from (its path below the folder it was found under, its size and
// its modification time to the nanosecond), with which options, and what
// the output and each of its stems were when they were written. The output
// is current while all of that still holds and the output is newer than the
// input; anything rewritten since (by a run without the option, the folder
// batch, the window) or any file gone makes it stale. The sound files
// themselves are never touched. The record is key=value lines after a
// first line naming its format, so that more can be recorded later.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/options/conversion_plan.h"

struct ConversionRequest;

// The input as a record names it.
struct InputStamp {
    std::string key;            // the path below the folder it was found under (as written for a file given by itself)
    std::uintmax_t size = 0;
    long long modifiedNs = 0;   // modification time in nanoseconds since 1970-01-01 UTC
};

// The stamp of the input at `path` known as `key`; nothing when it cannot be read.
std::optional<InputStamp> StampInput(const std::string& path, const std::string& key);

// The options of `request` that change the output's bytes, as one line,
// and the sound of the run with the module found at start-up (g_szModulePath)
// as a second. Every option that changes them must be named here.
std::string OptionsFingerprint(const ConversionRequest& request);
// The fingerprint of one planned output: the request's, and for a rehearsal
// take a third line with its kind, part and channels, and a loud take's levels.
std::string FileOptionsFingerprint(const ConversionRequest& request, const PlannedFile& file);
// The path of the record beside `output`.
std::string OptionsRecordPath(const std::string& output);

// True when the record beside `output` was written for `input`, made with
// `fingerprint`, and the output and every recorded stem are as they were
// then, the output newer than the input. A record that is not a regular
// file (a folder, link, FIFO) is never opened: `warning` then says that it
// was ignored (otherwise it is left empty).
bool IsUpToDate(const InputStamp& input, const std::string& output, const std::string& fingerprint,
                std::string& warning);
// Writes the record of the just-written `output` and its `stems` (paths) by
// a temporary file and a rename, never through a link; false with the
// reason in `error` when it cannot (the output is then converted again next
// time).
bool RecordOptions(const InputStamp& input, const std::string& output, const std::vector<std::string>& stems,
                   const std::string& fingerprint, std::string& error);
