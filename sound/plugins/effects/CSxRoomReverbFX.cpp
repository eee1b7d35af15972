#include "sound/plugins/effects/CSxRoomReverbFX.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/plugins/effects/SxFxObject.h"
#include "sound/plugins/effects/SxRoomReverbPatterns.h"

namespace SX {

namespace {

constexpr float kSqrtHalf = 0.707106f;
constexpr uint32_t kWorkBuffers = 12;  // mono, reverb input, 6 unit outputs, 4 early reflections

float Clamp(float v, float low, float high, float fallback) { return SxSanitizeParam(v, low, high, fallback); }
float ReverbDb(float db) { return SxParamDbToLinear(SxSanitizeParam(db, -200.0f, 96.0f, -20.0f) - 3.0f); }
uint32_t Pattern(uint32_t index) { return index < SxRoomPatternCount ? index : SxRoomPatternCount - 1; }
uint32_t Units(uint32_t count) { return count > SxRoomReverbMaxUnits ? SxRoomReverbMaxUnits : count; }

// The engine's pseudo-random sequence: values in [0, 1).
struct Sequence {
    uint32_t x;
    float Next() {
        x = x * 196314165u + 907633515u;
        return static_cast<float>(x * (1.0 / 4294967296.0));
    }
};

void SetRamped(SxRoomRampedParams& r, int id, float f) {
    const SxRoomRampedParams d;
    switch (id) {
        case 10:
            r.decayTime = Clamp(f, 0.01f, 100.0f, d.decayTime);
            break;
        case 11:
            r.hfDamping = Clamp(f, 0.1f, 10.0f, d.hfDamping);
            break;
        case 15:
            r.diffusion = Clamp(f, 0.0f, 100.0f, d.diffusion);
            break;
        case 16:
            r.width = Clamp(f, 0.0f, 180.0f, d.width);
            break;
        case 23:
        case 28:
        case 33:
            r.filterGain[(id - 23) / 5] = Clamp(f, -96.0f, 96.0f, 0.0f);
            break;
        case 24:
        case 29:
        case 34:
            r.filterFrequency[(id - 24) / 5] = Clamp(f, 1.0f, 1e6f, 1000.0f);
            break;
        case 25:
        case 30:
        case 35:
            r.filterQ[(id - 25) / 5] = Clamp(f, 0.01f, 100.0f, 1.0f);
            break;
        case 50:
        case 51:
        case 52:
        case 53:
            r.outputLevel[id - 50] = SxParamDbToLinear(f);
            break;
        case 60:
            r.dryLevel = SxParamDbToLinear(f);
            break;
        case 61:
            r.erLevel = SxParamDbToLinear(f);
            break;
        default:
            r.reverbLevel = ReverbDb(f);
            break;
    }
}

void SetStructFloat(SxRoomStructParams& s, int id, float f) {
    const SxRoomStructParams d;
    switch (id) {
        case 1:
            s.reverbDelay = Clamp(f, 0.0f, 1000.0f, d.reverbDelay);
            break;
        case 2:
            s.roomShape = Clamp(f, -200.0f, 200.0f, 0.0f);
            break;
        case 3:
            s.rearDelay = Clamp(f, 0.0f, 1000.0f, d.rearDelay);
            break;
        case 12:
            s.roomSize = Clamp(f, 0.0f, 100.0f, d.roomSize);
            break;
        case 13:
            s.density = Clamp(f, 0.0f, 100.0f, d.density);
            break;
        case 40:
            s.centreLevel = SxParamDbToLinear(f);
            break;
        default:
            s.lfeLevel = SxParamDbToLinear(f);
            break;
    }
}

void SetTuning(SxRoomTuningParams& t, int id, float f) {
    const SxRoomTuningParams d;
    switch (id) {
        case 100:
            t.shortestBound = Clamp(f, 0.1f, 500.0f, d.shortestBound);
            break;
        case 101:
            t.longestBound = Clamp(f, 0.1f, 500.0f, d.longestBound);
            break;
        case 102:
            t.unitJitter = Clamp(f, 0.0f, 100.0f, d.unitJitter);
            break;
        case 103:
            t.lowSpread = Clamp(f, 0.0f, 1.0f, d.lowSpread);
            break;
        case 104:
            t.highSpread = Clamp(f, 0.0f, 1.0f, d.highSpread);
            break;
        case 105:
            t.diffusionRatio = Clamp(f, 1.0f, 100.0f, d.diffusionRatio);
            break;
        case 106:
            t.firstDiffusion = Clamp(f, 0.1f, 500.0f, d.firstDiffusion);
            break;
        case 107:
            t.diffusionJitter = Clamp(f, 0.0f, 100.0f, d.diffusionJitter);
            break;
        case 108:
            t.dcCorner = Clamp(f, 0.0f, 1000.0f, d.dcCorner);
            break;
        case 109:
            t.inputDelayBase = Clamp(f, 0.0f, 1000.0f, d.inputDelayBase);
            break;
        default:
            t.inputDelayJitter = Clamp(f, 0.0f, 100.0f, d.inputDelayJitter);
            break;
    }
}

bool IsRamped(int id) {
    return id == 10 || id == 11 || id == 15 || id == 16 || (id >= 23 && id <= 25) || (id >= 28 && id <= 30) ||
           (id >= 33 && id <= 35) || (id >= 50 && id <= 53) || (id >= 60 && id <= 62);
}
bool IsStructFloat(int id) { return id == 1 || id == 2 || id == 3 || id == 12 || id == 13 || id == 40 || id == 41; }
bool IsStructWord(int id) {
    return id == 0 || id == 14 || id == 21 || id == 22 || id == 26 || id == 27 || id == 31 || id == 32;
}

}  // namespace

void SxRoomPrimeLengths(const float* ms, uint32_t count, uint32_t sampleRate, uint32_t* samples) {
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = static_cast<uint32_t>(ms[i] * 0.001f * static_cast<float>(sampleRate));
        if ((length & 1) == 0) ++length;
        const uint32_t bound = static_cast<uint32_t>(std::sqrt(static_cast<double>(length))) + 1;
        for (bool moved = true; moved;) {
            moved = false;
            for (uint32_t d = 3; d < bound; d += 2)
                if (length % d == 0) {
                    moved = true;
                    break;
                }
            if (!moved && i > 0 && length == samples[i - 1]) moved = true;
            if (moved) length += 2;
        }
        samples[i] = length;
    }
}

