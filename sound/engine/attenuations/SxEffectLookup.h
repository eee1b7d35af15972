#pragma once
// The effects the banks loaded, as the lower engine asks for them: a node's insert effects and
// an environment's effect, speaker volumes and bypass, all from the effect tables of the index.
#include "sound/engine/bus/ISxBusObject.h"

namespace SX {

// The effect of an ID: a share set, or else a custom effect. Null when none is loaded.
ISxEffectObject* SxFindEffectObject(SxUniqueID effectID, bool shareSet);
// The effect of an environment's share set in a slot; empty when none.
SxFxSlotInfo SxEnvironmentFx(SxUniqueID environmentID, uint32_t slot);
// The six speaker volumes of an environment (L, R, C, SL, SR, LFE); false: none loaded (all 1.0).
bool SxEnvironmentVolumes(SxUniqueID environmentID, float volumes[6]);

}  // namespace SX
