// The option command line's table of options and its reader.
#include "app/options/option_command_line.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#include "app/options/output_choice.h"
#include "app/options/practice_values.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "render/loudness.h"

namespace {

enum class Value { kNone, kRequired, kOptional };

struct OptionDefinition {
    std::string_view name;  // long name without "--"
    char shortName;         // 0 when there is none
    Value value;
};

constexpr auto kOptions = std::to_array<OptionDefinition>({
    {"output", 'o', Value::kRequired},
    {"mute", 0, Value::kRequired},
    {"volume-down", 0, Value::kRequired},
    {"minus", 0, Value::kRequired},
    {"level", 0, Value::kRequired},
    {"rehearsal", 0, Value::kRequired},
    {"rehearsal-levels", 0, Value::kRequired},
    {"tempo", 0, Value::kRequired},
    {"precount", 0, Value::kRequired},
    {"no-precount", 0, Value::kNone},
    {"normalize", 0, Value::kOptional},
    {"loudness", 0, Value::kOptional},
    {"loudness-set", 0, Value::kOptional},
    {"format", 0, Value::kRequired},
    {"quality", 0, Value::kRequired},
    {"transpose", 0, Value::kRequired},
    {"click", 0, Value::kNone},
    {"measures", 0, Value::kRequired},
    {"loop", 0, Value::kRequired},
    {"tempo-step", 0, Value::kRequired},
    {"tempo-to", 0, Value::kRequired},
    {"stems", 0, Value::kNone},
    {"count-in", 0, Value::kRequired},
    {"count-in-each", 0, Value::kNone},
    {"click-level", 0, Value::kRequired},
    {"drop-empty-bars", 0, Value::kNone},
    {"soundfont", 0, Value::kRequired},
    {"list-soundfonts", 0, Value::kNone},
    {"reverb", 0, Value::kRequired},
    {"chorus", 0, Value::kRequired},
    {"list", 0, Value::kNone},
    {"bars", 0, Value::kNone},
    {"play", 0, Value::kNone},
    {"jobs", 'j', Value::kRequired},
    {"quiet", 'q', Value::kNone},
    {"no-wait", 0, Value::kNone},
    {"allow-silent", 0, Value::kNone},
    {"help", 'h', Value::kNone},
    {"version", 'V', Value::kNone},
    {"recursive", 'r', Value::kNone},
    {"files-from", 0, Value::kRequired},
    {"null", 0, Value::kNone},
    {"shard", 0, Value::kRequired},
    {"shard-from-env", 0, Value::kOptional},
    {"skip-up-to-date", 0, Value::kNone},
    {"force", 0, Value::kNone},
    {"report", 0, Value::kRequired},
});

constexpr double kLowestPeakDbfs = -96.0;
// The short options, each also the first letter after "-" of an argument
// that chooses this command line.
constexpr std::string_view kShortOptionNames = "hVqojr";
constexpr std::string_view kFolderBatchSwitch = "-f";
constexpr double kLowestLoudnessLufs = -70.0;
constexpr double kHighestLoudnessLufs = -5.0;
constexpr int kMaxTranspose = 12;

// Built by appending: GCC 12 takes a literal prepended to a new string for
// an overlapping copy (-Wrestrict, a false alarm).
std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    quoted.append(text);
    quoted += '\'';
    return quoted;
}

// The option named `name` exactly, or the only one whose name it begins; an error otherwise.
const OptionDefinition* FindLong(std::string_view name, std::string& error) {
    std::vector<const OptionDefinition*> matches;
    for (const OptionDefinition& definition : kOptions) {
        if (definition.name == name) return &definition;
        if (!name.empty() && definition.name.starts_with(name)) matches.push_back(&definition);
    }
    if (matches.size() == 1) return matches.front();
    // "--temp" names --tempo, whose longer forms --tempo-step and --tempo-to
    // it also begins: the option that begins all the others is meant.
    for (const OptionDefinition* shortest : matches) {
        if (std::ranges::all_of(matches, [shortest](const OptionDefinition* d) { return d->name.starts_with(shortest->name); }))
            return shortest;
    }
    if (matches.empty()) {
        error = "unknown option " + Quoted("--" + std::string(name));
    } else {
        error = "option " + Quoted("--" + std::string(name)) + " is ambiguous (";
        for (const OptionDefinition* definition : matches) error += (definition == matches.front() ? "--" : ", --") + std::string(definition->name);
        error += ")";
    }
    return nullptr;
}