SXRESULT CSxRoomReverbFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (!value) return SX_InvalidParameter;
    const int id = paramID;
    if (IsRamped(id) || IsStructFloat(id) || (id >= 100 && id <= 110)) {
        float f;
        if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
        if (IsRamped(id)) {
            SetRamped(ramped, id, f);
            rampedChanged = 1;
        } else if (IsStructFloat(id)) {
            SetStructFloat(structural, id, f);
            structChanged = 1;
        } else {
            SetTuning(tuning, id, f);
        }
        return SX_Success;
    }
    if (IsStructWord(id)) {
        uint32_t u;
        if (!SxFxReadValue(value, size, u)) return SX_InvalidParameter;
        switch (id) {
            case 0:
                structural.pattern = Pattern(u);
                break;
            case 14:
                if (u == 0) return SX_InvalidParameter;
                structural.unitCount = Units(u);
                break;
            case 21:
            case 26:
            case 31:
                structural.filterPosition[(id - 21) / 5] = u;
                break;
            default:
                structural.filterCurve[(id - 22) / 5] = u;
                break;
        }
        structChanged = 1;
        return SX_Success;
    }
    if (id == 4 || id == 20) {
        uint8_t b;
        if (!SxFxReadValue(value, size, b)) return SX_InvalidParameter;
        (id == 4 ? structural.erEnabled : structural.eqEnabled) = b != 0;
        structChanged = 1;
    }
    return SX_Success;  // other IDs are ignored
}

ISxPluginParam* CSxRoomReverbFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxRoomReverbFXParams* copy = SxFxNew<CSxRoomReverbFXParams>(allocator);
    if (!copy) return nullptr;
    static_cast<SxRoomReverbFXParams&>(*copy) = *this;
    copy->rampedChanged = copy->structChanged = 1;
    return copy;
}

SXRESULT CSxRoomReverbFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxRoomReverbFXParams&>(*this) = SxRoomReverbFXParams();
    return SX_Success;
}

