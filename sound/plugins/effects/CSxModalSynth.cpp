#include "sound/plugins/effects/CSxModalSynth.h"

#include <cmath>

#include "platform/os/Random.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
constexpr uint32_t kScratchFrames = 1024;
// Shifts and ranges in hundredths of an octave: ten octaves either way at most.
float Shift(float value) { return SxSanitizeParam(value, -1000.0f, 1000.0f, 0.0f); }
float Spread(float db) { return SxSanitizeParam(db, -96.0f, 96.0f, 0.0f); }
float Percent(float value) { return SxSanitizeParam(value, 0.0f, 100.0f, 100.0f); }
float ModeValue(float value, float low, float high, float fallback) {
    return SxSanitizeParam(value, low, high, fallback);
}
float Draw() { return 2.0f * static_cast<float>(platform::crt_rand()) / 32767.0f - 1.0f; }
}  // namespace

CSxModalSynthParams::~CSxModalSynthParams() { FreeModes(); }

void CSxModalSynthParams::FreeModes() {
    SxFxFreeArray(allocator, modes);
    modeCount = 0;
}

void CSxModalSynthParams::SetDefaults() {
    FreeModes();
    dryGain = outputGain = 1.0f;
    freqShift = freqRange = bandwidthShift = bandwidthRange = levelSpread = 0.0f;
    modesUsed = 100.0f;
    randomFrequency = randomBandwidth = randomLevel = 1;
    listLevel = 0.0f;
}

SXRESULT CSxModalSynthParams::ReadModeList(const uint8_t* data, uint32_t size) {
    FreeModes();
    if (!data || size < 6) return SX_InvalidParameter;
    float level;
    uint16_t count;
    std::memcpy(&level, data, 4);
    std::memcpy(&count, data + 4, 2);
    if (size < 6 + uint32_t(count) * SxModalModeBlockSize) return SX_InvalidParameter;
    listLevel = SxSanitizeParam(level, -96.0f, 96.0f, 0.0f);
    if (count == 0) return SX_Success;
    modes = SxFxAllocArray<SxModalMode>(allocator, count);
    if (!modes) return SX_InsufficientMemory;
    const uint8_t* p = data + 6;
    for (uint32_t i = 0; i < count; ++i, p += SxModalModeBlockSize) {
        float v[3];
        std::memcpy(v, p, sizeof v);
        modes[i].frequency = ModeValue(v[0], 0.0f, 1e6f, 0.0f);
        modes[i].secondValue = v[1];
        modes[i].bandwidth = ModeValue(v[2], 0.0f, 1e6f, 0.0f);
        modes[i].levelOffset = 0.0f;
    }
    modeCount = count;
    return SX_Success;
}

SXRESULT CSxModalSynthParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (paramID == 32767) return ReadModeList(static_cast<const uint8_t*>(value), value ? size : 0);
    float f;
    if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
    switch (paramID) {
        case 0:
            dryGain = SxParamDbToLinear(f);
            break;
        case 10:
            outputGain = SxParamDbToLinear(f);
            break;
        case 1:
            freqShift = Shift(f);
            break;
        case 2:
            freqRange = Shift(f);
            break;
        case 3:
            bandwidthShift = Shift(f);
            break;
        case 4:
            bandwidthRange = Shift(f);
            break;
        case 5:
            levelSpread = Spread(f);
            break;
        case 9:
            modesUsed = Percent(f);
            break;
        case 6:
            randomFrequency = f != 0.0f;
            break;
        case 7:
            randomBandwidth = f != 0.0f;
            break;
        case 8:
            randomLevel = f != 0.0f;
            break;
        default:
            return SX_InvalidParameter;
    }
    return SX_Success;
}

ISxPluginParam* CSxModalSynthParams::Clone(ISxPluginMemAlloc* cloneAllocator) {
    CSxModalSynthParams* copy = SxFxNew<CSxModalSynthParams>(cloneAllocator);
    if (!copy) return nullptr;
    copy->allocator = cloneAllocator;
    copy->dryGain = dryGain;
    copy->outputGain = outputGain;
    copy->freqShift = freqShift;
    copy->freqRange = freqRange;
    copy->bandwidthShift = bandwidthShift;
    copy->bandwidthRange = bandwidthRange;
    copy->levelSpread = levelSpread;
    copy->modesUsed = modesUsed;
    copy->randomFrequency = randomFrequency;
    copy->randomBandwidth = randomBandwidth;
    copy->randomLevel = randomLevel;
    copy->listLevel = listLevel;
    if (modeCount != 0) {
        // Without memory for the modes the copy has none.
        copy->modes = SxFxAllocArray<SxModalMode>(cloneAllocator, modeCount);
        if (copy->modes) {
            std::memcpy(copy->modes, modes, modeCount * sizeof(SxModalMode));
            copy->modeCount = modeCount;
        }
    }
    return copy;
}

