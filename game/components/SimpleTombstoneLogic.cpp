#include "game/components/SimpleTombstoneLogic.h"

#include "game/components/WorldHooks.h"

namespace QV {

void SimpleTombstoneLogic::VInitialize(bool) { glow_.Reset(GetOwner()); }

void SimpleTombstoneLogic::VSerialize(SD::IStream& stream, int version) {
    SerializeGlowData(stream, version, minDistance_, maxDistance_, sound_);
}

void SimpleTombstoneLogic::VUpdate(float) {
    if (!glow_.Update(GetOwner(), minDistance_, maxDistance_, {14.0f, 5.5f})) return;
    if (!sound_.empty())
        GetWorldHooks().PostSound(sound_.c_str());
    else
        GetWorldHooks().PostSoundID(GetOwner(), kDefaultSound);
}

}  // namespace QV