SXRESULT CSxRoomReverbFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxRoomReverbFXParams::SetParamsBlock(const void* block, uint32_t size) {
    static_cast<SxRoomReverbFXParams&>(*this) = SxRoomReverbFXParams();
    SxParamsBlockReader r(block, size, SxRoomReverbFXParamsBlockSize);
    if (!r.IsValid()) return r.Result();
    SxRoomReverbFXParams read;
    static const int kRampedOrder[] = {10, 11, 15, 16, 23, 24, 25, 28, 29, 30, 33, 34, 35, 50, 51, 52, 53, 60, 61, 62};
    for (int id : kRampedOrder) SetRamped(read.ramped, id, r.ReadF32());
    SxRoomStructParams& s = read.structural;
    s.erEnabled = r.ReadU8() != 0;
    s.pattern = Pattern(r.ReadU32());
    for (int id : {1, 2, 3, 12, 13}) SetStructFloat(s, id, r.ReadF32());
    const uint32_t units = r.ReadU32();
    if (units == 0) return SX_InvalidParameter;
    s.unitCount = Units(units);
    s.eqEnabled = r.ReadU8() != 0;
    for (uint32_t band = 0; band < 3; ++band) {
        s.filterPosition[band] = r.ReadU32();
        s.filterCurve[band] = r.ReadU32();
    }
    SetStructFloat(s, 40, r.ReadF32());
    SetStructFloat(s, 41, r.ReadF32());
    for (int id = 100; id <= 110; ++id) SetTuning(read.tuning, id, r.ReadF32());
    static_cast<SxRoomReverbFXParams&>(*this) = read;
    return SX_Success;
}

void CSxRoomReverbFX::FreeAll() {
    for (Stage& stage : m_stages) {
        SxFxFreeArray(m_allocator, stage.buffer);
        stage.length = stage.position = 0;
    }
    if (m_units) {
        for (uint32_t u = 0; u < m_unitCount; ++u) {
            for (DelayLine& line : m_units[u].lines) line.Term(m_allocator);
            m_units[u].input.Term(m_allocator);
        }
        SxFxFreeArray(m_allocator, m_units);
    }
    SxFxFreeArray(m_allocator, m_filters);
    m_filterCount = 0;
    SxFxFreeArray(m_allocator, m_er.buffer);
    m_er = EarlyUnit();
    m_reverbDelay.Term(m_allocator);
    m_preEr.Term(m_allocator);
    for (DelayLine& line : m_rear) line.Term(m_allocator);
}

SXRESULT CSxRoomReverbFX::BuildFilters() {
    const SxRoomStructParams& s = m_params->structural;
    if (!s.eqEnabled) return SX_Success;
    uint32_t count = 0;
    for (uint32_t band = 0; band < 3; ++band) {
        const uint32_t position = s.filterPosition[band];
        if (position == 1 && m_erChannels)
            count += 2;
        else if (position == 2 || position == 3)
            count += 1;
    }
    if (count == 0) return SX_Success;
    m_filters = SxFxAllocArray<Filter>(m_allocator, count);
    if (!m_filters) return SX_InsufficientMemory;
    for (uint32_t band = 0; band < 3; ++band) {
        const uint32_t position = s.filterPosition[band];
        const uint32_t copies = position == 1 ? (m_erChannels ? 2 : 0) : (position == 2 || position == 3 ? 1 : 0);
        for (uint32_t i = 0; i < copies; ++i) {
            Filter& filter = m_filters[m_filterCount++];
            filter.biquad = BiquadFilter();
            filter.position = position;
            filter.band = band;
        }
    }
    DesignFilters();
    return SX_Success;
}

void CSxRoomReverbFX::DesignFilters() {
    const SxRoomRampedParams& r = m_params->ramped;
    for (uint32_t i = 0; i < m_filterCount; ++i) {
        Filter& f = m_filters[i];
        f.biquad.ComputeCoefs(m_params->structural.filterCurve[f.band], m_sampleRate, r.filterFrequency[f.band],
                              r.filterGain[f.band], r.filterQ[f.band]);
    }
}

SXRESULT CSxRoomReverbFX::BuildUnits() {
    const SxRoomStructParams& s = m_params->structural;
    const SxRoomTuningParams& t = m_params->tuning;
    m_unitCount = s.unitCount;
    const uint32_t n = m_unitCount;
    m_units = SxFxAllocArray<Unit>(m_allocator, n);
    if (!m_units) {
        m_unitCount = 0;
        return SX_InsufficientMemory;
    }
    const float longest = t.shortestBound + (t.longestBound - t.shortestBound) * s.roomSize / 100.0f;
    const float shortest = longest * (t.lowSpread + (t.highSpread - t.lowSpread) * s.density / 100.0f);
    float times[4 * SxRoomReverbMaxUnits];
    uint32_t lengths[4 * SxRoomReverbMaxUnits];
    Sequence random{7032007u};
    for (uint32_t k = 0; k < 4 * n; ++k) {
        const float base =
            shortest + static_cast<float>(k) * 2.0f * (longest - shortest) / static_cast<float>(4 * n - 1);
        times[k] = std::max(0.01f, base + random.Next() * t.unitJitter / 100.0f * base);
    }
    std::sort(times, times + 4 * n);
    SxRoomPrimeLengths(times, 4 * n, m_sampleRate, lengths);
    Sequence inputRandom{29101977u};
    for (uint32_t u = 0; u < n; ++u) {
        Unit& unit = m_units[u];
        for (uint32_t k = 0; k < 4; ++k)
            if (unit.lines[k].Init(m_allocator, lengths[k * n + u]) != SX_Success) return SX_InsufficientMemory;
        const float ms =
            t.inputDelayBase / static_cast<float>(n) * (1.0f + inputRandom.Next() * t.inputDelayJitter / 100.0f);
        if (unit.input.Init(m_allocator, static_cast<uint32_t>(ms * 0.001f * m_sampleRate)) != SX_Success)
            return SX_InsufficientMemory;
    }
    m_unitNorm = n > 1 ? 1.0f / std::sqrt(static_cast<float>(n)) : 1.0f;
    ComputeUnitCoefficients();
    return SX_Success;
}

