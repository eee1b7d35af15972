#include "sound/engine/bus/CSxBusFxSlot.h"

#include <cstring>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

namespace SX {

void CSxBusFxSlot::Drop() {
    if (m_plugin) m_plugin->Term(&g_LEngineFxAllocator);
    m_plugin = nullptr;
    SxDelete(g_LEngineDefaultPoolId, m_context);
    m_context = nullptr;
    if (m_params) {
        if (g_pRTPCMgr) g_pRTPCMgr->UnSubscribeAll(m_params);
        m_params->Term(&g_LEngineFxAllocator);
    }
    m_params = nullptr;
    m_effect = nullptr;
    m_fxID = kEmpty;
}

SXRESULT CSxBusFxSlot::Create(const SxFxSlotInfo& fx, CSxMixBusNode* node, uint32_t slot, BusHandle bus,
                              SxUniqueID environmentID, const SxAudioFormat& format) {
    return Build(fx, nullptr, format,
                 [&] { return SxNew<CSxBusFXContext>(g_LEngineDefaultPoolId, node, slot, bus, environmentID); });
}

SXRESULT CSxBusFxSlot::CreateOnVoice(const SxFxSlotInfo& fx, CSxPBI* instance, CSxRegisteredObj* gameObject,
                                     uint32_t slot, const SxAudioFormat& format) {
    return Build(fx, gameObject, format,
                 [&] { return SxNew<CSxInsertFXContext>(g_LEngineDefaultPoolId, instance, slot); });
}

template <typename MakeContext>
SXRESULT CSxBusFxSlot::Build(const SxFxSlotInfo& fx, CSxRegisteredObj* gameObject, const SxAudioFormat& format,
                             MakeContext makeContext) {
    Drop();
    if (!fx.effect) return SX_Success;
    const uint32_t fxID = fx.effect->FxID();
    if (SxPluginTable::CreateParam(fxID, &g_LEngineFxAllocator, m_params) != SX_Success) return SX_Fail;
    uint32_t blockSize = 0;
    const void* block = fx.effect->ParamsBlock(blockSize);
    SXRESULT result = m_params->Init(&g_LEngineFxAllocator, block, block ? blockSize : 0);
    m_fxID = fxID;
    m_effect = fx.effect;
    ISxPlugin* plugin = nullptr;
    if (result == SX_Success) result = SxPluginTable::CreatePlugin(fxID, &g_LEngineFxAllocator, plugin);
    if (result == SX_Success) {
        m_plugin = dynamic_cast<ISxInPlaceEffectPlugin*>(plugin);
        SxPluginInfo info;
        // Only in-place effects run here.
        if (!m_plugin || plugin->GetPluginInfo(info) != SX_Success || info.type != SxPluginType_Effect ||
            !info.inPlace) {
            plugin->Term(&g_LEngineFxAllocator);
            m_plugin = nullptr;
            result = SX_Fail;
        }
    }
    if (result == SX_Success) {
        fx.effect->SubscribeRTPC(m_params, gameObject);
        m_context = makeContext();
        if (!m_context) result = SX_InsufficientMemory;
    }
    m_flags = fx.bypass ? 1 : 0;
    if (result == SX_Success) {
        SxAudioFormat nodeFormat = format;
        result = m_plugin->Init(&g_LEngineFxAllocator, m_context, m_params, nodeFormat);
    }
    if (result == SX_Success) result = m_plugin->Reset();
    if (result != SX_Success) Drop();
    return result;
}

void CSxBusFxSlot::SetInstance(CSxPBI* instance) {
    if (auto* insert = dynamic_cast<CSxInsertFXContext*>(m_context)) insert->SetInstance(instance);
}

void CSxBusFxSlot::Execute(SxAudioBuffer& buffer) {
    if (!m_plugin) return;
    m_plugin->Execute(&buffer);
    if (SxBufferIsFinite(buffer)) return;
    for (uint32_t c = 0; c < buffer.Channels(); ++c)
        std::memset(buffer.Channel(c), 0, sizeof(float) * buffer.maxFrames);
    m_plugin->Reset();
}

void CSxBusFxSlot::Reset() {
    if (m_plugin) m_plugin->Reset();
}

}  // namespace SX
