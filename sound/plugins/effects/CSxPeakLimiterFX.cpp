#include "sound/plugins/effects/CSxPeakLimiterFX.h"

#include <cmath>

#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/plugins/effects/SxFxMath.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
float Threshold(float db) { return SxSanitizeParam(db, -200.0f, 96.0f, -12.0f); }
float Ratio(float ratio) { return SxSanitizeParam(ratio, 1.0f, 1000.0f, 10.0f); }
float Release(float seconds) { return SxSanitizeParam(seconds, 0.0f, 60.0f, 0.2f); }
// Bounded so that the look-ahead line stays a small allocation.
float LookAhead(float seconds) { return SxSanitizeParam(seconds, 0.0f, 1.0f, 0.01f); }
}  // namespace

SXRESULT CSxPeakLimiterFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
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
            threshold = Threshold(f);
            settingsChanged = 1;
            break;
        case 1:
            ratio = Ratio(f);
            settingsChanged = 1;
            break;
        case 2:
            lookAheadTime = LookAhead(f);
            layoutChanged = 1;
            break;
        case 3:
            releaseTime = Release(f);
            settingsChanged = 1;
            break;
        case 4:
            outputGain = SxParamDbToLinear(f);
            settingsChanged = 1;
            break;
        case 5:
            processLFE = b != 0;
            layoutChanged = 1;
            break;
        default:
            channelLink = b != 0;
            layoutChanged = 1;
            break;
    }
    return SX_Success;
}

ISxPluginParam* CSxPeakLimiterFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxPeakLimiterFXParams* copy = SxFxNew<CSxPeakLimiterFXParams>(allocator);
    if (!copy) return nullptr;
    static_cast<SxPeakLimiterFXParams&>(*copy) = *this;
    copy->settingsChanged = copy->layoutChanged = 1;
    return copy;
}

SXRESULT CSxPeakLimiterFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxPeakLimiterFXParams&>(*this) = SxPeakLimiterFXParams();
    settingsChanged = layoutChanged = 1;
    return SX_Success;
}

SXRESULT CSxPeakLimiterFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxPeakLimiterFXParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader reader(block, size, SxPeakLimiterFXParamsBlockSize);
    static_cast<SxPeakLimiterFXParams&>(*this) = SxPeakLimiterFXParams();
    settingsChanged = layoutChanged = 1;
    if (!reader.IsValid()) return reader.Result();
    threshold = Threshold(reader.ReadF32());
    ratio = Ratio(reader.ReadF32());
    lookAheadTime = LookAhead(reader.ReadF32());
    releaseTime = Release(reader.ReadF32());
    outputGain = SxParamDbToLinear(reader.ReadF32());
    processLFE = reader.ReadU8() != 0;
    channelLink = reader.ReadU8() != 0;
    return SX_Success;
}

void CSxPeakLimiterFX::FreeLayout() {
    SxFxFreeArray(m_allocator, m_line);
    SxFxFreeArray(m_allocator, m_detectors);
}

SXRESULT CSxPeakLimiterFX::SetUpLayout() {
    FreeLayout();
    const uint32_t channels = SxChannelCount(m_channelMask);
    const bool lfeApart = (m_channelMask & SxChannelBitLFE) && !m_params->processLFE;
    m_processed = lfeApart ? channels - 1 : channels;
    const uint32_t detectors = m_params->channelLink ? 1 : m_processed;
    m_detectorCount = 0;  // until the states exist
    m_lookAhead = static_cast<uint32_t>(static_cast<float>(m_sampleRate) * m_params->lookAheadTime);
    m_attackCoef = m_lookAhead ? static_cast<float>(std::exp(-2.2 / (m_lookAhead * 0.5))) : 0.0f;
    if (m_lookAhead != 0 && channels != 0) {
        m_line = SxFxAllocArray<float>(m_allocator, size_t(m_lookAhead) * channels);
        if (!m_line) return SX_InsufficientMemory;
    }
    m_position = 0;
    m_linked = m_params->channelLink && m_channelMask != 0x4;
    if (detectors != 0) {
        m_detectors = SxFxAllocArray<Detector>(m_allocator, detectors);
        if (!m_detectors) return SX_InsufficientMemory;
    }
    m_detectorCount = detectors;
    m_params->layoutChanged = 0;
    return SX_Success;
}

SXRESULT CSxPeakLimiterFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                                SxAudioFormat& format) {
    m_allocator = allocator;
    m_params = static_cast<CSxPeakLimiterFXParams*>(params);
    m_sampleRate = format.sampleRate;
    m_channelMask = format.channelMask;
    m_prevOutputGain = m_params->outputGain;
    const SXRESULT result = SetUpLayout();
    Reset();
    return result;
}

