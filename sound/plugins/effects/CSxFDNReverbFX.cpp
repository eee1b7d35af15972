#include "sound/plugins/effects/CSxFDNReverbFX.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

const float g_FDNDefaultDelayTimes[SxFDNMaxLines] = {13.62f, 15.66f, 17.52f, 19.02f, 20.83f, 22.60f, 24.05f, 24.78f,
                                                     25.60f, 26.09f, 26.55f, 26.91f, 28.04f, 29.09f, 29.90f, 30.86f};

namespace {

bool ValidCount(uint32_t count) { return count == 4 || count == 8 || count == 12 || count == 16; }
float ReverbTime(float s) { return SxSanitizeParam(s, 0.01f, 100.0f, 4.0f); }
float HfRatio(float r) { return SxSanitizeParam(r, 0.1f, 10.0f, 2.0f); }
float PreDelay(float s) { return SxSanitizeParam(s, 0.0f, 2.0f, 0.0f); }
float DelayTime(float ms) { return SxSanitizeParam(ms, 0.1f, 1000.0f, 20.0f); }

// The sign rows, four signs per group of four lines.
using Row = const char*;
constexpr Row kFL = "+-+-+-+-+-+-+-+-";
constexpr Row kFR = "++--++--++--++--";
constexpr Row kC = "-++--++--++--++-";
constexpr Row kLFE = "++----++++----++";
constexpr Row kBL = "---+++-+--++++--";
constexpr Row kBR = "+---+++-+--+-+-+";
constexpr Row kGeneric6 = "+---++-++--+-+-+";

}  // namespace

uint32_t SxFDNPrimeLength(float milliseconds, uint32_t sampleRate) {
    uint32_t length = static_cast<uint32_t>(milliseconds * 0.001f * static_cast<float>(sampleRate));
    if ((length & 1) == 0) ++length;
    const uint32_t bound = static_cast<uint32_t>(std::sqrt(static_cast<double>(length))) + 1;
    if (bound <= 3) return length;
    for (uint32_t d = 3; d < bound;) {
        if (length % d == 0) {
            length += 2;
            d = 3;
        } else {
            d += 2;
        }
    }
    return length;
}

SXRESULT CSxFDNReverbFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    float f = 0.0f;
    uint32_t u = 0;
    uint8_t b = 0;
    switch (paramID) {
        case 2:
        case 7:
            if (!SxFxReadValue(value, size, u)) return SX_InvalidParameter;
            break;
        case 6:
            if (!SxFxReadValue(value, size, b)) return SX_InvalidParameter;
            break;
        default:
            if (paramID < 0 || paramID > 23 || !SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            break;
    }
    switch (paramID) {
        case 0:
            reverbTime = ReverbTime(f);
            return SX_Success;
        case 1:
            hfRatio = HfRatio(f);
            return SX_Success;
        case 2:
            if (!ValidCount(u)) return SX_InvalidParameter;
            delayCount = u;
            break;
        case 3:
            dryLevel = SxParamDbToLinear(f);
            return SX_Success;
        case 4:
            wetLevel = SxParamDbToLinear(f);
            return SX_Success;
        case 5:
            preDelay = PreDelay(f);
            break;
        case 6:
            processLFE = b != 0;
            break;
        case 7:
            delayMode = u;
            break;
        default:
            delayTimes[paramID - 8] = DelayTime(f);
            break;
    }
    changed = 1;
    return SX_Success;
}

ISxPluginParam* CSxFDNReverbFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxFDNReverbFXParams* copy = SxFxNew<CSxFDNReverbFXParams>(allocator);
    if (copy) static_cast<SxFDNReverbFXParams&>(*copy) = *this;
    return copy;
}

SXRESULT CSxFDNReverbFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxFDNReverbFXParams&>(*this) = SxFDNReverbFXParams();
    changed = 1;
    return SX_Success;
}

