#include "sound/plugins/synth/CSxWindSynth.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/os/Random.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

constexpr uint32_t kDeflectorBytes = sizeof(SxWindDeflector);
constexpr float kPi = 3.1415927f;
constexpr int kValueIDs[CSxWindSynthParams::kValueCount] = {0, 3, 6, 9, 20, 23, 26};

}  // namespace

void CSxWindSynthParams::SetDefaults() {
    duration = 10.0f;
    durationRange = 0.0f;
    channelMask = 0x3;
    referenceDistance = 5.0f;
    rolloff = 0.5f;
    maxDistance = 30.0f;
    speedExponent = 0.5f;
    timeScale = 1.0f;
    for (SxSynthValue& v : values) v = SxSynthValue();
    values[kSpeed].base = 8.0f;
    values[kGustiness].base = 0.15f;
    values[kGustRate].base = 0.03f;
    changeMask = kChangeAll;
}

CSxWindSynthParams::~CSxWindSynthParams() { SxFxFreeArray(allocator, deflectors); }

SXRESULT CSxWindSynthParams::SetDeflectorsAndCurves(const uint8_t* list, uint32_t size) {
    SxBlockCursor c{list, size};
    uint16_t count = 0;
    float maxDist = 0.0f;
    if (!c.Read(count) || !c.Read(maxDist) || count > kMaxSynthDeflectors || !(maxDist > 0.0f))
        return SX_InvalidParameter;
    const uint8_t* deflectorBytes = list + c.offset;
    if (!c.Skip(count * kDeflectorBytes)) return SX_InvalidParameter;
    std::vector<SxSynthCurveRef> curveRefs;
    if (c.offset < size && !SxReadSynthCurveList(c, kValueIDs, kValueCount, curveRefs)) return SX_InvalidParameter;
    if (count != deflectorCount || !deflectors) {
        SxFxFreeArray(allocator, deflectors);
        deflectorCount = 0;
        deflectors = SxFxAllocArray<SxWindDeflector>(allocator, count);
        if (count && !deflectors) return SX_InsufficientMemory;
    }
    deflectorCount = count;
    maxDistance = maxDist;
    SxReadDeflectors(deflectors, deflectorBytes, count);
    const SXRESULT result = SxSetSynthCurves(curves, kValueCount, curveRefs);
    changeMask |= kChangeDeflectors;
    return result;
}

SXRESULT CSxWindSynthParams::SetParamsBlock(const void* block, uint32_t size) {
    if (!block || size < kFixedSize + 6) return SX_InvalidParameter;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    // The lists first: a block refused there leaves every value as it was.
    const SXRESULT lists = SetDeflectorsAndCurves(bytes + kFixedSize, size - kFixedSize);
    if (lists == SX_InvalidParameter) return lists;
    SxBlockCursor c{bytes, kFixedSize};
    ReadShape(c);
    SxReadSynthValues(c, values, kValueCount, kGain);
    changeMask = kChangeAll | kChangeDeflectors;
    return lists;
}

SXRESULT CSxWindSynthParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (paramID == -1) return SX_Success;
    if (!value || paramID < -1 || paramID > 48) {
        if (paramID == 0x7FFF && value) return SetDeflectorsAndCurves(static_cast<const uint8_t*>(value), size);
        return SX_InvalidParameter;
    }
    if (paramID == 40) {
        uint16_t configuration;
        if (!SxFxReadValue(value, size, configuration)) return SX_InvalidParameter;
        channelMask = MaskOfConfiguration(configuration);
        return SX_Success;
    }
    float v;
    if (!SxFxReadValue(value, size, v)) return SX_InvalidParameter;
    const int k = SxSetSynthValue(values, kValueIDs, kValueCount, kGain, paramID, v);
    if (k >= 0) {
        if (k == kDirection) changeMask |= kChangeDirection;
        return SX_Success;
    }
    if (SetShapeValue(paramID, v)) return SX_Success;
    switch (paramID) {
        case 46:
            speedExponent = v;
            break;
        case 48:
            timeScale = v;
            break;
        default:
            return SX_InvalidParameter;
    }
    return SX_Success;
}

