// Checks of a conversion plan's outputs before anything is written: no
// output may be one of the inputs (through any spelling or link), and an
// existing output that is not a sound file is left alone. The report file
// gets the same care: never an input or an output, never a file that is
// not a report.
#pragma once

#include <string>

#include "app/options/conversion_plan.h"
#include "model/song_options.h"
#include "platform/user_report.h"
#include "render/audio_format.h"

#include <map>

// Marks every file of `piece` whose output exists and is not a sound file as
// failed, naming the output; with `stems`, also every file whose stems'
// folder is another output of the piece or holds an output folder of
// `outputFolders` (absolute, normal paths -> an input whose output goes
// there), so that no stem and no output overwrite each other.
void CheckOutputs(ConversionPlan& piece, const std::map<std::string, std::string>& outputFolders, bool stems);
// `path` made absolute and normal.
std::string AbsoluteNormal(const std::string& path);
// Whether the stems of the mix `mix` of a song opened with `options` may be
// written in `format`: no file of another kind is where one of them may go.
// Otherwise says which in `report`.
bool MayWriteStems(const std::string& mix, const SongOptions& options, AudioFormat format, UserReport& report);

// The usage error when the report file `path` (--report) may not be
// written: it is an input or an output of `plan` (or of a piece of it), or an existing regular
// file that is neither empty nor a report of this program. Empty when it may.
std::string CheckReportFile(const std::string& path, const ConversionPlan& plan);
