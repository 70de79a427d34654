// The program's second command line, GNU style: options that reach every
// option of the main window (mute, volume down, part removal, tempo,
// pre-count), plus output, listing, normalizing and parallel jobs. It reads
// the whole line when any argument is one of its options; options and inputs
// come in any order, values as "--opt value" or "--opt=value", and "--" ends
// the options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options/option_values.h"
#include "app/options/rehearsal_take.h"
#include "app/startup/sound_choice.h"
#include "render/audio_format.h"
#include "app/options/shard_selection.h"

// Everything the option command line asks for.
struct ConversionRequest {
    std::vector<std::string> inputs;  // MIDI files and folders, in the order given
    std::optional<std::string> output;
    ChannelSet mute{};
    ChannelSet volumeDown{};
    std::vector<int> removedParts;  // part switch IDs, in the order given
    std::vector<LevelRequest> levels;  // --level, in the order given (a later one wins)
    // --rehearsal: the parts to make rehearsal tracks of, {"all"} for every
    // part of the song; empty for one plain output per song.
    std::vector<std::string> rehearsal;
    std::optional<RehearsalLevels> rehearsalLevels;  // --rehearsal-levels; else +6 and -6 dB
    int tempoPercent = 100;
    bool preCount = true;
    std::optional<double> peakDbfs;  // --normalize
    std::optional<double> loudnessLufs;  // --loudness, --loudness-set
    bool loudnessSet = false;            // --loudness-set: one gain for every song of the run
    // The set's gain, found by the run's measuring pass before it converts.
    std::optional<double> setGain;
    std::optional<AudioFormat> format;   // --format; else the --output file's extension, else WAV
    std::optional<int> quality;          // --quality
    int transpose = 0;                   // --transpose, semitones
    bool click = false;                  // --click
    std::optional<MeasureRange> measures;  // --measures
    int loopPasses = 1;                  // --loop
    std::optional<int> tempoStep;        // --tempo-step, percentage points a pass
    std::optional<int> tempoTo;          // --tempo-to, the last pass's percentage
    bool stems = false;                  // --stems
    int stemJobs = 1;                    // stems rendered at once (the cores the files leave free)
    int countInBars = 1;                 // --count-in
    bool countInEach = false;            // --count-in-each
    double clickLevelDb = 0.0;           // --click-level
    bool dropEmptyBars = false;          // --drop-empty-bars
    // --soundfont as given (a path or an installed SoundFont's name); the
    // run resolves it into sound.soundFont before anything converts.
    std::optional<std::string> soundFont;
    SoundChoice sound;                   // --reverb, --chorus and the resolved SoundFont
    bool listSoundFonts = false;         // --list-soundfonts
    bool list = false;
    bool bars = false;                   // --bars: list the bar map, convert nothing
    bool play = false;  // --play: play the one input instead of converting it
    int jobs = 0;  // 0: one per core
    bool quiet = false;
    bool noWait = false;  // fail instead of waiting for another run on the same folder
    bool allowSilent = false;  // a silent output counts as converted
    bool help = false;
    bool version = false;
    // Converting whole libraries. An option that changes the output's bytes
    // must also be named in OptionsFingerprint (up_to_date.h).
    bool recursive = false;                 // -r: walk folders' subfolders
    std::optional<std::string> filesFrom;   // more inputs, one a line ("-": standard input)
    bool nulSeparated = false;              // --null: the list's names end in NUL bytes
    std::optional<Shard> shard;             // --shard K/N
    bool shardFromEnvironment = false;      // --shard-from-env[=N]
    std::optional<int> shardCount;          // its N
    bool skipUpToDate = false;
    bool force = false;  // convert even the files whose outputs are current, recording them anew
    std::optional<std::string> report;      // JSON Lines file ("-": standard output)
};

// The request, or the usage error that names what is wrong.
struct ParsedCommandLine {
    ConversionRequest request;
    std::string error;  // empty when the command line is fine
};

// The most conversions run at once, whatever --jobs asks.
constexpr int kMaxJobs = 64;

// True when the arguments after the program's name are for this command
// line: one of them, wherever it stands, begins with "--" or is one of the
// short options -h, -V, -q, -o, -j, -r; the first may also bundle them or carry
// its value ("-qj2", "-oout.wav"). The folder batch's "-f<folder>" and a bare
// song name for the window have none of these.
bool IsOptionCommandLine(int argc, const char* const* argv);
// Reads the arguments after the program's name.
ParsedCommandLine ParseOptionCommandLine(const std::vector<std::string>& arguments);
// The usage text of --help.
std::string OptionCommandLineUsage();