void CSxRoomReverbFX::ComputeUnitCoefficients() {
    const double rate = m_sampleRate, decay = m_params->ramped.decayTime, hf = m_params->ramped.hfDamping;
    for (uint32_t u = 0; u < m_unitCount; ++u) {
        Unit& unit = m_units[u];
        const double longest = unit.lines[3].length;
        const double L = std::log(std::pow(10.0, -3.0 * longest / (decay * rate))) / 4.0;
        const double q = 1.0 - hf * hf;
        const double c = q * L > 1.0 ? std::sqrt(1.0 - 1.0 / L) : std::sqrt(std::fabs(1.0 - q));
        for (uint32_t k = 0; k < 4; ++k) {
            const double g = std::pow(10.0, -3.0 * unit.lines[k].length / (decay * rate));
            double b = std::log(g) * (1.0 - c * c) / 4.0;
            // Highs that decay slower than lows lift the line's top; beyond this the unit
            // would gain at half the rate.
            const double lowest = 0.999 * (g - 1.0) / (g + 1.0);
            if (b < lowest) b = lowest;
            if (b > 0.999) {
                unit.b0[k] = static_cast<float>(g * 0.001);
                unit.b[k] = 0.999f;
            } else {
                unit.b0[k] = static_cast<float>(g * (1.0 - b));
                unit.b[k] = static_cast<float>(b);
            }
        }
    }
    m_tailLength = static_cast<uint32_t>((m_params->structural.reverbDelay * 0.001f + m_params->ramped.decayTime) *
                                         static_cast<float>(m_sampleRate));
}

SXRESULT CSxRoomReverbFX::BuildEarly() {
    const SxRoomStructParams& s = m_params->structural;
    const SxRoomPattern& pattern = SxGetRoomPattern(s.pattern);
    const uint32_t counts[2] = {pattern.leftCount, pattern.rightCount};
    const SxRoomTap* taps[2] = {pattern.left, pattern.right};
    for (uint32_t side = 0; side < 2; ++side)
        if (counts[side] == 0 || counts[side] > SxRoomPatternMaxTaps) return SX_Fail;
    const float scale = std::pow(2.0f, s.roomShape / 100.0f);
    const float first = std::min(taps[0][0].time, taps[1][0].time) * scale;
    const float last = std::max(taps[0][counts[0] - 1].time, taps[1][counts[1] - 1].time) * scale;
    const float rate = static_cast<float>(m_sampleRate);
    const float span = rate * (last - first) * 0.001f;
    if (span > 65535.0f) return SX_Fail;
    uint32_t length = static_cast<uint32_t>(span);
    if (length < 4) length = 4;
    length &= ~3u;
    if (m_erChannels) {
        m_er.buffer = SxFxAllocArray<float>(m_allocator, length);
        if (!m_er.buffer) return SX_InsufficientMemory;
        m_er.length = length;
        for (uint32_t side = 0; side < 2; ++side) {
            int64_t previous = -1;
            for (uint32_t i = 0; i < counts[side]; ++i) {
                uint32_t offset = static_cast<uint32_t>((taps[side][i].time * scale - first) * rate * 0.001f) & ~3u;
                if (offset > length - 4) offset = length - 4;
                if (offset == previous) continue;
                previous = offset;
                const uint32_t n = m_er.count[side]++;
                m_er.read[side][n] = static_cast<uint16_t>((length - offset) % length);
                m_er.gain[side][n] = taps[side][i].gain;
            }
        }
    }
    const uint32_t pre = static_cast<uint32_t>(first * rate * 0.001f);
    if (pre != 0 && m_preEr.Init(m_allocator, pre) != SX_Success) return SX_InsufficientMemory;
    return SX_Success;
}