SXRESULT CSxModalSynthParams::Init(ISxPluginMemAlloc* initAllocator, const void* block, uint32_t size) {
    allocator = initAllocator;
    if (size != 0) return SetParamsBlock(block, size);
    SetDefaults();
    return SX_Success;
}

SXRESULT CSxModalSynthParams::Term(ISxPluginMemAlloc* termAllocator) { return SxFxDelete(this, termAllocator); }

SXRESULT CSxModalSynthParams::SetParamsBlock(const void* block, uint32_t size) {
    SetDefaults();
    if (!block || size < SxModalSynthParamsHeaderSize) return SX_InvalidParameter;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    uint16_t count;
    std::memcpy(&count, bytes + 39, 2);
    SxParamsBlockReader reader(block, size, SxModalSynthParamsHeaderSize + uint32_t(count) * SxModalModeBlockSize);
    if (!reader.IsValid()) return reader.Result();
    dryGain = SxParamDbToLinear(reader.ReadF32());
    outputGain = SxParamDbToLinear(reader.ReadF32());
    freqShift = Shift(reader.ReadF32());
    freqRange = Shift(reader.ReadF32());
    bandwidthShift = Shift(reader.ReadF32());
    bandwidthRange = Shift(reader.ReadF32());
    levelSpread = Spread(reader.ReadF32());
    modesUsed = Percent(reader.ReadF32());
    randomFrequency = reader.ReadU8() != 0;
    randomBandwidth = reader.ReadU8() != 0;
    randomLevel = reader.ReadU8() != 0;
    const SXRESULT result = ReadModeList(bytes + 35, size - 35);
    if (result != SX_Success) SetDefaults();
    return result;
}

void CSxModalSynth::FreeAll() {
    SxFxFreeArray(m_allocator, m_states);
    SxFxFreeArray(m_allocator, m_coefs);
    SxFxFreeArray(m_allocator, m_scratch);
    SxFxFreeArray(m_allocator, m_modes);
    m_modeCount = m_used = 0;
}

// Changes only this instance's copy of the modes, so that a parameter object shared by
// several instances is not randomised again by each.
void CSxModalSynth::Randomise() {
    const CSxModalSynthParams& p = *m_params;
    const float nyquist = static_cast<float>(m_sampleRate) / 2.0f;
    if (p.randomFrequency && (p.freqShift != 0.0f || p.freqRange != 0.0f)) {
        const float k = std::pow(2.0f, (p.freqShift + p.freqRange * Draw()) * 0.01f);
        for (uint32_t i = 0; i < m_modeCount;) {
            const float shifted = m_modes[i].frequency * k;
            if (shifted >= nyquist) {
                m_modes[i] = m_modes[--m_modeCount];  // the mode moved in is looked at in turn
                continue;
            }
            m_modes[i].frequency = shifted > 20.0f ? shifted : 20.0f;
            ++i;
        }
    }
    if (p.randomBandwidth && (p.bandwidthShift != 0.0f || p.bandwidthRange != 0.0f)) {
        const float k = std::pow(2.0f, (p.bandwidthShift + p.bandwidthRange * Draw()) * 0.01f);
        for (uint32_t i = 0; i < m_modeCount; ++i) m_modes[i].bandwidth *= k;
    }
    if (p.randomLevel && p.levelSpread != 0.0f) {
        const uint32_t pairs = m_modeCount >> 1;
        // Fewer than two modes have no pair to spread (and no count to wrap below zero).
        const uint32_t spread = pairs == 0 ? 0 : ((pairs - 1) >> 1) + 1;
        for (uint32_t i = 0; i < spread; ++i) {
            const float d = Draw() * p.levelSpread;
            m_modes[2 * i].levelOffset = -d;
            m_modes[2 * i + 1].levelOffset = d;
        }
    }
}

