// Which channel a song names as its melody: by a track name such as
// "Melody", "Vocal" or "メロディ", else by the notes its lyrics are sung on.
#pragma once

#include <string_view>

class SongContainer;
struct SongOptions;

// How strongly a track name says that the track is the melody: 0 not at all,
// 1 a lead ("Lead", "Synth Lead"), 2 a voice ("Vocal", "Voice", "Vox", "Vo",
// "ボーカル", "ヴォーカル", "歌", "うた"), 3 the melody itself ("Melody",
// "Melo", "メロディ", "歌メロ", "主旋律"). English words count as whole
// words in any case; Japanese words anywhere in the name, in UTF-8 or
// Shift_JIS. Backing voices ("Back Vocal", "Chorus", "Cho", "Harmony",
// "コーラス", "ハモリ") are never the melody.
int MelodyNameStrength(std::string_view trackName);

// The channel index (0-15) that `song` names as its melody among the used
// channels that do not play drums (`options` after the channel information),
// or -1 when it names none:
// 1. the track whose name says so most strongly (the first of equals);
// 2. else, for a song with lyrics, the channel on whose note starts at least
//    four in five of its lyrics fall, when no other channel has as many.
int NamedMelodyChannel(SongContainer& song, const SongOptions& options);
