// Whether an output is current (--skip-up-to-date): it exists, it is newer
// than its input, and it was made with the same options. The options are
// kept in a small record beside the output, ".<name>.wav.ombrix", written
// after each conversion of a --skip-up-to-date run; the WAV file itself is
// never touched. The record also holds the output's size and modification
// time when it was made, so an output rewritten since by anything else (a
// run without the option, the folder batch, the window) is not current.
#pragma once

#include <string>

struct ConversionRequest;

// The options of `request` that change the output's bytes, as one line,
// and the sound of the run with the module found at start-up (g_szModulePath)
// as a second. Every option that changes them must be named here.
std::string OptionsFingerprint(const ConversionRequest& request);
// The path of the record beside `output`.
std::string OptionsRecordPath(const std::string& output);
// True when `output` exists, is newer than `input`, and its record says it
// was made with `fingerprint` and has not changed since.
bool IsUpToDate(const std::string& input, const std::string& output, const std::string& fingerprint);
// Writes the record of the just-written `output`; false when it cannot be
// written (the output is then simply converted again next time).
bool RecordOptions(const std::string& output, const std::string& fingerprint);