const OptionDefinition* FindShort(char name) {
    for (const OptionDefinition& definition : kOptions) {
        if (definition.shortName != 0 && definition.shortName == name) return &definition;
    }
    return nullptr;
}

// Stores one option's value into the request; an error text when the value is bad.
std::string Apply(const OptionDefinition& definition, const std::optional<std::string>& value, ConversionRequest& request) {
    const std::string option = "--" + std::string(definition.name);
    const std::string& text = value ? *value : std::string();
    if (definition.name == "output") {
        if (text.empty()) return "option --output needs a path";
        request.output = text;
    } else if (definition.name == "mute" || definition.name == "volume-down") {
        const auto channels = ParseChannelList(text);
        if (!channels) return "bad channel list " + Quoted(text) + " for " + option + " (channels 1-16, e.g. 3 or 2,5-7)";
        ChannelSet& target = definition.name == "mute" ? request.mute : request.volumeDown;
        for (int i = 0; i < kMidiChannels; ++i) target[i] = target[i] || (*channels)[i];
    } else if (definition.name == "minus") {
        const auto parts = ParsePartList(text);
        if (!parts) return "bad part list " + Quoted(text) + " for --minus (melody, guitar, bass, drums)";
        request.removedParts.insert(request.removedParts.end(), parts->begin(), parts->end());
    } else if (definition.name == "level") {
        const auto level = ParseLevel(text);
        if (!level) {
            return Formatted(Tr("bad level %s for --level: give TARGET=DB, TARGET a channel list (3 or 2,5-7), a "
                                "part (melody, guitar, bass, drums) or a track name, DB from -60 to +12"),
                             Quoted(text).c_str());
        }
        request.levels.push_back(*level);
    } else if (definition.name == "rehearsal") {
        const auto names = ParseNameList(text);
        if (!names) return Formatted(Tr("bad part list %s for --rehearsal: give part names (soprano,alto,tenor,bass) or all"), Quoted(text).c_str());
        const bool all = std::ranges::any_of(*names, [](const std::string& name) { return IsAllParts(name); });
        if (all && names->size() > 1) return Tr("--rehearsal all takes every part of the song: give it alone");
        request.rehearsal = *names;
    } else if (definition.name == "rehearsal-levels") {
        const auto levels = ParseLevelPair(text);
        if (!levels) return Formatted(Tr("bad levels %s for --rehearsal-levels: give PART,OTHERS in dB from -60 to +12 (e.g. +6,-6)"), Quoted(text).c_str());
        request.rehearsalLevels = RehearsalLevels{levels->first, levels->second};
    } else if (definition.name == "tempo") {
        const auto tempo = ParseTempoPercent(text);
        if (!tempo) return "tempo " + Quoted(text) + " is not a whole percentage from 1 to 999";
        request.tempoPercent = *tempo;
    } else if (definition.name == "precount") {
        if (text != "on" && text != "off") return "--precount takes on or off, not " + Quoted(text);
        request.preCount = text == "on";
    } else if (definition.name == "no-precount") {
        request.preCount = false;
    } else if (definition.name == "normalize") {
        const auto level = value ? ParseDecimal(text, kLowestPeakDbfs, 0.0) : std::optional<double>(-1.0);
        if (!level) return "level " + Quoted(text) + " for --normalize is not a number of dBFS from -96 to 0";
        request.peakDbfs = level;
    } else if (definition.name == "loudness" || definition.name == "loudness-set") {
        const auto level = value ? ParseDecimal(text, kLowestLoudnessLufs, kHighestLoudnessLufs)
                                 : std::optional<double>(kDefaultLoudnessLufs);
        if (!level) return "loudness " + Quoted(text) + " for " + option + " is not a number of LUFS from -70 to -5";
        request.loudnessLufs = level;
        request.loudnessSet = definition.name == "loudness-set";
    } else if (definition.name == "format") {
        const auto format = AudioFormatNamed(text);
        if (!format) return "format " + Quoted(text) + " is not one of " + AudioFormatNames();
        request.format = format;
    } else if (definition.name == "quality") {
        const auto quality = ParseWholeNumber(text, kLowestQuality, kBestQuality);
        if (!quality) return "quality " + Quoted(text) + " is not a whole number from 0 to 10";
        request.quality = quality;
    } else if (definition.name == "transpose") {
        const auto semitones = ParseSignedNumber(text, -kMaxTranspose, kMaxTranspose);
        if (!semitones) return "transpose " + Quoted(text) + " is not a whole number of semitones from -12 to +12";
        request.transpose = *semitones;
    } else if (definition.name == "click") {
        request.click = true;
    } else if (definition.name == "measures") {
        const auto range = ParseMeasureRange(text);
        if (!range) {
            return "measures " + Quoted(text) + " are not a range A-B of measures from 1 to " +
                   std::to_string(kHighestMeasure) + " (A not after B)";
        }
        request.measures = range;
    } else if (definition.name == "loop") {
        const auto passes = ParseLoopPasses(text);
        if (!passes) return Formatted(Tr("passes %s for --loop are not a whole number from 1 to %d"), Quoted(text).c_str(), kMaxLoopPasses);
        request.loopPasses = *passes;
    } else if (definition.name == "tempo-step") {
        const auto step = ParseTempoStep(text);
        if (!step) return Formatted(Tr("tempo step %s is not a whole number of percentage points"), Quoted(text).c_str());
        request.tempoStep = *step;
    } else if (definition.name == "tempo-to") {
        const auto tempo = ParseTempoPercent(text);
        if (!tempo) return Formatted(Tr("tempo %s for --tempo-to is not a whole percentage from 1 to 999"), Quoted(text).c_str());
        request.tempoTo = *tempo;
    } else if (definition.name == "stems") {
        request.stems = true;
    } else if (definition.name == "count-in") {
        const auto bars = ParseCountInBars(text);
        if (!bars) return "count-in " + Quoted(text) + " is not 1 or 2 bars";
        request.countInBars = *bars;
    } else if (definition.name == "count-in-each") {
        request.countInEach = true;
    } else if (definition.name == "click-level") {
        const auto level = ParseClickLevel(text);
        if (!level) return "click level " + Quoted(text) + " is not a number of dB from -40 to +6";
        request.clickLevelDb = *level;
    } else if (definition.name == "drop-empty-bars") {
        request.dropEmptyBars = true;
    } else if (definition.name == "soundfont") {
        if (text.empty()) return "option --soundfont needs a SoundFont file or the name of an installed one";
        request.soundFont = text;
    } else if (definition.name == "list-soundfonts") {
        request.listSoundFonts = true;
    } else if (definition.name == "reverb") {
        if (!IsReverbChoice(text)) return "reverb " + Quoted(text) + " is not off, room, hall or a level from 0 to 1";
        request.sound.reverb = text;
    } else if (definition.name == "chorus") {
        if (!IsChorusChoice(text)) return "chorus " + Quoted(text) + " is not off, on or a level from 0 to 1";
        request.sound.chorus = text;
    } else if (definition.name == "list") {
        request.list = true;
    } else if (definition.name == "bars") {
        request.bars = true;
    } else if (definition.name == "play") {
        request.play = true;
    } else if (definition.name == "jobs") {
        const auto jobs = ParseWholeNumber(text, 1, kMaxJobs);
        if (!jobs) return "jobs " + Quoted(text) + " is not a whole number from 1 to " + std::to_string(kMaxJobs);
        request.jobs = *jobs;
    } else if (definition.name == "quiet") {
        request.quiet = true;
    } else if (definition.name == "no-wait") {
        request.noWait = true;
    } else if (definition.name == "allow-silent") {
        request.allowSilent = true;
    } else if (definition.name == "help") {
        request.help = true;
    } else if (definition.name == "version") {
        request.version = true;
    } else if (definition.name == "recursive") {
        request.recursive = true;
    } else if (definition.name == "files-from") {
        if (text.empty()) return "option --files-from needs a file (- for standard input)";
        request.filesFrom = text;
    } else if (definition.name == "null") {
        request.nulSeparated = true;
    } else if (definition.name == "shard") {
        request.shard = ParseShard(text);
        if (!request.shard) return "shard " + Quoted(text) + " is not K/N with 0 <= K < N";
    } else if (definition.name == "shard-from-env") {
        request.shardFromEnvironment = true;
        if (value) {
            request.shardCount = ParseWholeNumber(text, 1, kMaxShards);
            if (!request.shardCount) return "shard count " + Quoted(text) + " for --shard-from-env is not a whole number from 1 to " + std::to_string(kMaxShards);
        }
    } else if (definition.name == "skip-up-to-date") {
        request.skipUpToDate = true;
    } else if (definition.name == "force") {
        request.force = true;
    } else if (definition.name == "report") {
        if (text.empty()) return "option --report needs a file (- for standard output)";
        request.report = text;
    }
    return {};
}

}  // namespace

