// The terminal's play command: the song opened, the player started, the
// keys and the status line until the end.
#include "app/options/play_command.h"

#include <algorithm>
#include <cstdio>

#include "app/batch/failure_cause.h"
#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "platform/display.h"
#include "platform/terminal_keys.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/user_report.h"

namespace {

constexpr auto kKeyWait = std::chrono::milliseconds(100);
constexpr int kTempoStep = 5;  // percent per + or -
constexpr int kMinTempo = 1;
constexpr int kMaxTempo = 999;
constexpr char kClearLine[] = "\r\033[K";
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr double kHundredths = 100.0;

class PlayLoop {
public:
    PlayLoop(Player& player, const SongOptions& options) : player_(player), tempo_(options.tempoPercent) {}

    // Runs until the song is over or the user quits.
    void Run(bool terminal) {
        TerminalKeys keys;
        const bool interactive = terminal && keys.Active();
        for (;;) {
            const PlayerStatus status = player_.Status();
            if (status.over) break;
            if (interactive) {
                std::fprintf(stderr, "%s%s", kClearLine, PlayStatusLine(status).c_str());
                std::fflush(stderr);
                if (!Handle(keys.Read(kKeyWait), status)) break;
            } else {
                WaitForReadable({}, kKeyWait);
            }
        }
        if (interactive) std::fputs(kClearLine, stderr);
    }

private:
    // Acts on the keys; false for quit.
    bool Handle(const std::vector<TerminalKey>& keys, const PlayerStatus& status) {
        for (const TerminalKey key : keys) {
            switch (key) {
            case TerminalKey::kQuit: return false;
            case TerminalKey::kSpace: player_.Pause(!status.paused); break;
            case TerminalKey::kLeft: player_.Seek(std::max(status.position.measure, 1) - 1); break;
            case TerminalKey::kRight: player_.Seek(std::max(status.position.measure, 1) + 1); break;
            case TerminalKey::kHome: player_.Seek(0); break;
            case TerminalKey::kPlus:
            case TerminalKey::kMinus:
                tempo_ = std::clamp(tempo_ + (key == TerminalKey::kPlus ? kTempoStep : -kTempoStep), kMinTempo, kMaxTempo);
                player_.SetTempo(tempo_);
                break;
            }
        }
        return true;
    }

    Player& player_;
    int tempo_;
};

}  // namespace

std::string PlayStatusLine(const PlayerStatus& status) {
    const PlaybackPosition& at = status.position;
    const std::string where =
        at.measure == 0 ? Formatted(Tr("count-in %d"), at.beat) : Formatted(Tr("bar %d:%d"), at.measure, at.beat);
    const int seconds = at.ms / kMsPerSecond;
    std::string line = Formatted("%s  %d:%02d  %.1f BPM (%d %%)", where.c_str(), seconds / kSecondsPerMinute,
                                 seconds % kSecondsPerMinute, at.tempo / kHundredths, at.tempoPercent);
    if (status.paused) line += std::string("  ") + Tr("paused");
    return line;
}

int PlaySong(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, AudioSink& sink) {
    const std::string& input = request.inputs.front();
    CollectingReport opened;
    OpenMidiFile(dlg, input, opened);
    if (!opened.lines.empty() || dlg.m_strSongName.empty()) {
        std::fprintf(stderr, "%s\n", EscapeControlCharacters(FailureLine(input, opened.lines)).c_str());
        return 1;
    }
    ApplyRequestedOptions(request, dlg.m_songOptions);
    Player player(sink);
    if (player.Start(dlg.m_song, renderSong, dlg.m_songOptions)) {
        PlayLoop(player, dlg.m_songOptions).Run(StandardErrorIsTerminal());
    }
    const PlayerStatus status = player.Status();
    player.Stop();
    if (status.failure.empty()) return 0;
    std::fprintf(stderr, "%s\n", EscapeControlCharacters(input + ": cannot play: " + status.failure).c_str());
    return 1;
}
