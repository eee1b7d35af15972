#include "sound/plugins/effects/CSxDelayFX.h"

#include <cmath>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
// Longest delay a parameter may ask for; keeps the line allocation bounded.
constexpr float kMaxDelayTime = 10.0f;

float DelayTime(float seconds) { return SxSanitizeParam(seconds, 0.0f, kMaxDelayTime, 0.5f); }
float Percent(float percent, float fallback) { return SxSanitizeParam(percent, 0.0f, 100.0f, fallback) * 0.01f; }
}  // namespace

SXRESULT CSxDelayFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    float f = 0.0f;
    uint8_t b = 0;
    switch (paramID) {
        case 0:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            delayTime = DelayTime(f);
            delayChanged = 1;
            return SX_Success;
        case 1:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            feedback = Percent(f, 0.0f);
            feedbackChanged = 1;
            return SX_Success;
        case 2:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            wetDryMix = Percent(f, 50.0f);
            return SX_Success;
        case 3:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            outputLevel = SxParamDbToLinear(f);
            return SX_Success;
        case 4:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            feedbackEnabled = f != 0.0f;
            feedbackChanged = 1;
            return SX_Success;
        case 5:
            if (!SxFxReadValue(value, size, b)) return SX_InvalidParameter;
            processLFE = b != 0;
            delayChanged = 1;
            return SX_Success;
        default:
            return SX_InvalidParameter;
    }
}

ISxPluginParam* CSxDelayFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxDelayFXParams* copy = SxFxNew<CSxDelayFXParams>(allocator);
    if (!copy) return nullptr;
    static_cast<SxDelayFXParams&>(*copy) = *this;
    copy->feedbackChanged = copy->delayChanged = 1;
    return copy;
}

SXRESULT CSxDelayFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxDelayFXParams&>(*this) = SxDelayFXParams();
    feedbackChanged = delayChanged = 1;
    return SX_Success;
}

SXRESULT CSxDelayFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxDelayFXParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader reader(block, size, SxDelayFXParamsBlockSize);
    const SxDelayFXParams defaults;
    feedbackChanged = delayChanged = 1;
    if (!reader.IsValid()) {
        static_cast<SxDelayFXParams&>(*this) = defaults;
        return reader.Result();
    }
    delayTime = DelayTime(reader.ReadF32());
    feedback = Percent(reader.ReadF32(), 0.0f);
    wetDryMix = Percent(reader.ReadF32(), 50.0f);
    outputLevel = SxParamDbToLinear(reader.ReadF32());
    feedbackEnabled = reader.ReadU8() != 0;
    processLFE = reader.ReadU8() != 0;
    return SX_Success;
}

void CSxDelayFX::FreeLines() {
    for (float*& line : m_lines) SxFxFreeArray(m_allocator, line);
    m_lineCount = 0;
}

SXRESULT CSxDelayFX::AllocateLines(uint32_t channelMask) {
    FreeLines();
    m_processLFE = m_params->processLFE != 0;
    uint32_t channels = SxChannelCount(channelMask);
    if ((channelMask & SxChannelBitLFE) && !m_processLFE) --channels;
    if (channels > kMaxLines) channels = kMaxLines;
    m_channels = channels;
    const uint32_t length = static_cast<uint32_t>(static_cast<float>(m_sampleRate) * m_params->delayTime);
    m_lineLength = (length + 3) & ~3u;
    m_position = 0;
    m_lineCount = 0;
    if (length == 0 || channels == 0) return SX_Success;
    for (uint32_t c = 0; c < channels; ++c) {
        m_lines[c] = SxFxAllocArray<float>(m_allocator, m_lineLength);
        if (!m_lines[c]) {
            FreeLines();
            return SX_InsufficientMemory;
        }
    }
    m_lineCount = channels;
    return SX_Success;
}

void CSxDelayFX::ComputeTailLength() {
    const float f = m_params->feedback;
    if (m_params->feedbackEnabled && f != 0.0f) {
        const double fdB = 20.0 * std::log10(static_cast<double>(f));
        const double repeats = fdB < -0.6 ? -60.0 / fdB : 100.0;
        m_tailLength = static_cast<uint32_t>(static_cast<double>(m_lineLength) * repeats);
    } else {
        m_tailLength = m_lineLength;
    }
}

