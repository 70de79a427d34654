// --loudness-set: one gain for every song of a run, so that a practice
// playlist keeps its songs' relative levels. A measuring pass converts each
// song as it is into a scratch folder and measures its integrated loudness;
// the gain brings the loudest song to the target, and the real pass
// converts every song at that gain, limiting the peaks that would pass the
// true-peak ceiling.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options/conversion_plan.h"
#include "app/options/parallel_batch.h"

class COmbrixDlg;
class SongContainer;
struct ConversionRequest;

// The gain that brings the loudest of `loudnessLufs` (songs that could not
// be measured, or are silent, left out) to `targetLufs`; nothing when no
// song has a loudness.
std::optional<double> SetGain(const std::vector<std::optional<double>>& loudnessLufs, double targetLufs);

// Converts the files of `plan` as `request` asks but at their own level into
// a scratch folder, measures them and returns SetGain of them; nothing
// (with the reason in `error`) when no song could be measured.
std::optional<double> MeasureSetGain(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request,
                                     const ConversionPlan& plan, const BatchSettings& settings, std::string& error);
