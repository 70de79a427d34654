// The window's playback: one player and one audio output a PLAY.
#include "ui/window/window_player.h"

#include "platform/text.h"
#include "platform/translation.h"
#include "ui/window/main_window_host.h"

std::string PlayingBarText(const PlaybackPosition& position) {
    // TRANSLATORS: beside the tempo while the song plays; %d the beat of the count-in, then the bar.
    if (position.measure == 0) return Formatted(Tr("Count-in %d"), position.beat);
    return Formatted(Tr("Bar %d"), position.measure);
}

bool WindowPlayer::Start(SongContainer& loaded, SongContainer& render, const SongOptions& options) {
    Stop();
    failure_.clear();
    position_ = {};
    output_ = host_.NewAudioOutput();
    player_ = std::make_unique<Player>(*output_);
    sent_ = options;
    if (player_->Start(loaded, render, options)) return true;
    failure_ = player_->Status().failure;
    Stop();
    return false;
}

void WindowPlayer::Stop() {
    player_.reset();
    output_.reset();
}

void WindowPlayer::Follow(const SongOptions& options) {
    if (!player_) return;
    if (options.mute != sent_.mute || options.volumeDown != sent_.volumeDown) player_->SetChannels(options);
    if (options.tempoPercent != sent_.tempoPercent) player_->SetTempo(options.tempoPercent);
    if (options.transpose != sent_.transpose) player_->SetKey(options.transpose);
    sent_ = options;
}

bool WindowPlayer::Poll(const SongOptions& options) {
    if (!player_) return false;
    Follow(options);
    const PlayerStatus status = player_->Status();
    position_ = status.position;
    if (!status.over) return true;
    failure_ = status.failure;
    Stop();
    return false;
}