SXRESULT CSxFDNReverbFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFDNReverbFXParams::SetParamsBlock(const void* block, uint32_t size) {
    static_cast<SxFDNReverbFXParams&>(*this) = SxFDNReverbFXParams();
    changed = 1;
    if (!block || size < SxFDNReverbFXParamsHeaderSize) return SX_InvalidParameter;
    uint32_t count, mode;
    std::memcpy(&count, static_cast<const uint8_t*>(block) + 8, 4);
    std::memcpy(&mode, static_cast<const uint8_t*>(block) + 25, 4);
    if (!ValidCount(count)) return SX_InvalidParameter;
    const uint32_t expected = SxFDNReverbFXParamsHeaderSize + (mode == 1 ? 4 * count : 0);
    SxParamsBlockReader reader(block, size, expected);
    if (!reader.IsValid()) return reader.Result();
    reverbTime = ReverbTime(reader.ReadF32());
    hfRatio = HfRatio(reader.ReadF32());
    delayCount = reader.ReadU32();
    dryLevel = SxParamDbToLinear(reader.ReadF32());
    wetLevel = SxParamDbToLinear(reader.ReadF32());
    preDelay = PreDelay(reader.ReadF32());
    processLFE = reader.ReadU8() != 0;
    delayMode = reader.ReadU32();
    if (mode == 1)
        for (uint32_t i = 0; i < count; ++i) delayTimes[i] = DelayTime(reader.ReadF32());
    return SX_Success;
}

void CSxFDNReverbFX::FreeBuffers() {
    for (Group& group : m_groups) {
        SxFxFreeArray(m_allocator, group.buffer);
        group.frames = group.write = 0;
    }
    SxFxFreeArray(m_allocator, m_preDelay);
    m_preDelayLength = 0;
    m_lines = 0;
}

SXRESULT CSxFDNReverbFX::SetUp(uint32_t channelMask) {
    FreeBuffers();
    CSxFDNReverbFXParams& params = *m_params;
    const uint32_t count = params.delayCount;
    if (params.delayMode == 0)
        for (uint32_t i = 0; i < count && i < SxFDNMaxLines; ++i) params.delayTimes[i] = g_FDNDefaultDelayTimes[i];
    uint32_t mask = channelMask & 0x3FFFF;
    if (!params.processLFE) mask &= ~SxChannelBitLFE;
    const uint32_t channels = SxChannelCount(mask);
    // Only these counts have a network, and the sign rows serve six channels.
    if (!ValidCount(count) || channels > SxFDNMaxChannels) return SX_InvalidParameter;

    Row rows[SxFDNMaxChannels] = {kFL, kFR, kC, kLFE, kBL, kGeneric6};
    if (mask == 0x4) {
        rows[0] = kFL;
    } else if (mask == 0x3) {
        rows[0] = kFL;
        rows[1] = kFR;
    } else if (mask == 0x37 || mask == 0x3F) {
        const Row dedicated[] = {kFL, kFR, kC, kBL, kBR, kLFE};
        std::copy(dedicated, dedicated + 6, rows);
    }
    for (uint32_t c = 0; c < channels; ++c)
        for (uint32_t k = 0; k < SxFDNMaxLines; ++k) m_signs[c][k] = rows[c][k] == '+' ? 1.0f : -1.0f;
    // Processed channels are the first planar channels (the LFE, last, only when processed).
    m_channels = channels;

    m_preDelayLength = static_cast<uint32_t>(static_cast<float>(m_sampleRate) * params.preDelay);
    if (m_preDelayLength != 0) {
        m_preDelay = SxFxAllocArray<float>(m_allocator, m_preDelayLength);
        if (!m_preDelay) return SX_InsufficientMemory;
    }
    m_preDelayPos = 0;

    for (uint32_t i = 0; i < count; ++i) m_lengths[i] = SxFDNPrimeLength(params.delayTimes[i], m_sampleRate);
    std::sort(m_lengths, m_lengths + count);
    for (uint32_t g = 0; g < count / 4; ++g) {
        Group& group = m_groups[g];
        group.frames = m_lengths[4 * g + 3];
        group.buffer = SxFxAllocArray<float>(m_allocator, size_t(group.frames) * 4);
        if (!group.buffer) return SX_InsufficientMemory;
        group.write = 0;
        for (uint32_t k = 0; k < 4; ++k) m_read[4 * g + k] = group.frames - m_lengths[4 * g + k];
    }
    m_lines = count;
    m_cachedTime = m_cachedRatio = 0.0f;  // the coefficients belong to the new lengths
    Reset();
    params.changed = 0;
    return SX_Success;
}

