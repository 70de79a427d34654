// The module's table of live synthesizer instances. A handle is a slot
// number plus one, so 0 never names an instance.
#pragma once

#include "module/fluid/synth_instance.h"

#include <cstdint>
#include <memory>

// Most instances alive at once; each holds a whole synthesizer.
inline constexpr int kMaxInstances = 16;

// Stores `instance` in a free slot and returns its handle; 0 when the table
// is full (the instance is then destroyed).
std::int32_t AddInstance(std::unique_ptr<SynthInstance> instance);

// The instance named by `handle`, or null when there is none (borrowed).
SynthInstance* FindInstance(std::int32_t handle);

// Destroys the instance named by `handle`; false when there is none.
bool RemoveInstance(std::int32_t handle);
