// Reading the Practice dialog's typed fields.
#include "ui/window/practice_form.h"

#include <cstdio>

#include "app/options/practice_values.h"
#include "app/options/requested_options.h"
#include "model/song_options.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr char kLevelSeparator = ';';

// "-6", "+3", "+4.5": a level as the fields show it, sign always written.
std::string DecibelText(double db) {
    char text[32];
    std::snprintf(text, sizeof text, "%+g", db);
    return text;
}

int PartIndex(std::string_view target) {
    for (std::size_t i = 0; i < kLevelParts.size(); ++i) {
        if (target == kLevelParts[i]) return static_cast<int>(i);
    }
    return -1;
}

PracticeFormProblem Problem(std::string message, PracticeField field, int part = -1) {
    return {std::move(message), field, part};
}

// Reads "TARGET=DB" into `settings` when the target names something in `song`.
PracticeFormProblem ReadLevel(std::string_view text, const SongOptions& song, PracticeSettings& settings,
                              PracticeField field, int part) {
    const std::optional<LevelRequest> level = ParseLevel(text);
    if (!level) {
        const std::string shown(Trim(text));
        return Problem(Formatted(Tr("The level %s is not TARGET=DB with DB a number of decibels from -60 to +12."),
                                 shown.c_str()),
                       field, part);
    }
    ChannelSet none{};
    if (LevelTargetChannels(level->target, song) == none) {
        return Problem(Formatted(Tr("This song has no channel, part or track named %s."), level->target.c_str()), field,
                       part);
    }
    settings.levels.push_back(*level);
    return {};
}

}  // namespace

PracticeForm PracticeFormOf(const PracticeSettings& settings) {
    PracticeForm form;
    form.clickLevel = settings.clickLevelDb == 0.0 ? "0" : DecibelText(settings.clickLevelDb);
    form.loop = settings.loopPasses > 1;
    if (form.loop) form.loopPasses = std::to_string(settings.loopPasses);
    if (settings.tempoStep) form.tempoStep = (*settings.tempoStep > 0 ? "+" : "") + std::to_string(*settings.tempoStep);
    if (settings.tempoTo) form.tempoTo = std::to_string(*settings.tempoTo);
    for (const LevelRequest& level : settings.levels) {
        const int part = PartIndex(level.target);
        if (part >= 0 && form.partLevels[part].empty()) {
            form.partLevels[part] = DecibelText(level.db);
            continue;
        }
        if (!form.otherLevels.empty()) form.otherLevels += std::string(1, kLevelSeparator) + " ";
        form.otherLevels += level.target + "=" + DecibelText(level.db);
    }
    return form;
}

PracticeFormProblem ReadPracticeForm(const PracticeForm& form, const SongOptions& song, PracticeSettings& settings) {
    const std::optional<double> clickLevel = ParseClickLevel(Trim(form.clickLevel));
    if (!clickLevel) {
        return Problem(Tr("The click level must be a number of decibels from -40 to +6."), PracticeField::kClickLevel);
    }
    settings.clickLevelDb = *clickLevel;

    settings.loopPasses = 1;
    if (form.loop) {
        const std::optional<int> passes = ParseLoopPasses(Trim(form.loopPasses));
        if (!passes) return Problem(Tr("A loop plays its measures 1 to 99 times."), PracticeField::kLoop);
        settings.loopPasses = *passes;
    }
    settings.tempoStep.reset();
    settings.tempoTo.reset();
    if (!Trim(form.tempoStep).empty()) {
        settings.tempoStep = ParseTempoStep(Trim(form.tempoStep));
        if (!settings.tempoStep) {
            return Problem(Tr("The tempo step must be a whole number of percentage points, such as +5 or -10."),
                           PracticeField::kTempoStep);
        }
    }
    if (!Trim(form.tempoTo).empty()) {
        settings.tempoTo = ParseTempoPercent(Trim(form.tempoTo));
        if (!settings.tempoTo) {
            return Problem(Tr("The last pass's tempo must be a whole percentage from 1 to 999."), PracticeField::kTempoTo);
        }
    }
    switch (CheckLoop(settings.loopPasses, settings.firstMeasure > 0, settings.tempoStep.has_value(),
                      settings.tempoTo.has_value())) {
        case LoopProblem::kNoSection:
            return Problem(Tr("A loop plays a section: tick \"Only measures\" and choose them."), PracticeField::kLoop);
        case LoopProblem::kStepWithoutLoop:
            return Problem(Tr("The tempo changes from pass to pass only in a loop of 2 or more passes."),
                           settings.tempoStep ? PracticeField::kTempoStep : PracticeField::kTempoTo);
        case LoopProblem::kStepAndLastTempo:
            return Problem(Tr("Give a tempo step or the last pass's tempo, not both."), PracticeField::kTempoTo);
        case LoopProblem::kNone:
            break;
    }

    settings.levels.clear();
    for (std::size_t part = 0; part < kLevelParts.size(); ++part) {
        const std::string_view db = Trim(form.partLevels[part]);
        if (db.empty()) continue;
        const std::string level = std::string(kLevelParts[part]) + "=" + std::string(db);
        PracticeFormProblem problem = ReadLevel(level, song, settings, PracticeField::kPartLevel, static_cast<int>(part));
        if (problem.field != PracticeField::kNone) {
            // The part's own field holds only the decibels.
            problem.message = Formatted(Tr("The %s level must be a number of decibels from -60 to +12."), kLevelParts[part]);
            if (ParseLevel(level)) problem.message = Formatted(Tr("This song has no %s part."), kLevelParts[part]);
            return problem;
        }
    }
    std::string_view others = form.otherLevels;
    while (!Trim(others).empty()) {
        const std::size_t end = others.find(kLevelSeparator);
        const std::string_view item = Trim(others.substr(0, end));
        if (!item.empty()) {
            PracticeFormProblem problem = ReadLevel(item, song, settings, PracticeField::kOtherLevels, -1);
            if (problem.field != PracticeField::kNone) return problem;
        }
        if (end == std::string_view::npos) break;
        others.remove_prefix(end + 1);
    }
    return {};
}