SXRESULT CSxPeakLimiterFX::Term(ISxPluginMemAlloc* allocator) {
    FreeLayout();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxPeakLimiterFX::Reset() {
    if (m_line) std::memset(m_line, 0, size_t(m_lookAhead) * SxChannelCount(m_channelMask) * sizeof(float));
    for (uint32_t d = 0; d < m_detectorCount; ++d) m_detectors[d] = Detector{0.0f, 0.0f, 0};
    m_firstBuffer = true;
    return SX_Success;
}

SXRESULT CSxPeakLimiterFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

float CSxPeakLimiterFX::Gain(Detector& detector, float peak) const {
    if (detector.holdLeft != 0 && peak <= detector.heldPeak) {
        --detector.holdLeft;
    } else {
        detector.heldPeak = peak;
        detector.holdLeft = m_lookAhead;
    }
    const float levelDb = 20.0f * std::log10(detector.heldPeak);
    const float over = levelDb - m_threshold > 0.0f ? levelDb - m_threshold : 0.0f;
    const float coef = over - detector.reduction >= 0.0f ? m_attackCoef : m_releaseCoef;
    detector.reduction = (detector.reduction - over) * coef + over;
    return SxMath::DbToLinear(detector.reduction * (1.0f / m_ratio - 1.0f));
}

void CSxPeakLimiterFX::FirstScan(const SxAudioBuffer& buffer, uint32_t channels) {
    const uint32_t span = m_lookAhead < buffer.validFrames ? m_lookAhead : buffer.validFrames;
    if (m_linked) {
        // A tie keeps the sample found first.
        float best = 0.0f;
        uint32_t index = 0;
        for (uint32_t c = 0; c < channels; ++c)
            for (uint32_t k = 0; k < span; ++k)
                if (std::fabs(buffer.Channel(c)[k]) > best) {
                    best = std::fabs(buffer.Channel(c)[k]);
                    index = k;
                }
        m_detectors[0].heldPeak = best;
        m_detectors[0].holdLeft = span - index;
        return;
    }
    for (uint32_t c = 0; c < channels && c < m_detectorCount; ++c) {
        // A later sample wins a tie.
        float best = 0.0f;
        uint32_t index = 0;
        for (uint32_t k = 0; k < span; ++k)
            if (std::fabs(buffer.Channel(c)[k]) >= best) {
                best = std::fabs(buffer.Channel(c)[k]);
                index = k;
            }
        m_detectors[c].heldPeak = best;
        m_detectors[c].holdLeft = span - index;
    }
}

void CSxPeakLimiterFX::ProcessIndependent(SxAudioBuffer& buffer) {
    const uint32_t n = buffer.validFrames;
    const uint32_t channels = buffer.Channels();
    uint32_t endPosition = m_position;
    for (uint32_t c = 0; c < channels; ++c) {
        float* x = buffer.Channel(c);
        const bool limited = c < m_processed && c < m_detectorCount;
        if (m_lookAhead == 0) {
            // No look-ahead: a detector without delay.
            if (limited)
                for (uint32_t k = 0; k < n; ++k) x[k] *= Gain(m_detectors[c], std::fabs(x[k]));
            continue;
        }
        float* line = m_line + size_t(c) * m_lookAhead;
        uint32_t position = m_position;
        for (uint32_t k = 0; k < n; ++k) {
            const float d = line[position];
            line[position] = x[k];
            x[k] = limited ? Gain(m_detectors[c], std::fabs(x[k])) * d : d;
            if (++position == m_lookAhead) position = 0;
        }
        endPosition = position;
    }
    m_position = endPosition;
}

void CSxPeakLimiterFX::ProcessLinked(SxAudioBuffer& buffer) {
    const uint32_t n = buffer.validFrames;
    const uint32_t channels = buffer.Channels();
    const uint32_t processed = m_processed < channels ? m_processed : channels;
    for (uint32_t k = 0; k < n; ++k) {
        float peak = 0.0f;
        for (uint32_t c = 0; c < processed; ++c) peak = std::max(peak, std::fabs(buffer.Channel(c)[k]));
        const float gain = Gain(m_detectors[0], peak);
        if (m_lookAhead == 0) {
            for (uint32_t c = 0; c < processed; ++c) buffer.Channel(c)[k] *= gain;
            continue;
        }
        // Whole frames side by side; the LFE apart rides along without gain.
        float* frame = m_line + size_t(m_position) * channels;
        for (uint32_t c = 0; c < channels; ++c) {
            const float d = frame[c];
            frame[c] = buffer.Channel(c)[k];
            buffer.Channel(c)[k] = c < processed ? gain * d : d;
        }
        if (++m_position == m_lookAhead) m_position = 0;
    }
}

void CSxPeakLimiterFX::Execute(SxAudioBuffer* buffer) {
    CSxPeakLimiterFXParams& params = *m_params;
    if (params.settingsChanged) {
        m_releaseCoef = SxTimeConstantCoef(params.releaseTime, m_sampleRate);
        m_threshold = params.threshold;
        m_ratio = params.ratio;
        params.settingsChanged = 0;
    }
    if (params.layoutChanged) {
        if (SetUpLayout() != SX_Success) return;
        Reset();
    }
    // The look-ahead line is laid out for the format's channels: another layout passes.
    if (buffer->channelMask != m_channelMask || m_detectorCount == 0) return;
    m_tail.HandleTail(*buffer, m_lookAhead);
    if (buffer->validFrames == 0) return;
    if (m_firstBuffer) {
        FirstScan(*buffer, m_processed);
        m_firstBuffer = false;
    }
    if (m_linked)
        ProcessLinked(*buffer);
    else
        ProcessIndependent(*buffer);
    for (uint32_t d = 0; d < m_detectorCount; ++d)
        if (!std::isfinite(m_detectors[d].reduction)) m_detectors[d] = Detector{0.0f, 0.0f, 0};
    ApplyOutputGain(*buffer, m_prevOutputGain, params.outputGain, params.processLFE != 0);
    m_prevOutputGain = params.outputGain;
}

ISxPlugin* CreatePeakLimiterFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxPeakLimiterFX>(allocator); }
ISxPluginParam* CreatePeakLimiterFXParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxPeakLimiterFXParams>(allocator);
}

}  // namespace SX
