// Fixed table of instances, handles 1..kMaxInstances.

#include "module/fluid/instance_table.h"

#include <array>

namespace {

std::array<std::unique_ptr<SynthInstance>, kMaxInstances>& Slots() {
    static std::array<std::unique_ptr<SynthInstance>, kMaxInstances> slots;
    return slots;
}

}  // namespace

std::int32_t AddInstance(std::unique_ptr<SynthInstance> instance) {
    if (!instance) return 0;
    auto& slots = Slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i]) {
            slots[i] = std::move(instance);
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return 0;
}

SynthInstance* FindInstance(std::int32_t handle) {
    if (handle < 1 || handle > kMaxInstances) return nullptr;
    return Slots()[static_cast<std::size_t>(handle - 1)].get();
}

bool RemoveInstance(std::int32_t handle) {
    if (FindInstance(handle) == nullptr) return false;
    Slots()[static_cast<std::size_t>(handle - 1)].reset();
    return true;
}