SXRESULT CSxWindSynthParams::Init(ISxPluginMemAlloc* alloc, const void* block, uint32_t size) {
    allocator = alloc;
    if (size != 0) return SetParamsBlock(block, size);
    SetDefaults();
    SxFxFreeArray(allocator, deflectors);
    deflectorCount = 0;
    for (CSxConversionTable& curve : curves) curve.Unset();
    return SX_Success;
}

ISxPluginParam* CSxWindSynthParams::Clone(ISxPluginMemAlloc* alloc) {
    auto* copy = SxFxNew<CSxWindSynthParams>(alloc, alloc);
    if (!copy) return nullptr;
    static_cast<SxSynthShape&>(*copy) = *this;
    copy->maxDistance = maxDistance;
    std::memcpy(copy->values, values, sizeof values);
    const bool ok = SxFxCopyArray(alloc, deflectors, deflectorCount, copy->deflectors, copy->deflectorCount);
    if (!ok || !SxCopySynthCurves(curves, copy->curves, kValueCount)) {
        copy->Term(alloc);
        return nullptr;
    }
    copy->changeMask = kChangeAll;
    return copy;
}

SXRESULT CSxWindSynthParams::Term(ISxPluginMemAlloc* alloc) { return SxFxDelete(this, alloc); }

// --- the source ---

float CSxWindSynth::Gust::Sample(float speed, float gustiness, float gustRate, float bufferTime) {
    const float e = 13.5f - 9.0f * gustRate;
    step *= std::exp2(exponent - e);
    const bool reached = step > 0.0f ? value + step >= target : value + step <= target;
    if (step == 0.0f || reached) {
        exponent = e;
        const float u = (random.Draw01() + random.Draw01()) * 0.5f;
        const float ms = std::exp2(u + e - 0.5f);
        float buffers = std::ceil(ms * 0.001f / bufferTime);
        if (!(buffers >= 1.0f)) buffers = 1.0f;
        target = random.Draw01() + random.Draw01() - 1.0f;
        step = (target - value) / buffers;
    }
    value += step;
    return speed * std::exp2(value * gustiness);
}

void CSxWindSynth::FreeState() {
    SxFxFreeArray(m_allocator, m_deflectors);
    SxFxFreeArray(m_allocator, m_states);
    SxFxFreeArray(m_allocator, m_excitation);
    SxFxFreeArray(m_allocator, m_ring);
    m_bank.Term(m_allocator);
    m_deflectorCount = 0;
    m_ringSize = 0;
}

