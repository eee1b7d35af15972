#include "sound/plugins/effects/CSxDynamicsFX.h"

#include <cmath>

#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxMath.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
float Threshold(float db, float fallback) { return SxSanitizeParam(db, -200.0f, 96.0f, fallback); }
// A ratio below 1 would turn the curve over; 0 would divide by zero.
float Ratio(float ratio) { return SxSanitizeParam(ratio, 1.0f, 1000.0f, 4.0f); }
float Time(float seconds, float fallback) { return SxSanitizeParam(seconds, 0.0f, 60.0f, fallback); }
}  // namespace

SxDynamicsFXParams SxDynamicsFXParams::Defaults(SxDynamicsKind kind) {
    SxDynamicsFXParams p;
    if (kind == SxDynamicsKind::Expander) {
        p.threshold = -30.0f;
        p.attackTime = 0.1f;
        p.releaseTime = 0.01f;
    }
    return p;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFXParams<Kind>::SetParam(int16_t paramID, const void* value, uint32_t size) {
    const SxDynamicsFXParams defaults = Defaults(Kind);
    float f = 0.0f;
    uint8_t b = 0;
    if (paramID >= 0 && paramID <= 4) {
        if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
    } else if (paramID == 5 || paramID == 6) {
        if (!SxFxReadValue(value, size, b)) return SX_InvalidParameter;
    } else {
        return SX_InvalidParameter;
    }
    switch (paramID) {
        case 0:
            threshold = Threshold(f, defaults.threshold);
            break;
        case 1:
            ratio = Ratio(f);
            break;
        case 2:
            attackTime = Time(f, defaults.attackTime);
            break;
        case 3:
            releaseTime = Time(f, defaults.releaseTime);
            break;
        case 4:
            outputGain = SxParamDbToLinear(f);
            break;
        case 5:
            processLFE = b != 0;
            break;
        default:
            channelLink = b != 0;
            break;
    }
    return SX_Success;
}

template <SxDynamicsKind Kind>
ISxPluginParam* CSxDynamicsFXParams<Kind>::Clone(ISxPluginMemAlloc* allocator) {
    CSxDynamicsFXParams* copy = SxFxNew<CSxDynamicsFXParams>(allocator);
    if (copy) static_cast<SxDynamicsFXParams&>(*copy) = *this;
    return copy;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFXParams<Kind>::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxDynamicsFXParams&>(*this) = Defaults(Kind);
    return SX_Success;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFXParams<Kind>::Term(ISxPluginMemAlloc* allocator) {
    return SxFxDelete(this, allocator);
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFXParams<Kind>::SetParamsBlock(const void* block, uint32_t size) {
    const SxDynamicsFXParams defaults = Defaults(Kind);
    SxParamsBlockReader reader(block, size, SxDynamicsFXParamsBlockSize);
    if (!reader.IsValid()) {
        static_cast<SxDynamicsFXParams&>(*this) = defaults;
        return reader.Result();
    }
    threshold = Threshold(reader.ReadF32(), defaults.threshold);
    ratio = Ratio(reader.ReadF32());
    attackTime = Time(reader.ReadF32(), defaults.attackTime);
    releaseTime = Time(reader.ReadF32(), defaults.releaseTime);
    outputGain = SxParamDbToLinear(reader.ReadF32());
    processLFE = reader.ReadU8() != 0;
    channelLink = reader.ReadU8() != 0;
    return SX_Success;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFX<Kind>::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                                   SxAudioFormat& format) {
    m_params = static_cast<CSxDynamicsFXParams<Kind>*>(params);
    m_allocator = allocator;
    m_processLFE = m_params->processLFE != 0;
    m_channels = SxChannelCount(format.channelMask);
    m_sampleRate = format.sampleRate;
    m_attackTime = m_params->attackTime;
    m_attackCoef = SxTimeConstantCoef(m_attackTime, m_sampleRate);
    m_releaseTime = m_params->releaseTime;
    m_releaseCoef = SxTimeConstantCoef(m_releaseTime, m_sampleRate);
    m_linked = m_params->channelLink && m_channels > 1;
    m_detectorCount = m_linked ? 1 : m_channels;
    SxFxFreeArray(m_allocator, m_detectors);
    if (m_detectorCount != 0) {
        m_detectors = SxFxAllocArray<Detector>(m_allocator, m_detectorCount);
        if (!m_detectors) return SX_InsufficientMemory;
    }
    m_prevOutputGain = m_params->outputGain;
    m_rmsCoef = m_sampleRate ? static_cast<float>(std::exp(-1.0 / (m_sampleRate * 0.02322))) : 0.0f;
    return SX_Success;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFX<Kind>::Term(ISxPluginMemAlloc* allocator) {
    SxFxFreeArray(m_allocator, m_detectors);
    return SxFxDelete(this, allocator);
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFX<Kind>::Reset() {
    for (uint32_t d = 0; d < m_detectorCount; ++d) m_detectors[d] = Detector{0.0f, 0.0f};
    return SX_Success;
}

template <SxDynamicsKind Kind>
SXRESULT CSxDynamicsFX<Kind>::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

template <SxDynamicsKind Kind>
void CSxDynamicsFX<Kind>::UpdateCoefficients(const SxDynamicsFXParams& params) {
    if (params.attackTime != m_attackTime) {
        m_attackTime = params.attackTime;
        m_attackCoef = SxTimeConstantCoef(m_attackTime, m_sampleRate);
    }
    if (params.releaseTime != m_releaseTime) {
        m_releaseTime = params.releaseTime;
        m_releaseCoef = SxTimeConstantCoef(m_releaseTime, m_sampleRate);
    }
}

template <SxDynamicsKind Kind>
float CSxDynamicsFX<Kind>::Gain(Detector& detector, float power, const SxDynamicsFXParams& params) const {
    detector.power = (detector.power - power) * m_rmsCoef + power;
    const float level = SxFastPowerToDb(detector.power);
    float target, coef, gainDb;
    if (Kind == SxDynamicsKind::Compressor) {
        target = level - params.threshold > 0.0f ? level - params.threshold : 0.0f;
        coef = target - detector.reduction >= 0.0f ? m_attackCoef : m_releaseCoef;
    } else {
        target = params.threshold - level > 0.0f ? params.threshold - level : 0.0f;
        coef = target - detector.reduction >= 0.0f ? m_releaseCoef : m_attackCoef;
    }
    detector.reduction = (detector.reduction - target) * coef + target;
    if (Kind == SxDynamicsKind::Compressor)
        gainDb = detector.reduction * (1.0f / params.ratio - 1.0f);
    else
        gainDb = -detector.reduction * (params.ratio - 1.0f);
    return SxMath::DbToLinear(gainDb);
}

template <SxDynamicsKind Kind>
void CSxDynamicsFX<Kind>::ProcessIndependent(SxAudioBuffer& buffer, uint32_t channels,
                                             const SxDynamicsFXParams& params) {
    for (uint32_t c = 0; c < channels && c < m_detectorCount; ++c) {
        float* x = buffer.Channel(c);
        Detector& detector = m_detectors[c];
        for (uint32_t k = 0; k < buffer.validFrames; ++k) x[k] *= Gain(detector, x[k] * x[k] + 1e-25f, params);
    }
}

template <SxDynamicsKind Kind>
void CSxDynamicsFX<Kind>::ProcessLinked(SxAudioBuffer& buffer, uint32_t channels, const SxDynamicsFXParams& params) {
    const float invChannels = 1.0f / static_cast<float>(channels);
    for (uint32_t k = 0; k < buffer.validFrames; ++k) {
        float sum = 0.0f;
        for (uint32_t c = 0; c < channels; ++c) {
            const float x = buffer.Channel(c)[k];
            sum += x * x;
        }
        const float gain = Gain(m_detectors[0], sum * invChannels + 1e-25f, params);
        for (uint32_t c = 0; c < channels; ++c) buffer.Channel(c)[k] *= gain;
    }
}

template <SxDynamicsKind Kind>
void CSxDynamicsFX<Kind>::Execute(SxAudioBuffer* buffer) {
    if (buffer->validFrames == 0 || m_detectorCount == 0) return;
    const SxDynamicsFXParams params = *m_params;
    UpdateCoefficients(params);
    uint32_t channels = buffer->Channels();
    if ((buffer->channelMask & SxChannelBitLFE) && !m_processLFE) --channels;
    if (channels != 0) {
        if (m_linked)
            ProcessLinked(*buffer, channels, params);
        else
            ProcessIndependent(*buffer, channels, params);
    }
    // A detector driven to a value that is not a number starts afresh.
    for (uint32_t d = 0; d < m_detectorCount; ++d)
        if (!std::isfinite(m_detectors[d].reduction) || !std::isfinite(m_detectors[d].power))
            m_detectors[d] = Detector{0.0f, 0.0f};
    ApplyOutputGain(*buffer, m_prevOutputGain, params.outputGain, m_processLFE);
    m_prevOutputGain = params.outputGain;
}

template class CSxDynamicsFXParams<SxDynamicsKind::Compressor>;
template class CSxDynamicsFXParams<SxDynamicsKind::Expander>;
template class CSxDynamicsFX<SxDynamicsKind::Compressor>;
template class CSxDynamicsFX<SxDynamicsKind::Expander>;

ISxPlugin* CreateCompressorFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxCompressorFX>(allocator); }
ISxPluginParam* CreateCompressorFXParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxCompressorFXParams>(allocator);
}
ISxPlugin* CreateExpanderFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxExpanderFX>(allocator); }
ISxPluginParam* CreateExpanderFXParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxExpanderFXParams>(allocator); }

}  // namespace SX
