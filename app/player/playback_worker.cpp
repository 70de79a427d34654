// The worker's loop: commands, one block, the block to the program.
#include "app/player/playback_worker.h"

#include <chrono>
#include <string>
#include <vector>

#include "app/player/playback_records.h"
#include "platform/child_process.h"
#include "render/playback_session.h"
#include "sequencer/synth_module.h"

namespace {

constexpr char kModuleFailedLine[] = "the synthesizer module could not be started";
// How long the worker waits for a command once the song is over.
constexpr auto kIdleWait = std::chrono::milliseconds(100);

std::string StartFailure(PlaybackStart start, const PlaybackSession& session) {
    switch (start) {
    case PlaybackStart::kSectionMissing:
        return "measure " + std::to_string(session.FirstMeasure()) + " is past the song's last measure";
    case PlaybackStart::kNothingToPlay: return "the song has no measure to play";
    case PlaybackStart::kModuleFailed:
    case PlaybackStart::kPlaying: break;
    }
    return kModuleFailedLine;
}

class Worker {
public:
    Worker(int out, int in, SongContainer& loaded, SongContainer& render)
        : out_(out), in_(in), session_(loaded, render), block_(kBlockBytes) {}

    int Run(const SongOptions& options) {
        options_ = options;
        const PlaybackStart start = session_.Start(options);
        if (start != PlaybackStart::kPlaying) {
            Write(EncodeFailedRecord(StartFailure(start, session_)));
            return 0;
        }
        bool over = false;
        for (;;) {
            if (!TakeCommands(over)) return 0;
            if (over) {
                WaitForReadable({in_}, kIdleWait);
                continue;
            }
            // The position where the block starts.
            const PlaybackPosition at = session_.Position();
            if (session_.Step(block_) == 0) {
                over = true;
                if (!Write(EncodeEndRecord(move_))) return 0;
                continue;
            }
            const std::string_view frames(reinterpret_cast<const char*>(block_.data()), block_.size());
            if (!Write(EncodeBlockRecord(move_, at, frames))) return 0;
        }
    }

private:
    bool Write(const std::string& record) const { return WriteAllBytes(out_, record); }

    // Applies the commands that have come; false once the program has closed
    // the commands or a move failed.
    bool TakeCommands(bool& over) {
        ReadAvailableBytes(in_, pending_);
        for (PlaybackRecord& record : TakePlaybackRecords(pending_)) {
            int value = 0;
            std::uint32_t move = 0;
            if (record.kind == PlaybackRecordKind::kChannels && DecodeChannels(record.payload, options_)) {
                session_.SetChannels(options_);
            } else if (record.kind == PlaybackRecordKind::kTempo && DecodeTempo(record.payload, value)) {
                session_.SetTempo(value);
            } else if (record.kind == PlaybackRecordKind::kKey && DecodeKey(record.payload, value)) {
                session_.SetTranspose(value);
            } else if (record.kind == PlaybackRecordKind::kSeek && DecodeSeek(record.payload, value, move)) {
                move_ = move;
                over = false;
                if (!session_.Seek(value)) {
                    Write(EncodeFailedRecord(kModuleFailedLine));
                    return false;
                }
            }
        }
        return in_ >= 0;
    }

    int out_;
    int in_;
    PlaybackSession session_;
    std::vector<std::uint8_t> block_;
    SongOptions options_;
    std::string pending_;
    std::uint32_t move_ = 0;
};

}  // namespace

int RunPlaybackWorker(int out, int in, SongContainer& loaded, SongContainer& render, const SongOptions& options) {
    return Worker(out, in, loaded, render).Run(options);
}