void CSxFDNReverbFX::ComputeCoefficients() {
    const double rate = m_sampleRate;
    const double time = m_params->reverbTime, ratio = m_params->hfRatio;
    const double ln10Over4 = std::log(10.0) / 4.0;
    double c = 1.0 - ratio * ratio;
    const double gMax = std::pow(0.001, m_lengths[m_lines - 1] / rate / time);
    const double lMax = ln10Over4 * std::log10(gMax);
    if (c * lMax > 1.0) c = 1.0 / lMax;
    for (uint32_t i = 0; i < m_lines; ++i) {
        const double g = std::pow(0.001, m_lengths[i] * (1.0 / rate) * (1.0 / time));
        double a1 = ln10Over4 * std::log10(g) * c;
        // An HF ratio below 1 lifts the highs; past this bound a line would gain at half the
        // rate and the network would grow without end.
        const double lowest = 0.999 * (g - 1.0) / (g + 1.0);
        if (a1 < lowest) a1 = lowest;
        m_a1[i] = static_cast<float>(a1);
        m_b0[i] = static_cast<float>(g * (1.0 - a1));
    }
    const double a = 1.0 / ratio;
    const double beta = (1.0 - a) / (1.0 + a);
    m_toneB0 = static_cast<float>(1.0 / (1.0 - beta));
    m_toneB1 = static_cast<float>(-beta / (1.0 - beta));
    m_cachedTime = m_params->reverbTime;
    m_cachedRatio = m_params->hfRatio;
    m_tailLength = static_cast<uint32_t>(static_cast<float>(m_sampleRate) * m_params->reverbTime);
}

SXRESULT CSxFDNReverbFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                              SxAudioFormat& format) {
    m_sampleRate = format.sampleRate;
    m_sendMode = context && context->IsSendModeEffect();
    m_allocator = allocator;
    m_params = static_cast<CSxFDNReverbFXParams*>(params);
    m_prevDry = m_params->dryLevel;
    m_prevWet = m_params->wetLevel;
    m_dcR = 1.0f - 62.831856f / static_cast<float>(m_sampleRate ? m_sampleRate : 48000);
    m_tailLength = static_cast<uint32_t>(static_cast<float>(m_sampleRate) * m_params->reverbTime);
    return SetUp(format.channelMask);
}

