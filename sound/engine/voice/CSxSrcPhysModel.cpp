#include "sound/engine/voice/CSxSrcPhysModel.h"

#include <algorithm>

#include "sound/engine/bus/ISxBusObject.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/plugin/CSxPluginContexts.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxSource.h"
#include "sound/engine/voice/CSxVPLPitchNode.h"

namespace SX {

namespace {

constexpr uint32_t kPluginTypeMotion = SxPluginType_MotionSource;

// The custom effect of that ID, held until released.
ISxEffectObject* FindEffect(SxUniqueID id, CSxIndexable*& held) {
    held = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_FxCustom, id) : nullptr;
    ISxEffectObject* effect = held ? dynamic_cast<ISxEffectObject*>(held) : nullptr;
    if (held && !effect) {
        held->Release();
        held = nullptr;
    }
    return effect;
}

}  // namespace

SXRESULT CSxSrcPhysModel::CreatePlugin() {
    const CSxSource* source = m_instance ? m_instance->Source() : nullptr;
    if (!source) return SX_Fail;
    // The source names a custom effect, which holds the plug-in and its parameters; a sound
    // whose effect is not loaded plays the plug-in its ID names with its record's own block.
    CSxIndexable* held = nullptr;
    ISxEffectObject* effect = FindEffect(source->MediaID(), held);
    m_key = effect ? effect->FxID() : source->MediaID();
    const uint32_t type = m_key & 15;
    SXRESULT result = type == SxPluginType_Source || type == kPluginTypeMotion ? SX_Success : SX_Fail;
    if (result == SX_Success) result = SxPluginTable::CreateParam(m_key, &g_LEngineFxAllocator, m_params);
    if (result == SX_Success) {
        uint32_t size = source->PluginParamsSize();
        const void* block = source->PluginParams();
        if (effect) block = effect->ParamsBlock(size);
        result = m_params->Init(&g_LEngineFxAllocator, block, block ? size : 0);
        if (result == SX_Success && effect) effect->SubscribeRTPC(m_params, m_instance->GameObj());
    }
    if (held) held->Release();
    ISxPlugin* plugin = nullptr;
    if (result == SX_Success) result = SxPluginTable::CreatePlugin(m_key, &g_LEngineFxAllocator, plugin);
    if (result != SX_Success) return SX_Fail;
    m_plugin = dynamic_cast<ISxSourcePlugin*>(plugin);
    if (!m_plugin) {
        plugin->Term(&g_LEngineFxAllocator);
        return SX_Fail;
    }
    m_context = SxNew<CSxSourceFXContext>(g_LEngineDefaultPoolId, m_instance);
    return m_context ? SX_Success : SX_Fail;
}

SXRESULT CSxSrcPhysModel::StartSource() {
    if (m_started) return SX_Success;
    SXRESULT result = CreatePlugin();
    SxAudioFormat format;
    if (result == SX_Success) {
        const uint32_t rate = (m_key & 15) == kPluginTypeMotion ? kMotionRate : CSxLEngine::OutputSampleRate();
        format = SxFloatFormat(rate, 0x4);
        SxPluginInfo info;
        m_plugin->GetPluginInfo(info);
        result = m_plugin->Init(&g_LEngineFxAllocator, m_context, m_params, format);
    }
    if (result == SX_Success && (!SxIsPlayableChannelMask(format.channelMask) || format.sampleRate == 0))
        result = SX_Fail;
    if (result == SX_Success) result = m_plugin->Reset();
    if (result != SX_Success) {
        StopSource();
        return SX_Fail;
    }
    m_format = SxFloatFormat(format.sampleRate, format.channelMask);
    m_channels = SxChannelCount(format.channelMask);
    uint32_t c = 0;
    for (uint32_t bit = 0; bit < 18; ++bit)
        if (format.channelMask & (1u << bit))
            m_planarOf[c++] = static_cast<uint8_t>(SxPlanarIndex(format.channelMask, bit));
    m_planar.assign(size_t(m_channels) * CSxVPLPitchNode::kSourceRequest, 0.0f);
    m_interleaved.assign(m_planar.size(), 0.0f);
    m_started = true;
    return SX_Success;
}

