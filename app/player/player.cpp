// The program's side of playback: the worker, the reading thread, the output.
#include "app/player/player.h"

#include <algorithm>

#include "app/player/playback_worker.h"
#include "platform/standard_error.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReadWait = std::chrono::milliseconds(20);
// A record longer than this is read in pieces.
constexpr std::size_t kMostReadAtOnce = 1 << 16;

std::string PlaybackStalledLine(std::chrono::milliseconds timeout) {
    return "Playback stopped: the synthesizer module made no progress for " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) + " seconds";
}

std::string PlaybackCrashedLine(const ChildEnd& end) {
    if (end.signaled) return "Playback crashed (" + SignalDescription(end.code) + ")";
    return "Playback crashed (exit status " + std::to_string(end.code) + ")";
}

}  // namespace

Player::Player(AudioSink& sink, std::chrono::milliseconds stallTimeout, std::chrono::milliseconds startTimeout)
    : sink_(sink), stallTimeout_(stallTimeout), startTimeout_(startTimeout) {}

Player::~Player() { Stop(); }

bool Player::Start(SongContainer& loaded, SongContainer& render, const SongOptions& options) {
    // The worker is made before the output starts a thread of its own.
    worker_ = ChildProcess::StartWithInput([&](int out, int in) {
        return RunPlaybackWorker(out, in, loaded, render, options);
    });
    if (!worker_.Started()) {
        Fail("cannot start the playback worker");
        return false;
    }
    if (!sink_.Open([this](std::span<std::uint8_t> frames) { queue_.Pull(frames); })) {
        Fail(sink_.Failure());
        Stop();
        return false;
    }
    reader_ = std::thread([this] { Read(); });
    sink_.Pause(false);
    return true;
}

void Player::Send(const std::string& record) {
    if (worker_.InputFd() >= 0) WriteAllBytes(worker_.InputFd(), record);
}

void Player::SetChannels(const SongOptions& options) { Send(EncodeChannelsRecord(options)); }

void Player::SetTempo(int percent) { Send(EncodeTempoRecord(percent)); }

void Player::SetKey(int semitones) { Send(EncodeKeyRecord(semitones)); }

void Player::Seek(int measure) {
    ++move_;
    queue_.Discard(move_);
    Send(EncodeSeekRecord(measure, move_));
}

void Player::Pause(bool paused) {
    // The output's thread may be waiting in the queue: it is let go first.
    queue_.SetPaused(paused);
    sink_.Pause(paused);
}

void Player::Stop() {
    if (stopping_.exchange(true)) return;
    queue_.Close();
    sink_.Close();
    worker_.CloseInput();
    if (reader_.joinable()) reader_.join();
    if (worker_.Started()) {
        worker_.Kill();
        worker_.Wait();
    }
}

void Player::Fail(const std::string& why) {
    {
        std::lock_guard lock(mutex_);
        if (failure_.empty()) failure_ = why;
    }
    queue_.Finish();
}

PlayerStatus Player::Status() const {
    PlayerStatus status;
    status.position = queue_.Heard();
    status.paused = queue_.Paused();
    status.framesPlayed = queue_.FramesPulled();
    std::lock_guard lock(mutex_);
    status.failure = failure_;
    status.over = !failure_.empty() || queue_.Drained();
    return status;
}

void Player::Read() {
    std::string pending;
    std::string errors;
    auto lastBlock = Clock::now();
    bool started = false;  // a block has come: the module runs
    bool over = false;
    while (!stopping_) {
        WaitForReadable({worker_.MessageFd(), worker_.ErrorFd()}, kReadWait);
        worker_.ReadErrors(errors);
        // Only the record under way is read: the blocks after it wait in
        // the pipe, and the worker behind them, so that a switch is heard
        // after the same few blocks however the threads are scheduled.
        worker_.ReadSomeMessages(pending, std::min(MissingRecordBytes(pending), kMostReadAtOnce));
        for (PlaybackRecord& record : TakePlaybackRecords(pending)) {
            std::uint32_t move = 0;
            PlayedBlock block;
            if (record.kind == PlaybackRecordKind::kBlock && DecodeBlock(std::move(record.payload), block)) {
                over = false;
                if (!queue_.Push(std::move(block))) return;
                lastBlock = Clock::now();
                started = true;
            } else if (record.kind == PlaybackRecordKind::kEnd && DecodeEnd(record.payload, move) && move == move_.load()) {
                over = true;
                queue_.Finish();
            } else if (record.kind == PlaybackRecordKind::kFailed) {
                const std::string detail = ErrorLinesText(errors, "; ");
                Fail(record.payload + (detail.empty() ? "" : " (" + detail + ")"));
            }
        }
        if (worker_.PipesClosed()) {
            const ChildEnd end = worker_.Wait();
            if (!stopping_) Fail(PlaybackCrashedLine(end));
            return;
        }
        // The module's start (a process of its own, a sound font to load)
        // may take longer than a block under load, and has a limit of its own.
        const std::chrono::milliseconds limit = started ? stallTimeout_ : startTimeout_;
        if (!over && !queue_.Paused() && Clock::now() - lastBlock > limit) {
            worker_.Kill();
            Fail(PlaybackStalledLine(limit));
            lastBlock = Clock::now();
        }
    }
}