SXRESULT CSxRoomReverbFX::BuildStages() {
    const SxRoomTuningParams& t = m_params->tuning;
    float ms[4];
    Sequence random{3072007u};
    float delay = t.firstDiffusion;
    for (uint32_t i = 0; i < 4; ++i) {
        ms[i] = delay * (1.0f + random.Next() * t.diffusionJitter / 100.0f);
        delay = delay * t.diffusionRatio / 100.0f;
    }
    uint32_t lengths[4];
    SxRoomPrimeLengths(ms, 4, m_sampleRate, lengths);
    for (uint32_t i = 0; i < 4; ++i) {
        m_stages[i].buffer = SxFxAllocArray<float>(m_allocator, size_t(lengths[i]) * 2);
        if (!m_stages[i].buffer) return SX_InsufficientMemory;
        m_stages[i].length = lengths[i];
        m_stages[i].position = 0;
    }
    ComputeStageCoefficients();
    return SX_Success;
}

void CSxRoomReverbFX::ComputeStageCoefficients() {
    const float diffusion = m_params->ramped.diffusion;
    for (uint32_t i = 0; i < 4; ++i) {
        const float g = diffusion * 0.0247212f - static_cast<float>(3 - i) * 0.61803f;
        m_stages[i].g = g < 0.0f ? 0.0f : (g > 0.61803f ? 0.61803f : g);
    }
}

SXRESULT CSxRoomReverbFX::Build() {
    FreeAll();
    m_ready = false;
    m_erChannels = m_params->structural.erEnabled && m_channelMask != SxChannelBitLFE ? 2 : 0;
    const SxRoomStructParams& s = m_params->structural;
    const float rate = static_cast<float>(m_sampleRate);
    SXRESULT result = BuildFilters();
    if (result == SX_Success) result = BuildUnits();
    if (result == SX_Success) {
        const uint32_t samples = static_cast<uint32_t>(s.reverbDelay * 0.001f * rate);
        if (samples != 0) result = m_reverbDelay.Init(m_allocator, samples);
    }
    if (result == SX_Success) result = BuildEarly();
    if (result == SX_Success && m_erChannels) {
        const uint32_t samples = static_cast<uint32_t>(s.rearDelay * 0.001f * rate);
        for (DelayLine& line : m_rear)
            if (result == SX_Success && samples != 0) result = line.Init(m_allocator, samples);
    }
    if (result == SX_Success) result = BuildStages();
    m_ready = result == SX_Success;
    return result;
}

SXRESULT CSxRoomReverbFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                               SxAudioFormat& format) {
    m_sampleRate = format.sampleRate ? format.sampleRate : 48000;
    m_params = static_cast<CSxRoomReverbFXParams*>(params);
    m_allocator = allocator;
    m_sendMode = context && context->IsSendModeEffect();
    if (m_sendMode) m_params->ramped.dryLevel = 0.0f;
    m_lastRamped = m_params->ramped;
    m_channelMask = format.channelMask;
    const float r = 1.0f - 6.2831855f * m_params->tuning.dcCorner / static_cast<float>(m_sampleRate);
    for (DCFilter& dc : m_dc) dc.R = r;
    m_scratch = SxFxAllocArray<float>(m_allocator, size_t(kChunk) * kWorkBuffers);
    if (!m_scratch) return SX_InsufficientMemory;
    const SXRESULT result = Build();
    m_params->rampedChanged = 0;
    if (result == SX_Success) m_params->structChanged = 0;  // else the next frame tries again
    return result;
}

SXRESULT CSxRoomReverbFX::Term(ISxPluginMemAlloc* allocator) {
    FreeAll();
    SxFxFreeArray(m_allocator, m_scratch);
    return SxFxDelete(this, allocator);
}

SXRESULT CSxRoomReverbFX::Reset() {
    for (uint32_t u = 0; u < m_unitCount && m_units; ++u) {
        for (DelayLine& line : m_units[u].lines) line.Reset();
        m_units[u].input.Reset();
        for (float& state : m_units[u].state) state = 0.0f;
    }
    if (m_er.buffer) std::memset(m_er.buffer, 0, m_er.length * sizeof(float));
    for (uint32_t i = 0; i < m_filterCount; ++i) m_filters[i].biquad.Reset();
    for (Stage& stage : m_stages)
        if (stage.buffer) std::memset(stage.buffer, 0, size_t(stage.length) * 2 * sizeof(float));
    for (DCFilter& dc : m_dc) dc.Reset();
    m_reverbDelay.Reset();
    m_preEr.Reset();
    for (DelayLine& line : m_rear) line.Reset();
    return SX_Success;
}

