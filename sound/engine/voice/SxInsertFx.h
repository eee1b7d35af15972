#pragma once
// The insert effects of a playing sound: those of the nearest node, from the sound up, that sets
// its own effects (the top node's otherwise), found by ID through the hierarchy's effect lookup.
#include <cstdint>

#include "sound/engine/bus/ISxBusObject.h"

namespace SX {

class CSxPBI;

constexpr uint32_t SxInsertFxSlots = 4;
// The bypass bit of every effect at once, after the four slot bits.
constexpr uint32_t SxInsertFxBypassAll = 1u << 4;

// The effect of a slot with its bypass bit; no effect when the slot is empty or its effect is
// not loaded.
SxFxSlotInfo SxGetInsertFx(const CSxPBI& instance, uint32_t slot);
// Bit i: slot i bypassed; SxInsertFxBypassAll: all of them.
uint32_t SxGetInsertFxBypass(const CSxPBI& instance);
// The media ID of a data index of a slot's effect, -1 for none.
int32_t SxGetInsertFxMediaID(const CSxPBI& instance, uint32_t slot, uint32_t dataIndex);

}  // namespace SX
