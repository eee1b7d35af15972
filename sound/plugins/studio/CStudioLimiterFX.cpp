#include "sound/plugins/studio/CStudioLimiterFX.h"

#include <new>

namespace SX {

SXRESULT CStudioLimiterFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                                SxAudioFormat& format) {
    const uint32_t mask = format.channelMask;
    if (mask != kLimiterMaskMono && mask != kLimiterMaskStereo && mask != kLimiterMask51)
        return SX_UnsupportedChannelConfig;
    m_params = static_cast<CStudioLimiterFXParams*>(params);
    void* memory = allocator->Malloc(sizeof(LimiterProcess));
    if (!memory) return SX_InsufficientMemory;
    m_process = new (memory) LimiterProcess();
    m_process->sampleRate = format.sampleRate;
    const SXRESULT result = m_process->Create(allocator, mask);
    if (result != SX_Success) return result;
    m_latency = LimiterLookAheadFrames(format.sampleRate) + LimiterAverageFrames(format.sampleRate);
    return SX_Success;
}

SXRESULT CStudioLimiterFX::Term(ISxPluginMemAlloc* allocator) {
    if (m_process) {
        m_process->Destroy(allocator);
        m_process->~LimiterProcess();
        allocator->Free(m_process);
    }
    this->~CStudioLimiterFX();
    allocator->Free(this);
    return SX_Success;
}

SXRESULT CStudioLimiterFX::Reset() {
    if (m_process) m_process->ClearHistory();
    return SX_Success;
}

SXRESULT CStudioLimiterFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CStudioLimiterFX::Execute(SxAudioBuffer* buffer) {
    if (m_params->changed) {
        m_params->changed = 0;
        const StudioLimiterFXParams& v = m_params->values;
        m_process->settings = {v.outputCeiling, v.threshold, v.knee, v.release, v.releaseMode};
        m_process->ApplyParameters();
    }
    m_tail.HandleTail(*buffer, m_latency);
    if (buffer->validFrames > 0) m_process->ProcessBuffer(*buffer);
}

void CStudioLimiterFX::ReadMeters(LimiterMeters& meters) {
    if (m_process) m_process->ReadMeters(meters);
}

uint32_t CStudioLimiterFX::MeterRecordSize() const { return m_process ? m_process->MeterRecordSize() : 16; }

ISxPlugin* CreateStudioLimiterFX(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioLimiterFX));
    return memory ? new (memory) CStudioLimiterFX() : nullptr;
}

ISxPluginParam* CreateStudioLimiterFXParams(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioLimiterFXParams));
    return memory ? new (memory) CStudioLimiterFXParams() : nullptr;
}

}  // namespace SX