bool IsOptionCommandLine(int argc, const char* const* argv) {
    if (argc < 2) return false;
    const std::string_view first(argv[1]);
    // "ombrix -h", "ombrix -V", "ombrix -q ..." and the like: short options
    // that the folder command line never uses, so that they are not taken
    // for a window start; first, they may be bundled or carry their value.
    if (first.size() >= 2 && first[0] == '-' && kShortOptionNames.find(first[1]) != std::string_view::npos) return true;
    // Anywhere else on the line, as "ombrix song.mid --tempo 80" puts them:
    // a long option, or a short one standing alone.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument.starts_with("--")) return true;
        if (argument.size() == 2 && argument[0] == '-' && kShortOptionNames.find(argument[1]) != std::string_view::npos)
            return true;
    }
    return false;
}

namespace {

// What --play cannot be combined with; empty when nothing.
std::string CheckPlayRequest(const ConversionRequest& request) {
    if (request.output) return "--play plays the song and writes no file; leave out --output (-o)";
    if (request.list || request.stems || request.filesFrom || request.report || !request.rehearsal.empty()) {
        return "--play plays one song; it does not go with --list, --stems, --files-from, --report or --rehearsal";
    }
    // These act on a finished file: the whole song measured, or its encoding.
    if (request.peakDbfs || request.loudnessLufs || request.format || request.quality) {
        return "--play plays the song as it renders; leave out --normalize, --loudness, --format and --quality";
    }
    if (request.inputs.size() != 1) return "--play plays one song; give exactly one MIDI file";
    return {};
}

}  // namespace