SXRESULT CSxRoomReverbFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CSxRoomReverbFX::RunFilters(uint32_t position, float* left, float* right, uint32_t n) {
    bool second = false;
    for (uint32_t i = 0; i < m_filterCount; ++i) {
        Filter& f = m_filters[i];
        if (f.position != position) continue;
        if (position == 1) {
            f.biquad.ProcessBuffer(second ? right : left, n);  // a band's twin runs on the right
            second = !second;
        } else {
            f.biquad.ProcessBuffer(left, n);
        }
    }
}

void CSxRoomReverbFX::RunEarly(const float* input, float* left, float* right, uint32_t n) {
    EarlyUnit& er = m_er;
    for (uint32_t k = 0; k < n; ++k) {
        er.buffer[er.write] = input[k];
        float sums[2] = {0.0f, 0.0f};
        for (uint32_t side = 0; side < 2; ++side)
            for (uint32_t t = 0; t < er.count[side]; ++t) {
                uint16_t& read = er.read[side][t];
                sums[side] += er.gain[side][t] * er.buffer[read];
                if (++read == er.length) read = 0;
            }
        left[k] = sums[0];
        right[k] = sums[1];
        if (++er.write == er.length) er.write = 0;
    }
}

void CSxRoomReverbFX::RunStages(float* x, uint32_t n) {
    for (Stage& stage : m_stages) {
        const float g = stage.g;
        uint32_t p = stage.position;
        for (uint32_t k = 0; k < n; ++k) {
            float* pair = stage.buffer + 2 * size_t(p);
            const float in = x[k];
            const float out = -g * in + pair[0] + g * pair[1];
            pair[0] = in;
            pair[1] = out;
            x[k] = out;
            if (++p == stage.length) p = 0;
        }
        stage.position = p;
    }
}

namespace {

// out = out x g1 + a x g2 + b x g3, the gains ramping from their starts when any moved.
void MixStep(float* out, const float* a, const float* b, uint32_t n, const float start[3], const float end[3]) {
    if (start[0] == end[0] && start[1] == end[1] && start[2] == end[2]) {
        for (uint32_t k = 0; k < n; ++k) out[k] = out[k] * end[0] + a[k] * end[1] + b[k] * end[2];
        return;
    }
    const float inv = 1.0f / static_cast<float>(n);
    float g[3] = {start[0], start[1], start[2]};
    const float step[3] = {(end[0] - start[0]) * inv, (end[1] - start[1]) * inv, (end[2] - start[2]) * inv};
    for (uint32_t k = 0; k < n; ++k) {
        for (int i = 0; i < 3; ++i) g[i] += step[i];
        out[k] = out[k] * g[0] + a[k] * g[1] + b[k] * g[2];
    }
}

struct Width {
    float w, s;
    explicit Width(float degrees) {
        w = kSqrtHalf + 0.292894f * degrees / 180.0f;
        const float rest = 1.0f - w * w;
        s = rest > 0.0f ? std::sqrt(rest) : 0.0f;
    }
};

}  // namespace

