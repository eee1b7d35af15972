#include "sound/engine/attenuations/SxEffectLookup.h"

#include <algorithm>

#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/index/CSxObjectIndex.h"

namespace SX {

namespace {

// The index keeps a loaded effect alive; users only compare the pointer once their plug-in is
// made, so no reference is held.
CSxFxBase* Find(SxIndexTable table, SxUniqueID id) {
    if (!g_pObjectIndex || id == 0) return nullptr;
    auto* effect = static_cast<CSxFxBase*>(g_pObjectIndex->GetPtrAndAddRef(table, id));
    if (effect) effect->Release();
    return effect;
}

}  // namespace

ISxEffectObject* SxFindEffectObject(SxUniqueID id, bool shareSet) {
    CSxFxBase* effect = shareSet ? Find(SxIndex_FxShareSet, id) : nullptr;
    if (!effect) effect = Find(SxIndex_FxCustom, id);
    return effect && effect->FxID() != CSxFxBase::kNoPlugin ? effect : nullptr;
}

SxFxSlotInfo SxEnvironmentFx(SxUniqueID environmentID, uint32_t slot) {
    SxFxSlotInfo info;
    // An environment is one share set: its effect sits in the first slot.
    if (slot != 0) return info;
    auto* shareSet = static_cast<CSxFxShareSet*>(Find(SxIndex_FxShareSet, environmentID));
    if (!shareSet || shareSet->FxID() == CSxFxBase::kNoPlugin) return info;
    info.effect = shareSet;
    info.bypass = shareSet->IsBypassed();
    return info;
}

bool SxEnvironmentVolumes(SxUniqueID environmentID, float volumes[6]) {
    const auto* shareSet = static_cast<CSxFxShareSet*>(Find(SxIndex_FxShareSet, environmentID));
    if (!shareSet) return false;
    std::copy(shareSet->Volumes(), shareSet->Volumes() + CSxFxShareSet::kSpeakers, volumes);
    return true;
}

}  // namespace SX
