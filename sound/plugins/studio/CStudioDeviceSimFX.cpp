#include "sound/plugins/studio/CStudioDeviceSimFX.h"

#include <cstring>
#include <new>

#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

namespace {

bool StageOn(const StudioDeviceSimFXParams& p, uint32_t stage) {
    switch (stage) {
        case DeviceSimStage_Filter:
            return p.filter.on;
        case DeviceSimStage_Distortion:
            return p.distortion.on;
        case DeviceSimStage_EQ:
            return p.eq.on;
        case DeviceSimStage_Noise:
            return p.noise.on;
        case DeviceSimStage_Model:
            return p.model.on;
        case DeviceSimStage_Gate:
            return p.gate.on;
        case DeviceSimStage_LoFi:
            return p.lofi.on;
        default:
            return false;
    }
}

bool StageChanged(const StudioDeviceSimFXParams& p, uint32_t stage) {
    switch (stage) {
        case DeviceSimStage_Filter:
            return p.filter.changed;
        case DeviceSimStage_Distortion:
            return p.distortion.changed;
        case DeviceSimStage_EQ:
            return p.eq.changed;
        case DeviceSimStage_Noise:
            return p.noise.changed;
        case DeviceSimStage_Model:
            return p.model.changed;
        case DeviceSimStage_Gate:
            return p.gate.changed;
        case DeviceSimStage_LoFi:
            return p.lofi.changed;
        default:
            return false;
    }
}

}  // namespace

void DeviceSimMix(float* samples, const float* dry, float w0, float w1, float d0, float d1, uint32_t frames) {
    if (w1 == w0 && d1 == d0) {
        for (uint32_t k = 0; k < frames; ++k) samples[k] = samples[k] * w1 + dry[k] * d1;
        return;
    }
    const float wetStep = float(double(w1 - w0) / frames);
    const float dryStep = float(double(d1 - d0) / frames);
    for (uint32_t k = 0; k < frames; ++k)
        samples[k] = samples[k] * (w0 + float(k) * wetStep) + dry[k] * (d0 + float(k) * dryStep);
}

template <typename Stage>
SXRESULT CStudioDeviceSimFX::AllocateStageOf(uint32_t stage) {
    using Record = typename Stage::Record;
    SXRESULT result = m_arenas[stage].Allocate(m_allocator, DSPStageHeader::SizeFor<Record>(m_channels));
    if (result == SX_Success) result = m_headers[stage].Init<Record>(m_arenas[stage], m_channels, m_sampleRate);
    m_needsSetUp[stage] = result == SX_Success;
    return result;
}

SXRESULT CStudioDeviceSimFX::AllocateStage(uint32_t stage) {
    switch (stage) {
        case DeviceSimStage_Filter:
            return AllocateStageOf<DeviceSimFilterStage>(stage);
        case DeviceSimStage_Distortion:
            return AllocateStageOf<DeviceSimDistortionStage>(stage);
        case DeviceSimStage_EQ:
            return AllocateStageOf<DeviceSimEQStage>(stage);
        case DeviceSimStage_Noise:
            return AllocateStageOf<DeviceSimNoiseStage>(stage);
        case DeviceSimStage_Model:
            return AllocateStageOf<DeviceSimModelStage>(stage);
        case DeviceSimStage_Gate:
            return AllocateStageOf<DeviceSimGateStage>(stage);
        case DeviceSimStage_LoFi:
            return AllocateStageOf<DeviceSimLoFiStage>(stage);
        default:
            return SX_InvalidParameter;
    }
}

SXRESULT CStudioDeviceSimFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                                  SxAudioFormat& format) {
    m_allocator = allocator;
    m_params = static_cast<CStudioDeviceSimFXParams*>(params);
    m_sampleRate = format.sampleRate;
    m_channels = SxChannelCount(format.channelMask);
    const StudioDeviceSimFXParams snapshot = m_params->values;
    for (uint32_t stage = 0; stage < DeviceSimStage_Count; ++stage) {
        if (!StageOn(snapshot, stage)) continue;
        const SXRESULT result = AllocateStage(stage);
        if (result != SX_Success) return result;
    }
    m_previousInputGain = snapshot.inputGain;
    m_previousOutputGain = snapshot.outputGain;
    m_previousMix = snapshot.mix;
    return SX_Success;
}

SXRESULT CStudioDeviceSimFX::Term(ISxPluginMemAlloc* allocator) {
    for (DSPMemoryArena& arena : m_arenas) arena.Free(allocator);
    this->~CStudioDeviceSimFX();
    allocator->Free(this);
    return SX_Success;
}

SXRESULT CStudioDeviceSimFX::Reset() {
    for (uint32_t stage = 0; stage < DeviceSimStage_Count; ++stage) {
        uint32_t size = 0;
        void* base = m_arenas[stage].GetBase(&size);
        if (!base) continue;
        std::memset(base, 0, size);
        m_needsSetUp[stage] = true;
    }
    return SX_Success;
}

