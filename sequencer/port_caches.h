// What the engine last sent on each track slot, so that a program change
// repeating the current program and bank, or a bank select repeating the
// current bank, is not sent again. -1 means unknown.
#pragma once

#include <array>
#include <cstdint>

#include "model/slots.h"

struct PortCaches {
    using PerSlot = std::array<std::int32_t, kSlotCount>;
    PerSlot program;         // last program sent
    PerSlot programBankMsb;  // bank select MSB when that program was sent
    PerSlot programBankLsb;  // bank select LSB when that program was sent
    PerSlot bankMsb;         // current bank select MSB
    PerSlot bankLsb;         // current bank select LSB

    PortCaches() { Forget(); }
    // Sets every value to unknown.
    void Forget() {
        for (PerSlot* cache : {&program, &programBankMsb, &programBankLsb, &bankMsb, &bankLsb}) cache->fill(-1);
    }
};
