// The window's conversion: the chosen file is written by a worker process
// while the progress window stays live, so that a module that crashes or
// hangs costs that conversion only, and Cancel stops the worker at once.
#pragma once

#include <chrono>
#include <string>

#include "app/workers/conversion_worker.h"

class WindowMessages;

// Converts `source` into `path` in a worker, in the format the path's
// extension names (WAV for any other), with the level and stems of
// `choices` (its encoding is the path's), showing its progress through
// `ui`; leftover temporary files of dead processes in the target folder go
// first. The target folder is locked against other runs of the program for
// as long as the worker runs; while another run holds it, `messages` says
// so and nothing is written. The conversion's messages, a crash or a stall go to `messages`,
// with the worker's explanations as secondary text. A cancelled or failed
// conversion leaves no temporary file and an earlier file of that name as
// it was. Returns once the worker has ended or been stopped: true when the
// file was written.
bool ConvertInWorker(const ConversionSource& source, SongContainer& renderSong, const std::string& path,
                     OutputOptions choices, ConversionUi& ui, WindowMessages& messages,
                     std::chrono::milliseconds stallTimeout = kWorkerStallTimeout);