SXRESULT CSxDelayFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                          SxAudioFormat& format) {
    m_params = static_cast<CSxDelayFXParams*>(params);
    m_allocator = allocator;
    m_sendMode = context && context->IsSendModeEffect();
    m_prevFeedback = m_params->feedbackEnabled ? m_params->feedback : 0.0f;
    m_prevWet = m_sendMode ? 1.0f : m_params->wetDryMix;
    m_prevLevel = m_params->outputLevel;
    m_sampleRate = format.sampleRate;
    const SXRESULT result = AllocateLines(format.channelMask);
    ComputeTailLength();
    m_params->feedbackChanged = m_params->delayChanged = 0;
    return result;
}

SXRESULT CSxDelayFX::Term(ISxPluginMemAlloc* allocator) {
    FreeLines();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxDelayFX::Reset() {
    for (uint32_t c = 0; c < m_lineCount; ++c) std::memset(m_lines[c], 0, m_lineLength * sizeof(float));
    m_position = 0;
    return SX_Success;
}

SXRESULT CSxDelayFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CSxDelayFX::Execute(SxAudioBuffer* buffer) {
    CSxDelayFXParams& params = *m_params;
    if (params.delayChanged) {
        if (AllocateLines(buffer->channelMask) != SX_Success) return;
        Reset();
        params.delayChanged = 0;
    }
    if (params.feedbackChanged) {
        ComputeTailLength();
        params.feedbackChanged = 0;
    }
    m_tail.HandleTail(*buffer, m_tailLength);
    const uint32_t n = buffer->validFrames;
    if (!params.feedbackEnabled) params.feedback = 0.0f;
    if (m_sendMode) params.wetDryMix = 1.0f;

    if (m_lineCount != 0 && n != 0) {
        const float invN = 1.0f / static_cast<float>(n);
        const float fbStep = (params.feedback - m_prevFeedback) * invN;
        const float wetStep = (params.wetDryMix - m_prevWet) * invN;
        const float levelStep = (params.outputLevel - m_prevLevel) * invN;
        const uint32_t channels = m_lineCount < buffer->Channels() ? m_lineCount : buffer->Channels();
        uint32_t endPosition = m_position;
        for (uint32_t c = 0; c < channels; ++c) {
            float* samples = buffer->Channel(c);
            float* line = m_lines[c];
            uint32_t position = m_position;
            float fb = m_prevFeedback, wet = m_prevWet, level = m_prevLevel;
            uint32_t k = 0;
            while (k < n) {
                // One chunk up to where the line wraps.
                uint32_t chunk = m_lineLength - position;
                if (chunk > n - k) chunk = n - k;
                for (uint32_t i = 0; i < chunk; ++i, ++k) {
                    const float d = line[position + i];
                    const float x = samples[k];
                    samples[k] = ((1.0f - wet) * x + wet * d) * level;
                    line[position + i] = x + fb * d;
                    fb += fbStep;
                    wet += wetStep;
                    level += levelStep;
                }
                position += chunk;
                if (position == m_lineLength) position = 0;
            }
            endPosition = position;
        }
        m_position = endPosition;
    } else if (n != 0) {
        // No line (a delay shorter than one frame): the buffer passes with its output level.
        ApplyOutputGain(*buffer, m_prevLevel, params.outputLevel, m_processLFE);
    }

    if ((buffer->channelMask & SxChannelBitLFE) && m_sendMode && !m_processLFE)
        std::memset(buffer->Channel(buffer->Channels() - 1), 0, n * sizeof(float));

    m_prevFeedback = params.feedback;
    m_prevWet = params.wetDryMix;
    m_prevLevel = params.outputLevel;
}

ISxPlugin* CreateDelayFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxDelayFX>(allocator); }
ISxPluginParam* CreateDelayFXParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxDelayFXParams>(allocator); }

}  // namespace SX