SXRESULT CSxFDNReverbFX::Term(ISxPluginMemAlloc* allocator) {
    FreeBuffers();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxFDNReverbFX::Reset() {
    if (m_preDelay) std::memset(m_preDelay, 0, m_preDelayLength * sizeof(float));
    m_toneX1 = 0.0f;
    for (float& s : m_state) s = 0.0f;
    for (Group& group : m_groups)
        if (group.buffer) std::memset(group.buffer, 0, size_t(group.frames) * 4 * sizeof(float));
    m_dcX1 = m_dcY1 = 0.0f;
    return SX_Success;
}

SXRESULT CSxFDNReverbFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

template <uint32_t N>
void CSxFDNReverbFX::Process(SxAudioBuffer& buffer) {
    const uint32_t n = buffer.validFrames;
    const float invMax = 1.0f / static_cast<float>(buffer.maxFrames);
    const float dryStep = (m_params->dryLevel - m_prevDry) * invMax;
    const float wetStep = (m_params->wetLevel - m_prevWet) * invMax;
    float dry = m_prevDry, wet = m_prevWet;
    float* channels[SxFDNMaxChannels];
    for (uint32_t c = 0; c < m_channels; ++c) channels[c] = buffer.Channel(c);
    float f[N], d[N];
    for (uint32_t k = 0; k < N; ++k) f[k] = m_state[k];
    constexpr float reflect = 2.0f / static_cast<float>(N);
    for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t k = 0; k < N; ++k) {
            const Group& group = m_groups[k / 4];
            d[k] = group.buffer[m_read[k] * 4 + (k & 3)];
            if (++m_read[k] == group.frames) m_read[k] = 0;
            f[k] = m_b0[k] * d[k] + m_a1[k] * f[k];
        }
        dry += dryStep;
        wet += wetStep;
        float u = 0.0f;
        for (uint32_t c = 0; c < m_channels; ++c) {
            const float x = channels[c][i];
            u += x;
            float tap = 0.0f;
            for (uint32_t k = 0; k < N; ++k) tap += m_signs[c][k] * f[k];
            channels[c][i] = x * dry + wet * tap;
        }
        const float v = m_dcR * m_dcY1 + u - m_dcX1;
        m_dcX1 = u;
        m_dcY1 = v;
        float p = v;
        if (m_preDelay) {
            p = m_preDelay[m_preDelayPos];
            m_preDelay[m_preDelayPos] = v;
            if (++m_preDelayPos == m_preDelayLength) m_preDelayPos = 0;
        }
        const float t = m_toneB0 * p + m_toneB1 * m_toneX1;
        m_toneX1 = p;
        float s = 0.0f;
        for (uint32_t k = 0; k < N; ++k) s += f[k];
        for (uint32_t g = 0; g < N / 4; ++g) {
            Group& group = m_groups[g];
            float* frame = group.buffer + size_t(group.write) * 4;
            for (uint32_t lane = 0; lane < 4; ++lane) {
                const uint32_t next = (4 * g + lane + 1) % N;
                frame[lane] = t + f[next] - reflect * s;
            }
            if (++group.write == group.frames) group.write = 0;
        }
    }
    for (uint32_t k = 0; k < N; ++k) m_state[k] = std::isfinite(f[k]) ? f[k] : 0.0f;
    if (!std::isfinite(m_dcY1) || !std::isfinite(m_toneX1)) Reset();
}

void CSxFDNReverbFX::Execute(SxAudioBuffer* buffer) {
    if (m_params->changed) {
        if (SetUp(buffer->channelMask) != SX_Success) return;
    }
    const bool lfeApart = (buffer->channelMask & SxChannelBitLFE) && !m_params->processLFE;
    if (m_sendMode && lfeApart)
        std::memset(buffer->Channel(buffer->Channels() - 1), 0, buffer->validFrames * sizeof(float));
    if (m_channels == 0 || m_lines == 0) return;
    // A buffer of another layout than the network was set up for passes untouched.
    if (buffer->Channels() - (lfeApart ? 1 : 0) != m_channels) return;
    if (m_params->reverbTime != m_cachedTime || m_params->hfRatio != m_cachedRatio) ComputeCoefficients();
    if (m_sendMode) m_prevDry = m_params->dryLevel = 0.0f;
    m_tail.HandleTail(*buffer, m_tailLength);
    if (buffer->validFrames == 0) return;
    switch (m_lines) {
        case 4:
            Process<4>(*buffer);
            break;
        case 8:
            Process<8>(*buffer);
            break;
        case 12:
            Process<12>(*buffer);
            break;
        default:
            Process<16>(*buffer);
            break;
    }
    m_prevDry = m_params->dryLevel;
    m_prevWet = m_params->wetLevel;
}

ISxPlugin* CreateFDNReverbFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxFDNReverbFX>(allocator); }
ISxPluginParam* CreateFDNReverbFXParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxFDNReverbFXParams>(allocator);
}

}  // namespace SX
