#include "sound/engine/voice/SxInsertFx.h"

#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

namespace {

const CSxParameterNodeBase* EffectsNode(const CSxPBI& instance) {
    const CSxParameterNodeBase* node = instance.Node();
    while (node && !(node->FlagsB() & CSxParameterNodeBase::kOverrideEffects) && node->Parent()) node = node->Parent();
    return node;
}

}  // namespace

SxFxSlotInfo SxGetInsertFx(const CSxPBI& instance, uint32_t slot) {
    SxFxSlotInfo info;
    const CSxParameterNodeBase* node = EffectsNode(instance);
    if (!node || slot >= SxInsertFxSlots) return info;
    const SxUniqueID id = node->EffectID(slot);
    if (id == 0) return info;
    info.effect = SxFindEffectObject(id, node->EffectIsShareSet(slot));
    info.bypass = node->IsFXBypassed(slot, instance.GameObj());
    return info;
}

uint32_t SxGetInsertFxBypass(const CSxPBI& instance) {
    const CSxParameterNodeBase* node = EffectsNode(instance);
    if (!node) return 0;
    // The game object's own bits, or the node's for every object, or game-parameter driven.
    uint32_t bits = 0;
    for (uint32_t slot = 0; slot <= SxInsertFxSlots; ++slot)
        if (node->IsFXBypassed(slot, instance.GameObj())) bits |= 1u << slot;
    return bits;
}

int32_t SxGetInsertFxMediaID(const CSxPBI& instance, uint32_t slot, uint32_t dataIndex) {
    const SxFxSlotInfo fx = SxGetInsertFx(instance, slot);
    return fx.effect ? fx.effect->MediaID(dataIndex) : -1;
}

}  // namespace SX
