// Levels in decibels as factors on volume, expression and velocity.
#include "render/channel_level.h"

#include <algorithm>
#include <cmath>

#include <utility>

namespace {

constexpr double kDbPerDecade = 40.0;  // dB per tenfold value
constexpr double kHighestValue = 127.0;
constexpr int kVelocityAt = 6;
constexpr int kControllerAt = 4;
constexpr int kControlValueAt = 5;
// A boost smaller than this short of the asked one is not worth a warning.
constexpr double kCapToleranceDb = 0.05;

double FactorFor(double db) { return std::pow(10.0, db / kDbPerDecade); }
double DbFor(double factor) { return kDbPerDecade * std::log10(factor); }

// The dB a value can still rise by from its highest use.
double Headroom(int highest) { return highest <= 0 ? 0.0 : std::max(0.0, DbFor(kHighestValue / highest)); }

}  // namespace

LevelScaling PlanLevel(double db, const ChannelPeaks& peaks) {
    LevelScaling scaling;
    if (db <= 0) {
        scaling.volume = scaling.expression = FactorFor(db / 2);
        scaling.reachedDb = db;
        return scaling;
    }
    double left = db;
    for (auto [factor, highest] : {std::pair{&scaling.volume, peaks.volume}, std::pair{&scaling.expression, peaks.expression},
                                   std::pair{&scaling.velocity, peaks.velocity}}) {
        const double step = std::min(left, Headroom(highest));
        *factor = FactorFor(step);
        left -= step;
    }
    scaling.reachedDb = db - left;
    scaling.capped = left > kCapToleranceDb;
    return scaling;
}

std::uint8_t ScaledValue(std::uint8_t value, double factor) {
    if (value == 0) return 0;
    const double scaled = std::round(value * factor);
    return static_cast<std::uint8_t>(std::clamp(scaled, 1.0, kHighestValue));
}

void ScaleForLevel(TrackEvent& event, const LevelScaling& scaling) {
    if (event.IsNote()) {
        event.SetU8(kVelocityAt, ScaledValue(event.U8(kVelocityAt), scaling.velocity));
        return;
    }
    if (event.Kind() != EventKind::kControl) return;
    const std::uint8_t controller = event.U8(kControllerAt);
    if (controller == kVolumeController) {
        event.SetU8(kControlValueAt, ScaledValue(event.U8(kControlValueAt), scaling.volume));
    } else if (controller == kExpressionController) {
        event.SetU8(kControlValueAt, ScaledValue(event.U8(kControlValueAt), scaling.expression));
    }
}