void CSxSrcPhysModel::StopSource() {
    if (m_plugin) m_plugin->Term(&g_LEngineFxAllocator);
    m_plugin = nullptr;
    SxDelete(g_LEngineDefaultPoolId, m_context);
    m_context = nullptr;
    if (m_params) {
        if (g_pRTPCMgr) g_pRTPCMgr->UnSubscribeAll(m_params);
        m_params->Term(&g_LEngineFxAllocator);
    }
    m_params = nullptr;
    m_started = false;
}

uint32_t CSxSrcPhysModel::Render(uint32_t& frames) {
    SxAudioBuffer planar;
    planar.data = m_planar.data();
    planar.channelMask = m_format.channelMask;
    planar.maxFrames = static_cast<uint16_t>(std::min<uint32_t>(frames, CSxVPLPitchNode::kSourceRequest));
    planar.validFrames = 0;
    planar.state = SX_DataNeeded;
    m_plugin->Execute(&planar);
    frames = std::min<uint32_t>(planar.validFrames, planar.maxFrames);
    return planar.state;
}

void CSxSrcPhysModel::GetBuffer(SxNodeBuffer& buffer) {
    buffer.markers.clear();
    buffer.validFrames = 0;
    buffer.frames = nullptr;
    if (!m_plugin) {
        buffer.state = SX_Fail;
        return;
    }
    if (buffer.maxFrames == 0) {
        buffer.state = SX_NoMoreData;
        return;
    }
    uint32_t frames = buffer.maxFrames;
    const uint32_t state = Render(frames);
    // The plug-in writes planar channels of the request's length; the pitch node reads frames.
    const uint32_t stride = std::min<uint32_t>(buffer.maxFrames, CSxVPLPitchNode::kSourceRequest);
    for (uint32_t c = 0; c < m_channels; ++c) {
        const float* from = m_planar.data() + size_t(m_planarOf[c]) * stride;
        for (uint32_t i = 0; i < frames; ++i) m_interleaved[size_t(i) * m_channels + c] = from[i];
    }
    buffer.frames = m_interleaved.data();
    buffer.validFrames = static_cast<uint16_t>(frames);
    buffer.channelMask = m_format.channelMask;
    buffer.playPosition = -1;
    buffer.sourceLength = -1;
    buffer.sourceRate = m_format.sampleRate;
    buffer.state = state == SX_DataReady || state == SX_NoMoreData ? state : uint32_t(SX_Fail);
}

SXRESULT CSxSrcPhysModel::TimeSkip(uint32_t& frames) {
    if (!m_plugin) return SX_Fail;
    uint32_t asked = frames;
    const SXRESULT result = m_plugin->TimeSkip(asked);
    if (result != 0) {
        frames = asked;
        return result;
    }
    uint32_t skipped = 0;
    uint32_t state = SX_DataReady;
    while (skipped < frames && state == SX_DataReady) {
        uint32_t made = frames - skipped;
        state = Render(made);
        skipped += made;
        if (made == 0 && state == SX_DataReady) break;
    }
    frames = skipped;
    return state == SX_NoMoreData ? SX_NoMoreData : SX_DataReady;
}

uint32_t CSxSrcPhysModel::GetDurationMs() const {
    return m_plugin ? static_cast<uint32_t>(std::max(0.0f, m_plugin->GetDuration())) : 0;
}

SXRESULT CSxSrcPhysModel::StopLooping() { return m_plugin ? m_plugin->StopLooping() : SX_Fail; }

SXRESULT CSxSrcPhysModel::Seek(uint32_t frame) {
    if (!m_plugin || m_plugin->Reset() != SX_Success) return SX_Fail;
    m_plugin->Seek();
    uint32_t frames = frame;
    return frame == 0 || TimeSkip(frames) == SX_DataReady ? SX_Success : SX_Fail;
}

}  // namespace SX