void CSxRoomReverbFX::Process(SxAudioBuffer& buffer, uint32_t outputs) {
    const uint32_t mask = buffer.channelMask;
    const SxRoomRampedParams now = m_params->ramped;
    const SxRoomStructParams& s = m_params->structural;
    const bool hasBack = (mask & 0x30) != 0;
    const bool useRear = hasBack && outputs >= 2 && m_erChannels;
    float* mono = m_scratch;
    float* reverbIn = m_scratch + kChunk;
    float* unitOut[6];
    for (uint32_t i = 0; i < 6; ++i) unitOut[i] = m_scratch + (2 + i) * kChunk;
    float* er[4];
    for (uint32_t i = 0; i < 4; ++i) er[i] = m_scratch + (8 + i) * kChunk;

    // Planar channels by role: 0 FL, 1 FR, 2 C, 3 LFE, 4 BL, 5 BR; -1 when absent.
    int planar[6];
    for (uint32_t bit = 0; bit < 6; ++bit) planar[bit] = (mask >> bit) & 1 ? int(SxPlanarIndex(mask, bit)) : -1;
    uint32_t fullRange = 0;
    for (uint32_t bit : {0u, 1u, 4u, 5u}) fullRange += planar[bit] >= 0;
    const float cl = std::min(s.centreLevel, 1.0f), ll = std::min(s.lfeLevel, 1.0f);
    const float denominator = float(fullRange) + (planar[2] >= 0 ? cl * cl : 0.0f) + (planar[3] >= 0 ? ll * ll : 0.0f);
    const float k = denominator > 0.0f ? std::sqrt(1.0f / denominator) : 0.0f;

    for (uint32_t done = 0; done < buffer.validFrames; done += kChunk) {
        const uint32_t n = std::min<uint32_t>(kChunk, buffer.validFrames - done);
        // 1. Mono downmix and its filters.
        std::memset(mono, 0, n * sizeof(float));
        for (uint32_t bit = 0; bit < 6; ++bit) {
            if (planar[bit] < 0) continue;
            const float weight = bit == 2 ? k * cl : (bit == 3 ? k * ll : k);
            const float* x = buffer.Channel(planar[bit]) + done;
            for (uint32_t i = 0; i < n; ++i) mono[i] += weight * x[i];
        }
        RunFilters(3, mono, mono, n);
        // 2. The reverb's input, delayed.
        m_reverbDelay.ProcessBuffer(mono, reverbIn, n);
        // 3. Early reflections.
        if (m_erChannels) {
            m_preEr.ProcessBuffer(mono, n);
            RunEarly(mono, er[0], er[1], n);
            RunFilters(1, er[0], er[1], n);
            if (useRear) {
                m_rear[0].ProcessBuffer(er[0], er[2], n);
                m_rear[1].ProcessBuffer(er[1], er[3], n);
            }
        }
        // 4. Diffusion and the reverb input's filters.
        RunStages(reverbIn, n);
        RunFilters(2, reverbIn, reverbIn, n);
        // 5. The units, each hearing the input delayed by its own and the earlier units' delays.
        for (uint32_t i = 0; i < 2 * outputs; ++i) std::memset(unitOut[i], 0, n * sizeof(float));
        static const float kSigns[3][4] = {{1, -1, 1, -1}, {1, 1, -1, -1}, {1, -1, -1, 1}};
        for (uint32_t u = 0; u < m_unitCount; ++u) {
            Unit& unit = m_units[u];
            unit.input.ProcessBuffer(reverbIn, n);
            float* outs[3] = {unitOut[u & 1], unitOut[2 + (u & 1)], unitOut[4 + (u & 1)]};
            for (uint32_t i = 0; i < n; ++i) {
                float f[4];
                for (uint32_t l = 0; l < 4; ++l) {
                    const DelayLine& line = unit.lines[l];
                    f[l] = unit.b0[l] * line.buffer[line.position] + unit.b[l] * unit.state[l];
                    unit.state[l] = f[l];
                }
                const float h = -0.5f * (f[0] + f[1] + f[2] + f[3]);
                for (uint32_t l = 0; l < 4; ++l) {
                    DelayLine& line = unit.lines[l];
                    line.buffer[line.position] = f[(l + 1) & 3] + h + reverbIn[i];
                    if (++line.position == line.length) line.position = 0;
                }
                for (uint32_t o = 0; o < outputs; ++o)
                    outs[o][i] += kSigns[o][0] * f[0] + kSigns[o][1] * f[1] + kSigns[o][2] * f[2] + kSigns[o][3] * f[3];
            }
            for (float& state : unit.state)
                if (!std::isfinite(state)) state = 0.0f;
        }
        // 6. Normalised and DC-blocked.
        for (uint32_t i = 0; i < 2 * outputs; ++i) {
            ApplyGain(unitOut[i], n, m_unitNorm * 1.4142135f);
            m_dc[i].ProcessBuffer(unitOut[i], n);
        }
        // 7. The mix, ramping over the first chunk from the last frame's values.
        const SxRoomRampedParams& from = done == 0 ? m_lastRamped : now;
        const Width w0(from.width), w1(now.width);
        auto mixPair = [&](int channel, const float* even, const float* odd, const float* erA, const float* erB,
                           float level0, float level1, bool right, bool withEr) {
            if (channel < 0) return;
            float* out = buffer.Channel(channel) + done;
            const float ws0 = right ? w0.s : w0.w, ss0 = right ? w0.w : w0.s;
            const float ws1 = right ? w1.s : w1.w, ss1 = right ? w1.w : w1.s;
            const float start[3] = {from.dryLevel, from.reverbLevel * level0 * ws0, from.reverbLevel * level0 * ss0};
            const float end[3] = {now.dryLevel, now.reverbLevel * level1 * ws1, now.reverbLevel * level1 * ss1};
            MixStep(out, even, odd, n, start, end);
            if (withEr && m_erChannels) {
                const float es[3] = {1.0f, from.erLevel * level0 * ws0, from.erLevel * level0 * ss0};
                const float ee[3] = {1.0f, now.erLevel * level1 * ws1, now.erLevel * level1 * ss1};
                MixStep(out, erA, erB, n, es, ee);
            }
        };
        auto mixCentre = [&](int channel, const float* even, const float* odd, float level0, float level1, float extra0,
                             float extra1, bool withEr) {
            if (channel < 0) return;
            float* out = buffer.Channel(channel) + done;
            const float start[3] = {from.dryLevel, kSqrtHalf * from.reverbLevel * level0 * extra0,
                                    kSqrtHalf * from.reverbLevel * level0 * extra0};
            const float end[3] = {now.dryLevel, kSqrtHalf * now.reverbLevel * level1 * extra1,
                                  kSqrtHalf * now.reverbLevel * level1 * extra1};
            MixStep(out, even, odd, n, start, end);
            if (withEr && m_erChannels) {
                const float es[3] = {1.0f, kSqrtHalf * from.erLevel * level0, kSqrtHalf * from.erLevel * level0};
                const float ee[3] = {1.0f, kSqrtHalf * now.erLevel * level1, kSqrtHalf * now.erLevel * level1};
                MixStep(out, er[0], er[1], n, es, ee);
            }
        };
        if (outputs == 1) {
            mixPair(planar[0], unitOut[0], unitOut[1], er[0], er[1], 1.0f, 1.0f, false, true);
            mixPair(planar[1], unitOut[0], unitOut[1], er[0], er[1], 1.0f, 1.0f, true, true);
            mixCentre(planar[2], unitOut[0], unitOut[1], 1.0f, 1.0f, 1.0f, 1.0f, true);
            mixCentre(planar[3], unitOut[0], unitOut[1], 1.0f, 1.0f, from.outputLevel[3], now.outputLevel[3], false);
        } else {
            const float* backEven = outputs == 3 ? unitOut[4] : unitOut[2];
            const float* backOdd = outputs == 3 ? unitOut[5] : unitOut[3];
            const float* rearL = useRear ? er[2] : er[0];
            const float* rearR = useRear ? er[3] : er[1];
            mixPair(planar[0], unitOut[0], unitOut[1], er[0], er[1], from.outputLevel[0], now.outputLevel[0], false,
                    true);
            mixPair(planar[1], unitOut[0], unitOut[1], er[0], er[1], from.outputLevel[0], now.outputLevel[0], true,
                    true);
            mixCentre(planar[2], unitOut[2], unitOut[3], from.outputLevel[2], now.outputLevel[2], 1.0f, 1.0f, false);
            mixPair(planar[4], backEven, backOdd, rearL, rearR, from.outputLevel[1], now.outputLevel[1], false, true);
            mixPair(planar[5], backEven, backOdd, rearL, rearR, from.outputLevel[1], now.outputLevel[1], true, true);
            mixCentre(planar[3], unitOut[2], unitOut[3], 1.0f, 1.0f, from.outputLevel[3], now.outputLevel[3], false);
        }
    }
}

