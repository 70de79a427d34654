// Checks of a conversion plan's outputs before anything is written: no
// output may be one of the inputs (through any spelling or link), and an
// existing output that is not a sound file is left alone.
#pragma once

#include <string>

#include "app/options/conversion_plan.h"

// Marks every file whose output exists and is not a sound file as failed,
// naming the output. Returns the usage error when an output is the same
// file as an input, or empty when the plan may run.
std::string CheckOutputs(ConversionPlan& plan);