ParsedCommandLine ParseOptionCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    ConversionRequest& request = parsed.request;
    std::string& error = parsed.error;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size() && error.empty(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
            request.inputs.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument.starts_with("--")) {
            const auto equals = argument.find('=');
            const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionDefinition* definition = FindLong(name, error);
            if (definition == nullptr) break;
            std::optional<std::string> value;
            if (equals != std::string::npos) value = argument.substr(equals + 1);
            const std::string option = "--" + std::string(definition->name);
            if (definition->value == Value::kNone && value) {
                error = "option " + option + " takes no value";
            } else if (definition->value == Value::kRequired && !value) {
                if (!hasNext) error = "option " + option + " needs a value";
                else value = arguments[++i];
            }
            if (error.empty()) error = Apply(*definition, value, request);
        } else if (argument.starts_with(kFolderBatchSwitch)) {
            // The folder batch's form mixed with options: the folder batch
            // takes none, while this command line converts folders too.
            error = Quoted(argument) + " is the folder batch's form, which takes no options; give the folder as an input instead (ombrix --OPTION... FOLDER)";
        } else {
            // Short options, bundled ("-qj2") or with their value apart ("-j 2").
            for (std::size_t at = 1; at < argument.size() && error.empty(); ++at) {
                const OptionDefinition* definition = FindShort(argument[at]);
                if (definition == nullptr) {
                    error = "unknown option " + Quoted(std::string("-") + argument[at]);
                    // "--normalize -3": an optional value only comes with "=".
                    if (i > 0 && arguments[i - 1].starts_with("--") && arguments[i - 1].find('=') == std::string::npos) {
                        std::string ignored;
                        const std::string previous = arguments[i - 1].substr(2);
                        const OptionDefinition* before = FindLong(previous, ignored);
                        if (before != nullptr && before->value == Value::kOptional) {
                            error += "; to give --" + std::string(before->name) + " a value, write --" +
                                     std::string(before->name) + "=" + argument;
                        }
                    }
                    break;
                }
                std::optional<std::string> value;
                if (definition->value == Value::kRequired) {
                    if (at + 1 < argument.size()) value = argument.substr(at + 1);
                    else if (hasNext) value = arguments[++i];
                    else error = std::string("option -") + argument[at] + " needs a value";
                    at = argument.size();
                }
                if (error.empty()) error = Apply(*definition, value, request);
            }
        }
    }
    if (error.empty() && request.shard && request.shardFromEnvironment) error = "give --shard or --shard-from-env, not both";
    if (error.empty()) {
        switch (CheckLoop(request.loopPasses, request.measures.has_value(), request.tempoStep.has_value(),
                          request.tempoTo.has_value())) {
            case LoopProblem::kNoSection:
                error = Tr("--loop plays a section: give --measures A-B with it");
                break;
            case LoopProblem::kStepWithoutLoop:
                error = Tr("--tempo-step and --tempo-to change the tempo from pass to pass: give --loop N (2 or more) with them");
                break;
            case LoopProblem::kStepAndLastTempo:
                error = Tr("give --tempo-step or --tempo-to, not both");
                break;
            case LoopProblem::kNone:
                break;
        }
    }
    if (error.empty() && request.rehearsalLevels && request.rehearsal.empty())
        error = Tr("--rehearsal-levels sets the levels of the rehearsal tracks: give --rehearsal PARTS with it");
    if (error.empty() && request.countInEach && request.loopPasses < 2)
        error = Tr("--count-in-each counts in every pass of a loop: give --loop N (2 or more) with it");
    if (error.empty() && request.inputs.empty() && !request.filesFrom && !request.help && !request.version &&
        !request.listSoundFonts)
        error = "no input given";
    if (error.empty() && request.play) error = CheckPlayRequest(request);
    if (error.empty()) error = CheckOutputChoice(request);
    return parsed;
}