SXRESULT CStudioDeviceSimFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CStudioDeviceSimFX::SetUpStages(const StudioDeviceSimFXParams& p) {
    m_design.Get(int32_t(m_sampleRate));
    m_time.Get(int32_t(m_sampleRate));
    for (uint32_t stage = 0; stage < DeviceSimStage_Count; ++stage) {
        if (!StageOn(p, stage)) continue;
        // A stage switched on after Init gets its memory now; without it the stage stays out.
        if (!m_headers[stage].HasRecords() && AllocateStage(stage) != SX_Success) continue;
        if (!StageChanged(p, stage) && !m_needsSetUp[stage]) continue;
        const DeviceSimSetUp setUp{m_headers[stage], m_design, m_time};
        switch (stage) {
            case DeviceSimStage_Filter:
                DeviceSimFilterStage::SetUp(setUp, p.filter);
                break;
            case DeviceSimStage_Distortion:
                DeviceSimDistortionStage::SetUp(setUp, p.distortion);
                break;
            case DeviceSimStage_EQ:
                DeviceSimEQStage::SetUp(setUp, p.eq);
                break;
            case DeviceSimStage_Noise:
                DeviceSimNoiseStage::SetUp(setUp, p.noise);
                break;
            case DeviceSimStage_Model:
                DeviceSimModelStage::SetUp(setUp, p.model);
                break;
            case DeviceSimStage_Gate:
                DeviceSimGateStage::SetUp(setUp, p.gate);
                break;
            case DeviceSimStage_LoFi:
                DeviceSimLoFiStage::SetUp(setUp, p.lofi);
                break;
            default:
                break;
        }
        m_needsSetUp[stage] = false;
    }
}

void CStudioDeviceSimFX::ProcessChannel(const StudioDeviceSimFXParams& p, uint32_t c, float* samples, float* noise,
                                        uint32_t frames) {
    // A stage runs on the channels it has records for.
    auto runs = [&](uint32_t stage) {
        return StageOn(p, stage) && !m_needsSetUp[stage] && m_headers[stage].HasRecords() &&
               c < m_headers[stage].channels;
    };
    if (runs(DeviceSimStage_Filter))
        DeviceSimFilterStage::Process(ChannelRecord<DeviceSimFilterStage>(DeviceSimStage_Filter, c), samples, frames);
    if (runs(DeviceSimStage_Distortion))
        DeviceSimDistortionStage::Process(ChannelRecord<DeviceSimDistortionStage>(DeviceSimStage_Distortion, c),
                                          samples, frames);
    if (runs(DeviceSimStage_EQ))
        DeviceSimEQStage::Process(ChannelRecord<DeviceSimEQStage>(DeviceSimStage_EQ, c), samples, frames);
    if (runs(DeviceSimStage_Noise) && noise) {
        m_noise.Generate(noise, frames);
        DeviceSimNoiseStage::Process(ChannelRecord<DeviceSimNoiseStage>(DeviceSimStage_Noise, c), samples, noise,
                                     frames);
    }
    if (runs(DeviceSimStage_Model))
        DeviceSimModelStage::Process(ChannelRecord<DeviceSimModelStage>(DeviceSimStage_Model, c), samples, frames);
    if (runs(DeviceSimStage_Gate))
        DeviceSimGateStage::Process(ChannelRecord<DeviceSimGateStage>(DeviceSimStage_Gate, c), samples, frames);
    if (runs(DeviceSimStage_LoFi))
        DeviceSimLoFiStage::Process(ChannelRecord<DeviceSimLoFiStage>(DeviceSimStage_LoFi, c), samples, frames);
}

void CStudioDeviceSimFX::Execute(SxAudioBuffer* buffer) {
    if (buffer->validFrames == 0) return;
    StudioDeviceSimFXParams p = m_params->values;
    // A mix outside 0 .. 100 % (or not a number) would turn the dry path into a second wet one.
    p.mix = SxSanitizeParam(p.mix, 0.0f, 100.0f, 100.0f);
    SetUpStages(p);
    m_params->ClearAllChanged();

    const uint32_t channels = buffer->Channels();
    const uint32_t frames = buffer->validFrames;
    const uint32_t maxFrames = buffer->maxFrames;
    float* dry = static_cast<float*>(m_allocator->Malloc(sizeof(float) * maxFrames));
    if (!dry) return;
    float* noise = nullptr;
    if (p.noise.on) {
        noise = static_cast<float*>(m_allocator->Malloc(sizeof(float) * maxFrames));
        if (!noise) {
            m_allocator->Free(dry);
            return;
        }
    }

    const float m0 = m_previousMix * 0.01f, m1 = p.mix * 0.01f;
    const float d0 = 1.0f - m0, d1 = 1.0f - m1;
    const float w1 = p.outputGain * m1, w0 = m_previousOutputGain * m0;
    for (uint32_t c = 0; c < channels; ++c) {
        float* samples = buffer->Channel(c);
        if (p.inputGain == m_previousInputGain)
            ApplyGain(samples, frames, p.inputGain);
        else
            ApplyGainRamp(samples, frames, m_previousInputGain, p.inputGain);
        std::memcpy(dry, samples, sizeof(float) * maxFrames);
        ProcessChannel(p, c, samples, noise, frames);
        DeviceSimMix(samples, dry, w0, w1, d0, d1, frames);
    }

    m_previousInputGain = p.inputGain;
    m_previousOutputGain = p.outputGain;
    m_previousMix = p.mix;
    if (noise) m_allocator->Free(noise);
    m_allocator->Free(dry);
}

ISxPlugin* CreateStudioDeviceSimFX(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioDeviceSimFX));
    return memory ? new (memory) CStudioDeviceSimFX() : nullptr;
}

ISxPluginParam* CreateStudioDeviceSimFXParams(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioDeviceSimFXParams));
    return memory ? new (memory) CStudioDeviceSimFXParams() : nullptr;
}

}  // namespace SX