void CSxRoomReverbFX::Execute(SxAudioBuffer* buffer) {
    CSxRoomReverbFXParams& params = *m_params;
    if (params.structChanged) {
        // The whole network is rebuilt (and cleared) from the new structure.
        if (Build() != SX_Success) return;
        params.structChanged = 0;
    }
    if (m_sendMode) params.ramped.dryLevel = 0.0f;
    if (params.rampedChanged) {
        ComputeUnitCoefficients();
        ComputeStageCoefficients();
        DesignFilters();
        params.rampedChanged = 0;
    }
    m_tail.HandleTail(*buffer, m_tailLength);
    if (buffer->validFrames == 0 || !m_ready || !m_scratch) return;
    uint32_t outputs = 0;
    switch (buffer->channelMask) {
        case 3:
        case 4:
        case 8:
        case 11:
        case 12:
            outputs = 1;
            break;
        case 7:
        case 15:
        case 51:
            outputs = 2;
            break;
        case 55:
        case 59:
        case 63:
            outputs = 3;
            break;
        default:
            return;  // other layouts pass unprocessed
    }
    Process(*buffer, outputs);
    m_lastRamped = params.ramped;
}

ISxPlugin* CreateRoomReverbFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxRoomReverbFX>(allocator); }
ISxPluginParam* CreateRoomReverbFXParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxRoomReverbFXParams>(allocator);
}

}  // namespace SX
