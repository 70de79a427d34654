// The Practice dialog's typed fields (the click's level, the loop and its
// tempo change, the levels of parts) read into practice choices with the
// option command line's own readers and limits, and a message that names
// the field when a value is wrong.
#pragma once

#include <array>
#include <string>

#include "ui/window/practice_settings.h"

struct SongOptions;

// The fields, for the dialog to point at the one that is wrong.
enum class PracticeField { kNone, kClickLevel, kLoop, kTempoStep, kTempoTo, kPartLevel, kOtherLevels };

// The parts that have a level field of their own, in the dialog's order.
inline constexpr std::array<const char*, 4> kLevelParts = {"melody", "guitar", "bass", "drums"};

// The fields as typed; an empty level, tempo step or last tempo is none.
struct PracticeForm {
    std::string clickLevel = "0";
    bool loop = false;
    std::string loopPasses = "2";
    std::string tempoStep;
    std::string tempoTo;
    std::array<std::string, kLevelParts.size()> partLevels;
    // More levels: "TARGET=DB" items (a channel list or a track's name) divided by ";".
    std::string otherLevels;
};

// What is wrong with a form: the message, the field and, for a part's
// level, which part (index into kLevelParts).
struct PracticeFormProblem {
    std::string message;
    PracticeField field = PracticeField::kNone;
    int part = -1;
};

// The fields that show `settings`.
PracticeForm PracticeFormOf(const PracticeSettings& settings);

// Reads `form` into `settings`, whose section must already be chosen, for
// the opened song `song` (the level targets must name something in it).
// Returns the first problem (field kNone when there is none); `settings`
// is then only partly filled.
PracticeFormProblem ReadPracticeForm(const PracticeForm& form, const SongOptions& song, PracticeSettings& settings);
