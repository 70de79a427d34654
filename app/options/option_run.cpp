// Start-up for the option command line: the same application object, module
// discovery and tone library as the folder command line, then the
// listing or the parallel batch.
#include "app/options/option_run.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <thread>

#include "app/options/bar_listing.h"
#include "app/options/channel_listing.h"
#include "app/batch/failure_cause.h"
#include "app/startup/module_discovery.h"
#include "app/startup/ombrix_app.h"
#include "app/startup/soundfont_catalog.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "app/options/option_command_line.h"
#include "app/options/library_plan.h"
#include "app/options/loudness_set.h"
#include "app/options/output_checks.h"
#include "app/options/parallel_batch.h"
#include "app/options/plan_survey.h"
#include "app/options/play_command.h"
#include "app/options/run_results.h"
#include "platform/display.h"
#include "platform/interrupt_cleanup.h"
#include "platform/open_file_limit.h"
#include "platform/process_memory.h"
#include "platform/program_folder.h"
#include "platform/sdl_audio_output.h"
#include "platform/standard_error.h"
#include "platform/text.h"
#include "platform/user_report.h"
#include "tone/tone_library.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kVersionLine[] = "ombrix 1.00";

void PrintVersion() {
    std::cout << kVersionLine << '\n';
    if (DiscoverSynthModule()) {
        std::cout << "module: " << g_szModulePath << '\n';
    } else {
        std::cout << "module: none registered\n";
    }
}

// Opens every input and prints the lines `listing` makes of it; with
// several files each line starts with the file's path, control characters
// escaped.
int ListSongs(COmbrixDlg& dlg, const ConversionPlan& plan, const std::function<std::vector<std::string>()>& listing) {
    bool allListed = true;
    const bool several = plan.files.size() > 1;
    for (const PlannedFile& file : plan.files) {
        CollectingReport report;
        if (file.error.empty()) OpenMidiFile(dlg, file.input, report);
        if (!file.error.empty() || !report.lines.empty() || dlg.m_strSongName.empty()) {
            std::cerr << EscapeControlCharacters(
                             FailureLine(file.input, file.error.empty() ? report.lines : std::vector{file.error}))
                      << '\n';
            allListed = false;
            continue;
        }
        for (const std::string& line : listing()) {
            // Escaped as in the log: a tab, line break or ESC in a name must not break the records.
            std::cout << (several ? EscapeControlCharacters(file.input) + "\t" : "") << line << '\n';
        }
    }
    return allListed ? kExitSuccess : kExitFailure;
}

// Prints the installed SoundFonts, one a line: name, file, size in bytes, tab-separated.
int ListSoundFonts() {
    const std::vector<InstalledSoundFont> installed = InstalledSoundFonts(SoundFontFolders());
    for (const InstalledSoundFont& font : installed) {
        std::cout << EscapeControlCharacters(font.name) << '\t' << EscapeControlCharacters(font.path) << '\t'
                  << font.size << '\n';
    }
    if (installed.empty()) WriteErrorLine("no SoundFont installed (apt-get install fluid-soundfont-gm)");
    return kExitSuccess;
}

// The SoundFont file --soundfont names, made absolute and checked; false
// with the reason in `error` when it cannot be used.
bool ResolveSoundFontChoice(ConversionRequest& request, std::string& error) {
    if (!request.soundFont) return true;
    std::optional<std::string> path =
        ResolveSoundFont(*request.soundFont, InstalledSoundFonts(SoundFontFolders()), error);
    if (!path) return false;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(*path, ignored);
    request.sound.soundFont = absolute.empty() ? *path : absolute.lexically_normal().string();
    error = SoundFontProblem(request.sound.soundFont);
    return error.empty();
}

int DefaultJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxJobs));
}

}  // namespace

