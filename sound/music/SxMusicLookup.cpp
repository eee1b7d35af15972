#include "sound/music/SxMusicLookup.h"

#include <algorithm>

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicContainers.h"

namespace SX {

CSxMusicNode* SxFindMusicNode(uint32_t id) {
    if (!g_pObjectIndex || id == 0) return nullptr;
    CSxIndexable* object = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id);
    auto* node = dynamic_cast<CSxMusicNode*>(object);
    if (object && !node) object->Release();
    return node;
}

uint32_t SxCurrentSwitchValue(const CSxMusicSwitchCntr& node, CSxRegisteredObj* gameObj) {
    if (node.GroupType() == SxGroupType_State) return g_pStateMgr ? g_pStateMgr->GetState(node.GroupID()) : 0;
    return g_pRTPCMgr ? g_pRTPCMgr->GetSwitchValue(node.GroupID(), gameObj) : 0;
}

int32_t SxMusicMsToSamples(uint32_t ms) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t(SxTimingSettings::sampleRate) * ms / 1000, INT32_MAX));
}

}  // namespace SX