SXRESULT CSxWindSynth::Term(ISxPluginMemAlloc* allocator) {
    FreeState();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxWindSynth::Reset() {
    m_cycles = 0;
    m_time = 0.0f;
    for (uint32_t& cursor : m_cursors) cursor = 0;
    m_firstBuffer = true;
    return SX_Success;
}

SXRESULT CSxWindSynth::NextCycle() {
    for (uint32_t& cursor : m_cursors) cursor = 0;
    DrawCycleDuration(m_random);
    return SX_DataReady;
}

SXRESULT CSxWindSynth::Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                            SxAudioFormat& format) {
    FreeState();
    m_params = static_cast<CSxWindSynthParams*>(params);
    const CSxWindSynthParams& p = *m_params;
    if (const SXRESULT started = StartSource(allocator, context, m_params, format); started != SX_Success)
        return started;
    m_random.state = uint32_t(platform::crt_rand());
    m_gust = Gust();
    m_gust.random.state = uint32_t(platform::crt_rand());
    m_noise.Reset(uint32_t(platform::crt_rand()), m_rate);
    for (int k = 0; k < 4; ++k) m_offsets[k] = p.values[k].range * m_random.Draw();
    const float bufferTime = float(context ? context->GetMaxBufferLength() : 1024) / float(m_rate);

    m_excitation = SxFxAllocArray<float>(allocator, SxFrameLength);
    if (!m_excitation) return SX_InsufficientMemory;
    const uint32_t n = p.deflectorCount;
    if (n) {
        m_states = SxFxAllocArray<DeflectorState>(allocator, n);
        if (!SxFxCopyArray(allocator, p.deflectors, n, m_deflectors, m_deflectorCount) || !m_states ||
            m_bank.Init(allocator, n, m_channels) != SX_Success)
            return SX_InsufficientMemory;
        for (uint32_t k = 0; k < n; ++k) {
            const SxWindDeflector& d = m_deflectors[k];
            if (m_channels == 2 || m_channels == 4) {
                float pan[4] = {};
                SxPlanePan(std::fmin(std::fabs(d.distance) / p.maxDistance, 1e6f), (90.0f - d.angle) * (kPi / 180.0f),
                           m_channels, pan);
                m_bank.SetPan(k, pan, 0, true);
            }
            DeflectorState& s = m_states[k];
            const SxDeflectorDraw draw =
                SxDrawDeflector(p.values[CSxWindSynthParams::kPitch], p.values[CSxWindSynthParams::kQ],
                                p.values[CSxWindSynthParams::kGain], m_random);
            s.pitchRandom = draw.pitch;
            s.qRandom = draw.q;
            s.gainFactor = draw.gain;
        }
    }
    DrawCycleDuration(m_random);
    auto atStart = [&](int v) { return p.values[v].curveOn ? p.curves[v].Convert(0.0f) : 0.0f; };
    const float speed = std::fmax(8.0f * std::exp2((p.values[0].base + m_offsets[0] + atStart(0)) / 1200.0f), 2.0f);
    const float gustiness = std::fmin(std::fmax(p.values[2].base + m_offsets[2] + atStart(2), 0.0f), 1.0f);
    const float gustRate = std::fmin(std::fmax(p.values[3].base + m_offsets[3] + atStart(3), 0.0f), 1.0f);
    // The ring spans the maximum distance in buffers (at least one entry).
    const float span = std::ceil(p.maxDistance / bufferTime);
    m_ringSize = span >= 1.0f && span < 65536.0f ? uint32_t(span) : span >= 65536.0f ? 65536u : 1u;
    m_ring = SxFxAllocArray<float>(allocator, m_ringSize);
    if (!m_ring) return SX_InsufficientMemory;
    for (uint32_t i = 0; i < m_ringSize; ++i)
        m_ring[i] = std::fmax(m_gust.Sample(speed, gustiness, gustRate, bufferTime), 2.0f);
    m_ringWrite = 0;
    return Reset();
}