int RunOptionCommandLine(int argc, const char* const* argv) {
    const ParsedCommandLine parsed = ParseOptionCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "ombrix: " << parsed.error << "; see ombrix --help\n";
        return kExitUsage;
    }
    ConversionRequest request = parsed.request;
    if (request.help) {
        std::cout << OptionCommandLineUsage();
        return kExitSuccess;
    }
    if (request.version) {
        PrintVersion();
        return kExitSuccess;
    }
    if (request.listSoundFonts) return ListSoundFonts();
    std::string soundError;
    if (!ResolveSoundFontChoice(request, soundError)) {
        std::cerr << "ombrix: " << soundError << '\n';
        return kExitUsage;
    }

    COmbrixApp app;
    app.CreateTimeline();
    COmbrixDlg dlg;
    dlg.m_toneLibrary = LoadToneLibrary();
    if (request.play) {
        if (!DiscoverSynthModule()) {
            std::cerr << kModuleNotInstalledMessage << '\n'
                      << ModuleNotRegisteredHint(DefaultRegistryRoots(), ProgramFolder()) << '\n';
            return kExitFailure;
        }
        SdlAudioOutput output;
        return PlaySong(dlg, app.CurrentSong(), request, output);
    }
    std::string error;
    // The module is found first: the options records name it.
    const bool moduleFound = DiscoverSynthModule();
    const std::optional<PlanInputs> inputs = ReadPlanInputs(request, error);
    if (!inputs) {
        std::cerr << "ombrix: " << error << "; see ombrix --help\n";
        return kExitUsage;
    }
    if (request.bars || request.list) {
        const ConversionPlan plan = WholePlan(request, *inputs);
        for (const std::string& warning : plan.warnings) WriteErrorLine(warning);
        if (request.bars) {
            return ListSongs(dlg, plan, [&] { return BarListing(dlg.m_song, request.measures, request.tempoPercent); });
        }
        return ListSongs(dlg, plan, [&] { return ChannelListing(dlg.m_songOptions); });
    }
    const std::optional<PlanSurvey> survey = SurveyPlan(request, *inputs, error);
    if (!survey) {
        std::cerr << "ombrix: " << error << '\n';
        return kExitUsage;
    }

    if (!moduleFound) {
        std::cerr << kModuleNotInstalledMessage << '\n'
                  << ModuleNotRegisteredHint(DefaultRegistryRoots(), ProgramFolder()) << '\n';
        return kExitFailure;
    }
    // Every worker's module plays with the run's sound.
    UseSoundChoice(request.sound, request.stems);
    // What the survey of the library needed and no longer does is not mapped into every worker.
    ReturnFreedMemory();
    BatchSettings settings;
    settings.jobs = request.jobs > 0 ? request.jobs : DefaultJobs();
    // The cores that the files leave free render a file's stems side by side.
    request.stemJobs = std::max(1, settings.jobs / static_cast<int>(std::max<std::size_t>(survey->files, 1)));
    settings.showProgress = !request.quiet && StandardErrorIsTerminal();
    // With the report on standard output, the report is the list: plain paths would break its JSON lines.
    settings.printWritten = !request.quiet && request.report != "-";
    settings.waitForOtherRuns = !request.noWait;
    RunResults results;
    if (!results.Open(request, error)) {
        WriteErrorLine(error);
        return kExitUsage;
    }
    if (request.loudnessSet) {
        ConversionPlan whole = WholePlan(request, *inputs);
        CheckOutputs(whole, survey->outputFolders, request.stems);
        request.setGain = MeasureSetGain(dlg, app.CurrentSong(), request, whole, settings, error);
        if (!request.setGain) {
            WriteErrorLine(error);
            return kExitFailure;
        }
    }
    settings.onFileDone = [&results](const FileResult& result) { results.Add(result); };
    IgnoreBrokenPipes();
    RaiseOpenFileLimit();
    const auto start = std::chrono::steady_clock::now();
    // Rehearsal takes are planned from each song's parts, as each folder comes.
    const SongPartsOpener openParts = [&dlg](const std::string& input) -> std::optional<SongOptions> {
        CollectingReport report;
        OpenMidiFile(dlg, input, report);
        if (!report.lines.empty() || dlg.m_strSongName.empty()) return std::nullopt;
        return dlg.m_songOptions;
    };
    // The plan is walked again, a folder at a time, as the run goes.
    LibraryPlan plan(request, *inputs, true, openParts);
    PlanFeed feed{[&](ConversionPlan& piece) {
                      if (!plan.Next(piece)) return false;
                      CheckOutputs(piece, survey->outputFolders, request.stems);
                      return true;
                  },
                  survey->files, survey->folders};
    const bool allDone = RunParallelBatch(dlg, app.CurrentSong(), request, feed, settings);
    if (settings.showProgress) {
        WriteErrorLine(SummaryLine(results.Totals(), std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()));
    }
    return allDone && !results.ReportFailed() ? kExitSuccess : kExitFailure;
}
