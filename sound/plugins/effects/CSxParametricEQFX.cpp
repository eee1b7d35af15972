#include "sound/plugins/effects/CSxParametricEQFX.h"

#include <cmath>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
float Level(float db) { return SxSanitizeParam(db, -96.0f, 96.0f, 0.0f); }
uint32_t TypeFromFloat(float value) {
    // Not a number or out of range: a type without a formula (a pass-through band).
    if (!(value >= 0.0f && value < 1000.0f)) return 1000;
    return static_cast<uint32_t>(value);
}
float LevelToLinear(float db) { return static_cast<float>(std::pow(10.0, double(db) * 0.05)); }
}  // namespace

SXRESULT CSxParameterEQFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (paramID < 0 || paramID > 16) return SX_InvalidParameter;
    if (paramID == 16) {
        uint8_t b;
        if (!SxFxReadValue(value, size, b)) return SX_InvalidParameter;
        processLFE = b != 0;
        return SX_Success;
    }
    float f;
    if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
    if (paramID == 15) {
        outputLevel = Level(f);
        return SX_Success;
    }
    SxEQBand& band = bands[paramID / 5];
    switch (paramID % 5) {
        case 0:
            band.type = TypeFromFloat(f);
            break;
        case 1:
            band.gain = f;
            break;
        case 2:
            band.frequency = f;
            break;
        case 3:
            band.q = f;
            break;
        default:
            band.on = f != 0.0f;
            break;
    }
    bandChanged[paramID / 5] = 1;
    return SX_Success;
}

ISxPluginParam* CSxParameterEQFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxParameterEQFXParams* copy = SxFxNew<CSxParameterEQFXParams>(allocator);
    if (copy) static_cast<SxParameterEQFXParams&>(*copy) = *this;
    return copy;  // its band flags start set
}

SXRESULT CSxParameterEQFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxParameterEQFXParams&>(*this) = SxParameterEQFXParams();
    for (uint8_t& flag : bandChanged) flag = 1;
    return SX_Success;
}

SXRESULT CSxParameterEQFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxParameterEQFXParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader reader(block, size, SxParameterEQFXParamsBlockSize);
    static_cast<SxParameterEQFXParams&>(*this) = SxParameterEQFXParams();
    for (uint8_t& flag : bandChanged) flag = 1;
    if (!reader.IsValid()) return reader.Result();
    for (SxEQBand& band : bands) {
        band.type = reader.ReadU32();
        band.gain = reader.ReadF32();
        band.frequency = reader.ReadF32();
        band.q = reader.ReadF32();
        band.on = reader.ReadU8() != 0;
    }
    outputLevel = Level(reader.ReadF32());
    processLFE = reader.ReadU8() != 0;
    return SX_Success;
}

SxBiquadCoefs SxDesignEQBand(const SxEQBand& band, uint32_t sampleRate) {
    static const uint32_t kCurves[] = {SxBiquad_LowPass,  SxBiquad_HighPass,  SxBiquad_BandPass, SxBiquad_Notch,
                                       SxBiquad_LowShelf, SxBiquad_HighShelf, SxBiquad_Peaking};
    if (band.type > SxEQ_Peaking) return SxBiquadCoefs();
    return SxDesignBiquad(kCurves[band.type], sampleRate, band.frequency, band.gain, band.q);
}

SXRESULT CSxParametricEQFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                                 SxAudioFormat& format) {
    m_allocator = allocator;
    m_params = static_cast<CSxParameterEQFXParams*>(params);
    m_processLFE = m_params->processLFE != 0;
    m_processed = SxChannelCount(format.channelMask);
    if ((format.channelMask & SxChannelBitLFE) && !m_processLFE) --m_processed;
    m_sampleRate = format.sampleRate;
    if (m_processed != 0) {
        m_memories = SxFxAllocArray<float>(m_allocator, size_t(m_processed) * SxEQBandCount * 4);
        if (!m_memories) return SX_InsufficientMemory;
    }
    for (SxBiquadCoefs& c : m_coefs) c = SxBiquadCoefs{0, 0, 0, 0, 0};
    for (uint8_t& flag : m_params->bandChanged) flag = 1;
    m_prevLevel = LevelToLinear(m_params->outputLevel);
    return SX_Success;
}

SXRESULT CSxParametricEQFX::Term(ISxPluginMemAlloc* allocator) {
    SxFxFreeArray(m_allocator, m_memories);
    return SxFxDelete(this, allocator);
}

SXRESULT CSxParametricEQFX::Reset() {
    if (m_memories) std::memset(m_memories, 0, size_t(m_processed) * SxEQBandCount * 4 * sizeof(float));
    return SX_Success;
}

SXRESULT CSxParametricEQFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CSxParametricEQFX::Execute(SxAudioBuffer* buffer) {
    if (m_processed == 0 || buffer->validFrames == 0) return;
    bool on[SxEQBandCount];
    for (uint32_t b = 0; b < SxEQBandCount; ++b) {
        on[b] = m_params->bands[b].on != 0;
        if (m_params->bandChanged[b]) {
            m_coefs[b] = SxDesignEQBand(m_params->bands[b], m_sampleRate);
            m_params->bandChanged[b] = 0;
        }
    }
    const float level = LevelToLinear(m_params->outputLevel);
    const uint32_t channels = m_processed < buffer->Channels() ? m_processed : buffer->Channels();
    for (uint32_t b = 0; b < SxEQBandCount; ++b) {
        if (!on[b]) continue;
        for (uint32_t c = 0; c < channels; ++c)
            SxBiquadProcess(m_coefs[b], m_memories + (size_t(b) * m_processed + c) * 4, buffer->Channel(c),
                            buffer->validFrames);
    }
    ApplyOutputGain(*buffer, m_prevLevel, level, m_processLFE);
    m_prevLevel = level;
}

ISxPlugin* CreateParametricEQFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxParametricEQFX>(allocator); }
ISxPluginParam* CreateParametricEQFXParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxParameterEQFXParams>(allocator);
}

}  // namespace SX