SXRESULT CSxModalSynth::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext*, ISxPluginParam* params,
                             SxAudioFormat& format) {
    m_allocator = allocator;
    m_params = static_cast<CSxModalSynthParams*>(params);
    if (format.channelMask != 0x4) return SX_UnsupportedChannelConfig;
    m_channels = 1;
    m_sampleRate = format.sampleRate ? format.sampleRate : 48000;
    FreeAll();
    const uint32_t count = m_params->modeCount;
    if (count != 0) {
        m_modes = SxFxAllocArray<SxModalMode>(m_allocator, count);
        if (!m_modes) return SX_InsufficientMemory;
        std::memcpy(m_modes, m_params->modes, count * sizeof(SxModalMode));
        m_modeCount = count;
    }
    Randomise();
    m_used = static_cast<uint32_t>(static_cast<float>(m_modeCount) * m_params->modesUsed * 0.01f + 0.5f);
    if (m_used > m_modeCount) m_used = m_modeCount;
    if (m_used > 0) {
        const uint32_t rounded = (m_used + 3) & ~3u;
        m_states = SxFxAllocArray<float>(m_allocator, size_t(m_channels) * rounded * 2);
        m_coefs = SxFxAllocArray<float>(m_allocator, size_t(rounded) * 3);
        m_scratch = SxFxAllocArray<float>(m_allocator, size_t(m_channels) * kScratchFrames);
        if (!m_states || !m_coefs || !m_scratch) return SX_InsufficientMemory;
        const double a = std::acos(0.96);
        const double pi = 3.14159265358979323846;
        const double listGain = std::pow(10.0, -m_params->listLevel * 0.05);
        for (uint32_t i = 0; i < m_used; ++i) {
            const SxModalMode& mode = m_modes[i];
            // A mode above half the rate (given, not shifted there) resonates at half the rate,
            // where the pole radius stays within the unit circle.
            const double w = std::fmin(2.0 * pi * mode.frequency / m_sampleRate, pi);
            double r = std::exp(-pi * mode.bandwidth / m_sampleRate);
            if (r > 1.0) r = 1.0;
            const double floorR = w < a ? 1.0 - 0.25 * w / a : (w <= pi - a ? 0.75 : 0.75 + 0.25 * (w - (pi - a)) / a);
            const double rr = r > floorR ? r : floorR;
            float* group = m_coefs + (i / 4) * 12;
            group[i % 4] = static_cast<float>(0.5 * std::pow(10.0, mode.levelOffset * 0.05) * listGain);
            group[4 + i % 4] = static_cast<float>(2.0 * rr * std::cos(w));
            group[8 + i % 4] = static_cast<float>(-rr * rr);
        }
    }
    m_dryGain = m_params->dryGain;
    m_outputGain = m_params->outputGain;
    m_dcR = static_cast<float>(1.0 - 125.66370614359172 / m_sampleRate);
    return SX_Success;
}

SXRESULT CSxModalSynth::Term(ISxPluginMemAlloc* allocator) {
    FreeAll();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxModalSynth::Reset() {
    if (m_states) std::memset(m_states, 0, size_t(m_channels) * ((m_used + 3) & ~3u) * 2 * sizeof(float));
    m_dcX1 = m_dcY1 = 0.0f;
    return SX_Success;
}

SXRESULT CSxModalSynth::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CSxModalSynth::Execute(SxAudioBuffer* buffer) {
    if (m_channels == 0 || m_used == 0 || buffer->channelMask != 0x4 || buffer->maxFrames > kScratchFrames) return;
    buffer->ZeroFillToMaxFrames();
    const uint32_t n = buffer->validFrames;
    float* x = buffer->Channel(0);
    std::memset(m_scratch, 0, n * sizeof(float));
    for (uint32_t i = 0; i < m_used; ++i) {
        const float* group = m_coefs + (i / 4) * 12;
        const float c = group[i % 4], a1 = group[4 + i % 4], a2 = group[8 + i % 4];
        float y1 = m_states[2 * i], y2 = m_states[2 * i + 1];
        for (uint32_t k = 0; k < n; ++k) {
            const float y = x[k] + a1 * y1 + a2 * y2;
            m_scratch[k] += c * (y - y2);
            y2 = y1;
            y1 = y;
        }
        if (!std::isfinite(y1) || !std::isfinite(y2)) y1 = y2 = 0.0f;
        m_states[2 * i] = y1;
        m_states[2 * i + 1] = y2;
    }
    const float dryTarget = m_params->dryGain, outTarget = m_params->outputGain;
    if (dryTarget != m_dryGain || outTarget != m_outputGain) {
        const float dryStep = (dryTarget - m_dryGain) / static_cast<float>(n);
        const float outStep = (outTarget - m_outputGain) / static_cast<float>(n);
        float dry = m_dryGain, out = m_outputGain;
        for (uint32_t k = 0; k < n; ++k) {
            dry += dryStep;
            out += outStep;
            x[k] = (dry * x[k] + m_scratch[k]) * out;
        }
        m_dryGain = dryTarget;
        m_outputGain = outTarget;
    } else {
        for (uint32_t k = 0; k < n; ++k) x[k] = (m_dryGain * x[k] + m_scratch[k]) * m_outputGain;
    }
    if (buffer->state == SX_NoMoreData) {
        // The ring-out, measured without its DC, keeps the voice alive down to -72 dB.
        double sum = 0.0;
        for (uint32_t k = 0; k < n; ++k) {
            m_dcY1 = x[k] - m_dcX1 + m_dcR * m_dcY1;
            m_dcX1 = x[k];
            sum += double(m_dcY1) * m_dcY1;
        }
        if (!std::isfinite(m_dcY1)) m_dcX1 = m_dcY1 = 0.0f;
        if (sum / n >= 6.309573e-08) buffer->state = SX_DataReady;
    }
}

ISxPlugin* CreateModalSynth(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxModalSynth>(allocator); }
ISxPluginParam* CreateModalSynthParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxModalSynthParams>(allocator); }

}  // namespace SX
