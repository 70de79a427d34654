// `ombrix --play SONG [options]`: plays the practice track that the same
// options would convert. On a terminal it shows where it is (bar:beat,
// time, tempo) and takes keys: Space pauses and resumes, Left and Right
// move a measure, Home goes to the section's start, + and - change the
// tempo by 5 %, q quits. Otherwise it plays to the end.
#pragma once

#include <string>

#include "app/player/player.h"

class COmbrixDlg;
class SongContainer;
struct ConversionRequest;

// The status line: "bar 12:3  1:23  96.0 BPM (80 %)", the pre-count as
// "count-in 2", with "paused" after it while paused.
std::string PlayStatusLine(const PlayerStatus& status);

// Plays the one input of `request` through `sink`, opened into `dlg` and
// rendered through `renderSong` in the worker. Returns the exit status: 0
// played to the end or quit, 1 when the song, the module or the audio
// output failed (one line on standard error says why).
int PlaySong(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, AudioSink& sink);
