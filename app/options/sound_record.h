// The sound a run converts with, as the options record (--skip-up-to-date)
// and the report (--report) keep it: the module file, the SoundFont file,
// each with its size and modification time, the reverb, the chorus and the
// module's gain. A change of any of them makes earlier outputs out of date.
#pragma once

#include <cstdint>
#include <string>

#include "app/startup/sound_choice.h"

// A file as it is now: its path, and its size and modification time in
// nanoseconds when it exists.
struct FileStamp {
    std::string path;
    bool exists = false;
    std::uintmax_t size = 0;
    long long modifiedNs = 0;
};

struct SoundRecord {
    FileStamp module;
    FileStamp soundFont;  // path empty when no SoundFont is found
    std::string reverb;
    std::string chorus;
    std::string gain;  // the "gain" of the module's QNStaff.conf, or "default"
};

FileStamp StampFile(const std::string& path);

// The SoundFont the module at `modulePath` plays with `choice`: the chosen
// one, else the one its QNStaff.conf names (relative to its folder), else
// the first installed of the General MIDI SoundFonts it looks for; empty
// when there is none.
std::string SoundFontInUse(const SoundChoice& choice, const std::string& modulePath);

// The sound of `choice` with the module at `modulePath`.
SoundRecord DescribeSound(const SoundChoice& choice, const std::string& modulePath);

// The record as one line of words: "sound module=... soundfont=... reverb=room chorus=on gain=default".
std::string SoundFingerprint(const SoundRecord& sound);
