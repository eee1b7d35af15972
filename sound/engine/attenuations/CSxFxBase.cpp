#include "sound/engine/attenuations/CSxFxBase.h"

#include <algorithm>

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

namespace SX {

CSxFxBase::~CSxFxBase() {
    // No mix node may run, or later compare against, an effect made from this one.
    CSxLEngine::StopMixBussesUsingFx(this);
    TermParams();
}

void CSxFxBase::TermParams() {
    if (m_params) m_params->Term(&g_LEngineFxAllocator);
    m_params = nullptr;
}

SXRESULT CSxFxBase::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, pluginID, blockSize;
    if (!cursor.U32(id) || !cursor.U32(pluginID) || !cursor.U32(blockSize) || !cursor.HasRoomFor(blockSize, 1))
        return SX_Fail;
    const uint8_t* block = cursor.Data();
    cursor.Skip(blockSize);
    uint8_t mediaCount;
    if (!cursor.U8(mediaCount) || !cursor.HasRoomFor(mediaCount, 5)) return SX_Fail;
    std::vector<std::pair<uint8_t, uint32_t>> media(mediaCount);
    for (auto& entry : media) {
        cursor.U8(entry.first);
        cursor.U32(entry.second);
    }
    std::sort(media.begin(), media.end());
    bool read;
    if (SxReadRTPCList(cursor, m_rtpcs, read) != SX_Success) return SX_Fail;
    m_media = std::move(media);
    m_block.assign(block, block + blockSize);
    m_pluginID = pluginID;
    TermParams();
    if (pluginID != kNoPlugin) {
        ISxPluginParam* params = nullptr;
        if (SxPluginTable::CreateParam(pluginID, &g_LEngineFxAllocator, params) != SX_Success) return SX_Fail;
        const SXRESULT result = params->Init(&g_LEngineFxAllocator, blockSize ? block : nullptr, blockSize);
        if (result != SX_Success) {
            params->Term(&g_LEngineFxAllocator);
            return result;
        }
        m_params = params;
    }
    // Mix nodes that run the effect, or whose bus names it (its bank loaded again while they
    // play), take these settings now.
    CSxLEngine::ResetMixBussesUsingFx(this);
    return SX_Success;
}

const void* CSxFxBase::ParamsBlock(uint32_t& size) const {
    size = static_cast<uint32_t>(m_block.size());
    return m_block.empty() ? nullptr : m_block.data();
}

int32_t CSxFxBase::MediaID(uint32_t dataIndex) const {
    for (const auto& [index, media] : m_media)
        if (index == dataIndex) return static_cast<int32_t>(media);
    return -1;
}

void CSxFxBase::SubscribeRTPC(ISxPluginParam* params, CSxRegisteredObj* gameObject) {
    if (!params || !g_pRTPCMgr) return;
    for (const SxRTPCEntry& entry : m_rtpcs)
        if (!entry.points.empty())
            g_pRTPCMgr->SubscribeRTPC(params, entry.propertyID, gameObject, SxRTPCSubscriber_PluginParam,
                                      entry.gameParameter, entry.points.data(),
                                      static_cast<uint32_t>(entry.points.size()), entry.scaling);
}

CSxFxShareSet* CSxFxShareSet::Create(SxUniqueID id) {
    auto* effect = SxNew<CSxFxShareSet>(g_DefaultPoolId, id);
    if (effect && g_pObjectIndex) g_pObjectIndex->AddToIndex(effect);
    return effect;
}

void CSxFxShareSet::SetVolumes(const float volumes[kSpeakers]) { std::copy(volumes, volumes + kSpeakers, m_volumes); }

CSxFxCustom* CSxFxCustom::Create(SxUniqueID id) {
    auto* effect = SxNew<CSxFxCustom>(g_DefaultPoolId, id);
    if (effect && g_pObjectIndex) g_pObjectIndex->AddToIndex(effect);
    return effect;
}

}  // namespace SX
