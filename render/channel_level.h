// A channel's loudness changed by a level in decibels, through the values
// the synthesizer turns into gain: channel volume (CC 7), expression (CC 11)
// and note velocity. Each of the three maps to about 40 * log10(value / 127)
// dB, so a factor f on one of them changes the sound by 40 * log10(f) dB.
#pragma once

#include <cstdint>

#include "model/track_event.h"

// The factors a level puts on a channel's values.
struct LevelScaling {
    double volume = 1.0;      // on CC 7
    double expression = 1.0;  // on CC 11
    double velocity = 1.0;    // on note velocities
    double reachedDb = 0.0;   // what the factors give together
    bool capped = false;      // a boost asked past what the values can still rise
};

// The highest values a channel plays with, its defaults included when it
// plays a note before setting them.
struct ChannelPeaks {
    int volume = 100;
    int expression = 127;
    int velocity = 127;
};

// Factors for `db`. A cut is shared evenly by volume and expression, so that
// the instruments keep the timbre their velocities choose; a boost raises
// volume, then expression, then velocities, each up to where its highest
// value reaches 127, and is capped there.
LevelScaling PlanLevel(double db, const ChannelPeaks& peaks);
// `value` times `factor`, rounded, from 1 to 127; 0 stays 0.
std::uint8_t ScaledValue(std::uint8_t value, double factor);
// Scales a note's velocity or a volume or expression control event.
void ScaleForLevel(TrackEvent& event, const LevelScaling& scaling);

constexpr std::uint8_t kVolumeController = 7;
constexpr std::uint8_t kExpressionController = 11;
constexpr std::uint8_t kDefaultChannelVolume = 100;  // General MIDI's default
constexpr std::uint8_t kDefaultExpression = 127;
