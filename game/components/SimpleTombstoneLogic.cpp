#include "game/components/SimpleTombstoneLogic.h"

#include "game/systems/AudioLogic.h"

namespace QV {

void SimpleTombstoneLogic::VInitialize(bool) { glow_.Reset(GetOwner()); }

void SimpleTombstoneLogic::VSerialize(SD::IStream& stream, int version) {
    SerializeGlowData(stream, version, minDistance_, maxDistance_, sound_);
}

void SimpleTombstoneLogic::VUpdate(float) {
    if (!glow_.Update(GetOwner(), minDistance_, maxDistance_, {14.0f, 5.5f})) return;
    if (!sound_.empty())
        AudioLogic_::PostEvent(sound_.c_str(), nullptr);
    else
        AudioLogic_::PostEventID(kDefaultSound, GetOwner());
}

}  // namespace QV
