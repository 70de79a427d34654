// The slot map every song shares: which track slot holds what.
#pragma once

constexpr int kSlotCount = 276;
constexpr int kMeasureSlot = 2;
constexpr int kTempoSlot = 3;
constexpr int kSpareSlot = 4;
constexpr int kSlot7 = 7;
constexpr int kFirstPartSlot = 8;
constexpr int kLastPartSlot = 263;
constexpr int kFirstExtraSlot = 264;
constexpr int kLastExtraSlot = 271;
constexpr int kLastPartSlotA = 272;
constexpr int kLyricSlot = 273;
constexpr int kNoEndMarkerSlot = 274;  // no automatic end marker; freed only when truly empty
constexpr int kUncountedSlot = 275;    // changes not counted; freed when empty even if modified

constexpr int kPartCount = 256;       // parts in slots 8-263
constexpr int kPartTableSize = 265;   // per-part arrays: parts 0-264

// Slot of part p (0-255).
constexpr int PartSlot(int part) { return part + kFirstPartSlot; }
constexpr bool IsPartSlot(int slot) { return slot >= kFirstPartSlot && slot <= kLastPartSlot; }
