// The run's report for schedulers and scripts (--report): JSON Lines, one
// object per input written as soon as the input is done, so that the
// reports of several shards can simply be concatenated. And the summary
// line a person sees at the end on a terminal.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "app/options/file_result.h"
#include "app/options/sound_record.h"

// One input's object, without the line end: {"input": ..., "output": ...,
// "status": "converted"|"skipped"|"failed", "cause": ..., "audio_seconds":
// ..., "cpu_seconds": ..., "realtime_factor": ..., "bytes_written": ...,
// "levels": [{"target": ..., "db": ...}...] (the --level requests), "rehearsal":
// {"kind": "loud"|"missing"|"all", "part": ... (null for all), and for a loud
// track "part_db": ..., "others_db": ...} or null}. Strings are JSON-escaped;
// a byte that is not part of valid UTF-8 is written as "\udcXX" (XX its
// value), the escape by which byte-exact file names survive a round trip.
// With `sound` (a JSON object, see SoundJson), the object ends with
// "sound": that object.
std::string ReportLine(const FileResult& result, const std::string& sound = {});

// The run's sound as a JSON object: {"module": ..., "soundfont": ...,
// "soundfont_bytes": ..., "soundfont_mtime_ns": ..., "reverb": ...,
// "chorus": ..., "gain": ...}; a SoundFont that is missing has null size
// and time.
std::string SoundJson(const SoundRecord& sound);
// Seconds of audio per second of processor time; 0 when no time was counted.
double RealtimeFactor(double audioSeconds, double cpuSeconds);

// Counts of a run, for the summary.
struct RunTotals {
    long long converted = 0;
    long long skipped = 0;
    long long failed = 0;
    double audioSeconds = 0;
    double cpuSeconds = 0;  // of every conversion, failed ones too
};

// "1998 converted, 2 skipped, 0 failed; 1.11 hours of audio in 0:02:13, 30.1x real time,
// realtime factor 15.2 (audio seconds per CPU second)"
std::string SummaryLine(const RunTotals& totals, double wallSeconds);

// The report file: opened for the run, one flushed line per input.
class RunReport {
public:
    // Opens `path` for writing ("-" is standard output); false with the reason in `error`.
    bool Open(const std::string& path, std::string& error);
    // Writes `result`'s line; false once a write has failed.
    bool Write(const FileResult& result);
    // The sound every following line names.
    void SetSound(std::string soundJson) { sound_ = std::move(soundJson); }

private:
    struct Closer {
        void operator()(std::FILE* file) const;
    };
    std::unique_ptr<std::FILE, Closer> file_;
    bool standardOutput_ = false;
    bool failed_ = false;
    std::string sound_;
};
