// Percentage text of the progress window.
#include "render/progress_text.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double kFullPercent = 100.0;
}

std::string ProgressPercentText(int position, int lower, int upper) {
    double percent = kFullPercent;
    if (upper != lower) {
        const double share =
            (static_cast<double>(position) - lower) / (static_cast<double>(upper) - lower);
        percent = std::trunc(share * kFullPercent);
        // A song longer than its computed length keeps counting: 105 % shows 5.
        if (percent != kFullPercent) percent = std::fmod(percent, kFullPercent);
        if (percent < 0) percent = kFullPercent;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d%c", static_cast<int>(percent), '%');
    return text;
}
