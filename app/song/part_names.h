// What a track name says about the part it plays: the melody ("Melody",
// "Vocal", "メロディ", ...), the bass, a guitar or the drums.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The runs of ASCII letters of `name`, in lower case: its English words.
std::vector<std::string> EnglishWords(std::string_view name);

// How strongly a track name says that the track is the melody: 0 not at all,
// 1 a lead ("Lead", "Synth Lead"), 2 a voice ("Vocal", "Voice", "Vox", "Vo",
// "Soprano", "Singer", "Tune", "Solo", "ボーカル", "ヴォーカル", "歌", "うた"), 3 the
// melody itself ("Melody", "Melo", "メロディ", "歌メロ", "主旋律"). English
// words count as whole words in any case; Japanese words anywhere in the
// name, in UTF-8 or Shift_JIS. Backing voices ("Back Vocal", "Chorus", "Cho",
// "Harmony", "コーラス", "ハモリ") are never the melody.
int MelodyNameStrength(std::string_view trackName);

// The part other than the melody that a track name names, in the same way:
// the drums ("Drums", "Drum Kit", "Percussion", "Perc", "ドラム"; also
// "Bass Drum"), else the bass ("Bass", "Basses", "Contrabass", "Basso",
// "Bass Guitar", "ベース"; not "Bassoon"), else a guitar ("Guitar", "Gtr",
// "Gt", "ギター").
enum class NamedPart { kNone, kDrums, kBass, kGuitar };
NamedPart OtherPartNamed(std::string_view trackName);

// The voice a choir score names a track with a single letter: 'S', 'A',
// 'T' or 'B' for a name such as "S", "b" or "T:", 0 for any other name.
char ChoirVoiceLetter(std::string_view trackName);