void CSxWindSynth::Execute(SxAudioBuffer* buffer) {
    const uint32_t frames = buffer->maxFrames;
    ClearBuffer(buffer);
    CSxWindSynthParams& p = *m_params;
    const uint32_t n = m_deflectorCount;
    if (n && (m_channels == 1 || m_channels == 2 || m_channels == 4)) {
        float curve[CSxWindSynthParams::kValueCount] = {};
        const float x = m_time * (p.duration / m_cycleDuration);
        for (int v = 0; v < CSxWindSynthParams::kValueCount; ++v)
            if (p.values[v].curveOn) curve[v] = p.curves[v].ConvertWithCursor(x, m_cursors[v]);
        auto value = [&](int v) { return p.values[v].base + (v < 4 ? m_offsets[v] : 0.0f) + curve[v]; };
        const float speed = std::fmax(8.0f * std::exp2(value(0) / 1200.0f), 2.0f);
        const float direction = value(1) * (kPi / 180.0f);
        const float gustiness = std::fmin(std::fmax(value(2), 0.0f), 1.0f);
        const float gustRate = std::fmin(std::fmax(value(3), 0.0f), 1.0f);
        const float pitch = p.values[CSxWindSynthParams::kPitch].base + curve[CSxWindSynthParams::kPitch];
        const float qOffset = p.values[CSxWindSynthParams::kQ].base + curve[CSxWindSynthParams::kQ];
        const float gainCurve = std::pow(10.0f, curve[CSxWindSynthParams::kGain] * 0.05f);
        const float gain = p.values[CSxWindSynthParams::kGain].base;
        const float bufferTime = float(frames) / float(m_rate);

        m_ring[m_ringWrite] = std::fmax(m_gust.Sample(speed, gustiness, gustRate, bufferTime), 2.0f);
        m_ringWrite = (m_ringWrite + 1) % m_ringSize;
        float newest = 0.0f;
        const uint32_t averaged = m_ringSize < 3 ? m_ringSize : 3;
        for (uint32_t k = 1; k <= averaged; ++k) newest += m_ring[(m_ringWrite + m_ringSize - k) % m_ringSize];
        const float v = newest / float(averaged);

        if (m_firstBuffer || p.values[CSxWindSynthParams::kDirection].curveOn || (p.changeMask & 0x10012)) {
            float nearest = 0.0f;
            for (uint32_t k = 0; k < n; ++k) {
                const SxWindDeflector& d = m_deflectors[k];
                const float dk = p.maxDistance - std::cos(direction - d.angle * (kPi / 180.0f)) * d.distance;
                m_states[k].delayDistance = dk;
                if (k == 0 || dk < nearest) nearest = dk;
            }
            for (uint32_t k = 0; k < n; ++k) m_states[k].delayDistance -= nearest;
        }
        const float exponent = (p.speedExponent + 1.0f) * 48.0f * 0.0415241f;
        for (uint32_t k = 0; k < n; ++k) {
            const SxWindDeflector& d = m_deflectors[k];
            DeflectorState& s = m_states[k];
            s.frequency = std::exp2(s.pitchRandom + pitch) * d.frequency;
            s.q = std::fmin(std::fmax(std::exp2(s.qRandom + qOffset) * d.q, 0.1f), 50.0f);
            s.targetGain = std::fmin(std::fmax(s.gainFactor * gainCurve * gain, 0.0f), 16.0f) * d.gain;
            // The speed that left the most upwind deflector delayDistance / v ago; a delay
            // beyond the ring is held to its oldest entry.
            const float buffersAgo = s.delayDistance / (v * bufferTime);
            const uint32_t delay =
                buffersAgo >= 0.0f && buffersAgo < float(m_ringSize) ? uint32_t(buffersAgo) : m_ringSize - 1;
            s.windSpeed = m_ring[(m_ringSize - delay + m_ringWrite - 1) % m_ringSize];
            const float distanceGain =
                d.distance <= p.referenceDistance
                    ? 1.0f
                    : std::pow(10.0f, -0.3f * p.rolloff * std::log2(d.distance / p.referenceDistance));
            const float speedGain = std::pow(s.windSpeed / 48.0f, exponent);
            const float resonance = SxResonanceGain(s.frequency, s.q, m_rate, std::sqrt(std::fmax(s.frequency, 0.0f)));
            float g = speedGain * distanceGain * resonance * s.targetGain;
            if (!std::isfinite(g)) g = 0.0f;
            m_bank.SetGain(k, g, frames, m_firstBuffer);
            m_bank.SetResonator(k, s.windSpeed * s.frequency * 0.125f, s.q, m_rate);
        }
        for (uint32_t offset = 0; offset < frames; offset += SxFrameLength) {
            const uint32_t slice = frames - offset < SxFrameLength ? frames - offset : SxFrameLength;
            m_noise.Generate(m_excitation, slice);
            m_bank.Run(m_excitation, buffer->data, frames, offset, slice);
        }
        m_bank.Settle();
        m_firstBuffer = false;
    }
    FinishBuffer(buffer);
    p.changeMask = 0;
}

ISxPlugin* CreateWindSynth(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxWindSynth>(allocator); }

ISxPluginParam* CreateWindSynthParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxWindSynthParams>(allocator, allocator);
}

}  // namespace SX