std::string OptionCommandLineUsage() {
    return Tr(R"(Usage: ombrix --OPTION... INPUT...
       ombrix -f<folder>[,-p0|-p1]
Converts MIDI files into WAV files (44100 Hz, 16 bits, stereo) for practice
tracks. The first form is read whenever an argument begins with "--" or is
one of -h, -V, -q, -o, -j, wherever it stands; options and inputs come in
any order ("--" ends the options). Without any of them, the line opens a
song in the window ("ombrix song.mid") or converts a folder (-f).

  INPUT                 a MIDI file (any name), or a folder: its *.mid, *.midi,
                        *.kar and *.rmi files (any case), not its subfolders
                        unless -r is given
  -o, --output PATH     one input file: the WAV file (".wav" added to a name
                        without extension), or an existing folder or one
                        ending in "/" to write <name>.wav into; otherwise a
                        folder (created if missing).
                        Default: <input's folder>/Conv/<name>.wav
      --mute LIST       mute MIDI channels, e.g. 3 or 2,5-7 (1-16)
      --volume-down LIST  halve the volume (CC 7) of these channels, which is
                        about 12 dB softer (one that sets none before its
                        first note starts at 50)
      --minus PARTS     remove parts as the EASY MINUS ONE switches do:
                        melody,guitar,bass,drums (comma list)
      --level TARGET=DB change the loudness of a part by DB decibels (-60 to
                        +12); TARGET is a channel list (3 or 2,5-7), a part
                        (melody, guitar, bass, drums) or the name of a track
                        of the song (any case); may be given again
      --rehearsal PARTS rehearsal tracks: for each part (soprano,alto,tenor,
                        bass..., a part switch's part or a track's name; all:
                        every part the song names) "<name> - <Part> loud"
                        (the part +6 dB, the others -6 dB) and "<name> - <Part>
                        missing", and once "<name> - All"
      --rehearsal-levels PART,OTHERS  the loud tracks' levels in dB (+6,-6)
      --tempo PERCENT   1-999, default 100
      --precount on|off the count-in, default on: a bar of drum clicks on the
                        song's beats, ending where the bar of the song's first
                        note begins (muted parts count)
      --no-precount     the same as --precount off
      --count-in BARS   the count-in lasts 1 (default) or 2 bars
      --click-level DB  the clicks' level from -40 to +6 dB (default 0)
      --drop-empty-bars leave out the whole bars without a note before the
                        first note's bar, so that the file starts with the
                        count-in
      --normalize[=DBFS]  scale each finished WAV so that its peak is at DBFS
                        (default -1.0); silence stays silence
      --loudness[=LUFS] scale each finished song to this integrated loudness
                        (EBU R128, default -16) with its true peak at most
                        -1 dBTP; silence stays silence
      --loudness-set[=LUFS]  one gain for all the songs of the run, so that
                        they keep their relative levels: the loudest song
                        reaches LUFS (default -16); peaks above -1 dBTP
                        are limited
      --format FMT      wav (default), flac, ogg, opus or mp3; without it the
                        --output file's extension chooses
      --quality Q       0 (smallest) to 10 (best sound) for ogg (default 5),
                        opus (2) and mp3 (6); flac is lossless (Q: effort)
      --transpose N     move every note of every non-drum channel by N
                        semitones (-12 to +12)
      --click           a click on every beat of the song, the first beat of
                        each bar accented; the count-in is its first bar
      --measures A-B    convert only bars A to B (the song's state at A is
                        sent first); bars count as the song's time
                        signatures make them (see --bars)
      --loop N          with --measures: play the section N times (1-99) in one
                        file, each pass starting with the song's state at A;
                        the pre-count comes before the first pass
      --count-in-each   with --loop: the count-in before every pass, at the
                        tempo of that pass
      --tempo-step P    with --loop: each pass P percentage points faster
                        than the one before, from --tempo
      --tempo-to Q      with --loop: the last pass at Q percent, the passes
                        between in even steps from --tempo
      --stems           besides the mix, one file per channel that plays, in
                        the folder <name>/ beside it: <channel>-<instrument>.<ext>,
                        and click.<ext> with the count-in and the click; each
                        as long as the mix, together they add up to it
      --soundfont SF    play with this SoundFont: a .sf2 or .sf3 file, or the
                        name of an installed one (see --list-soundfonts)
      --list-soundfonts list the installed SoundFonts: name, file, size
      --reverb R        off, room (default), hall, or a level from 0 to 1
      --chorus C        off, on (default), or a level from 0 to 1
      --list            do not convert: for each input print its used channels,
                        one line each, tab-separated: channel (1-16), "drum" or
                        "-", the part switch that removes it
                        (melody|guitar|bass|drums|-), the instrument name, and
                        why the channel belongs to that part
      --bars            do not convert: for each input print its bar map, one
                        line a bar where the meter or tempo changes, a marker
                        stands or --measures points: bar, start time, meter,
                        tempo, markers; then "end" and the song's length
      --play            do not convert: play the one input with the same
                        choices (no -o); on a terminal Space pauses, Left and
                        Right move a measure, Home goes to the start, + and -
                        change the tempo by 5 percent, q quits
  -j, --jobs N          convert up to N files at once (default: the number of cores)
  -q, --quiet           no progress output, and no list of written files
  -r, --recursive       convert folders with their subfolders; with -o the
                        tree is mirrored below the output folder, without it
                        each folder gets its own Conv/
      --files-from FILE more inputs, one a line (- reads standard input)
      --null            the names of --files-from end in NUL bytes
      --shard K/N       convert only share K of N (0 <= K < N), chosen by a
                        stable hash of each file's path below its input folder
      --shard-from-env[=N]  K and N from SLURM_ARRAY_TASK_ID and
                        SLURM_ARRAY_TASK_COUNT, or K from JOB_COMPLETION_INDEX
                        with N given; a sharded run writes no CreateLog.log
      --skip-up-to-date skip a file whose output was made from the file as it
                        is now, with the same options, and is unchanged
                        (recorded in .<output's name>.ombrix beside it)
      --force           convert every file even when its output is current,
                        and record it for later --skip-up-to-date runs
      --report FILE     one JSON line per input as soon as it is done
                        (- for standard output)
      --no-wait         fail at once when another run converts into the same
                        folder (it holds the folder's lock), instead of waiting
      --allow-silent    a silent output (every sample below -90 dBFS) counts
                        as converted; without it the input fails
  -h, --help            show this help and exit
  -V, --version         show the version and the synthesizer module found

Each written WAV file's path is printed on standard output. A folder given as
input gets the conversion log CreateLog.log beside its WAV files; one run at
a time converts into a folder. Which
channels each part takes (the bass instruments, the track the song names as
its melody) is told in the README. Exit status: 0 every input converted (or
listed, or skipped as up to date), 1 at least one input failed, 2 a usage
error.
)");
}
