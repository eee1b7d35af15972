#include "sound/plugins/synth/CSxWhooshSynth.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/os/Random.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

constexpr int kValueIDs[CSxWhooshSynthParams::kValueCount] = {0, 20, 23, 26};

// The integral of 2^e over [ta, tb], e running linearly from a x 0.02 + 2 to b x 0.02 + 2.
float SpeedIntegral(float ta, float a, float tb, float b) {
    const float ea = a * 0.02f + 2.0f, eb = b * 0.02f + 2.0f;
    if (ea == eb) return (tb - ta) * std::exp2(ea);
    return (tb - ta) / (eb - ea) / 0.6931472f * (std::exp2(eb) - std::exp2(ea));
}

void SetShapedNoiseFilter(BiquadFilter& f) {
    f.Reset();
    f.b0 = 0.6374146f;
    f.b1 = -1.1480863f;
    f.b2 = 0.5115746f;
    f.a1 = 1.2719209f;
    f.a2 = -0.29918557f;
}

}  // namespace

// --- parameters ---

void CSxWhooshSynthParams::SetDefaults() {
    duration = 10.0f;
    durationRange = 0.0f;
    channelMask = 0x3;
    referenceDistance = 10.0f;
    rolloff = 0.5f;
    speedExponent = 1.0f;
    timeScale = 1.0f;
    centreIndex = -1;
    noiseColour = 0;
    pathJitter = speedJitter = 0.0f;
    controlPoints = 1;
    for (SxSynthValue& v : values) v = SxSynthValue();
    values[kSpeed].curveOn = 1;
    attenuationOn = 1;
    changeMask = kChangeAll;
}

CSxWhooshSynthParams::~CSxWhooshSynthParams() {
    SxFxFreeArray(allocator, deflectors);
    SxFxFreeArray(allocator, path);
}

SXRESULT CSxWhooshSynthParams::SetLists(const uint8_t* list, uint32_t size) {
    SxBlockCursor c{list, size};
    uint16_t count = 0;
    if (!c.Read(count) || count > kMaxSynthDeflectors) return SX_InvalidParameter;
    const uint8_t* deflectorBytes = list + c.offset;
    if (!c.Skip(count * uint32_t(sizeof(SxWhooshDeflector)))) return SX_InvalidParameter;
    std::vector<SxSynthCurveRef> curveRefs;
    if (!SxReadSynthCurveList(c, kValueIDs, kValueCount, curveRefs)) return SX_InvalidParameter;
    uint16_t points = 0;
    float length = 0.0f;
    if (!c.Read(points) || !c.Read(length) || points > kMaxWhooshPathPoints) return SX_InvalidParameter;
    const uint8_t* pathBytes = list + c.offset;
    if (!c.Skip(points * uint32_t(sizeof(SxWhooshPathPoint)))) return SX_InvalidParameter;

    SxFxFreeArray(allocator, deflectors);
    SxFxFreeArray(allocator, path);
    deflectorCount = pathCount = 0;
    deflectors = SxFxAllocArray<SxWhooshDeflector>(allocator, count);
    path = SxFxAllocArray<SxWhooshPathPoint>(allocator, points);
    if ((count && !deflectors) || (points && !path)) return SX_InsufficientMemory;
    deflectorCount = count;
    pathCount = points;
    pathLength = length;
    SxReadDeflectors(deflectors, deflectorBytes, count);
    if (points) std::memcpy(path, pathBytes, points * sizeof(SxWhooshPathPoint));
    const SXRESULT result = SxSetSynthCurves(curves, kValueCount, curveRefs);
    changeMask |= 0x16;
    return result;
}

SXRESULT CSxWhooshSynthParams::SetParamsBlock(const void* block, uint32_t size) {
    if (!block || size < kFixedSize) return SX_InvalidParameter;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    const SXRESULT lists = SetLists(bytes + kFixedSize, size - kFixedSize);
    if (lists == SX_InvalidParameter) return lists;
    SxBlockCursor c{bytes, kFixedSize};
    int16_t centre = -1;
    ReadShape(c);
    c.Read(noiseColour);
    c.Read(pathJitter);
    c.Read(speedJitter);
    c.Read(attenuationOn);
    c.Read(controlPoints);
    SxReadSynthValues(c, values, kValueCount, kGain);
    c.Read(centre);
    centreIndex = centre;
    changeMask = kChangeAll | 0x16;
    return lists;
}

SXRESULT CSxWhooshSynthParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (paramID == -1) return SX_Success;
    if (paramID == 0x7FFF && value) return SetLists(static_cast<const uint8_t*>(value), size);
    if (!value || paramID < -1 || paramID > 52) return SX_InvalidParameter;
    if (paramID == 40 || paramID == 46 || paramID == 51) {
        uint16_t v;
        if (!SxFxReadValue(value, size, v)) return SX_InvalidParameter;
        if (paramID == 40)
            channelMask = MaskOfConfiguration(v);
        else if (paramID == 46)
            noiseColour = v;
        else
            controlPoints = v;
        return SX_Success;
    }
    if (paramID == 49) return SxFxReadValue(value, size, attenuationOn) ? SX_Success : SX_InvalidParameter;
    float v;
    if (!SxFxReadValue(value, size, v)) return SX_InvalidParameter;
    if (SxSetSynthValue(values, kValueIDs, kValueCount, kGain, paramID, v) >= 0) return SX_Success;
    if (SetShapeValue(paramID, v)) return SX_Success;
    switch (paramID) {
        case 47:
            pathJitter = v;
            break;
        case 48:
            speedJitter = v;
            break;
        case 50:
            timeScale = v;
            break;
        case 52:
            speedExponent = v;
            break;
        default:
            return SX_InvalidParameter;
    }
    return SX_Success;
}

SXRESULT CSxWhooshSynthParams::Init(ISxPluginMemAlloc* alloc, const void* block, uint32_t size) {
    allocator = alloc;
    if (size != 0) return SetParamsBlock(block, size);
    SetDefaults();
    SxFxFreeArray(allocator, deflectors);
    SxFxFreeArray(allocator, path);
    deflectorCount = pathCount = 0;
    pathLength = 0.0f;
    for (CSxConversionTable& curve : curves) curve.Unset();
    return SX_Success;
}

ISxPluginParam* CSxWhooshSynthParams::Clone(ISxPluginMemAlloc* alloc) {
    auto* copy = SxFxNew<CSxWhooshSynthParams>(alloc, alloc);
    if (!copy) return nullptr;
    static_cast<SxSynthShape&>(*copy) = *this;
    copy->centreIndex = centreIndex;
    copy->noiseColour = noiseColour;
    copy->pathJitter = pathJitter;
    copy->speedJitter = speedJitter;
    copy->controlPoints = controlPoints;
    std::memcpy(copy->values, values, sizeof values);
    copy->attenuationOn = attenuationOn;
    copy->pathLength = pathLength;
    const bool ok = SxFxCopyArray(alloc, deflectors, deflectorCount, copy->deflectors, copy->deflectorCount) &&
                    SxFxCopyArray(alloc, path, pathCount, copy->path, copy->pathCount);
    if (!ok || !SxCopySynthCurves(curves, copy->curves, kValueCount)) {
        copy->Term(alloc);
        return nullptr;
    }
    copy->changeMask = kChangeAll;
    return copy;
}

SXRESULT CSxWhooshSynthParams::Term(ISxPluginMemAlloc* alloc) { return SxFxDelete(this, alloc); }

// --- the source ---

float CSxWhooshSynth::ShapedNoiseDcGain(uint32_t samples) {
    BiquadFilter f;
    SetShapedNoiseFilter(f);
    float y = 0.0f;
    for (uint32_t i = 0; i < samples; ++i) {
        float x = 1.0f;
        f.ProcessBuffer(&x, 1);
        y = x;
    }
    return y;
}

void CSxWhooshSynth::FreeState() {
    for (float** array : {&m_curveValues, &m_randoms, &m_speeds, &m_excitation}) SxFxFreeArray(m_allocator, *array);
    SxFxFreeArray(m_allocator, m_deflectors);
    SxFxFreeArray(m_allocator, m_path);
    SxFxFreeArray(m_allocator, m_speedCurve);
    SxFxFreeArray(m_allocator, m_jittered);
    m_bank.Term(m_allocator);
    m_deflectorCount = m_pathCount = m_speedPoints = 0;
}

SXRESULT CSxWhooshSynth::Term(ISxPluginMemAlloc* allocator) {
    FreeState();
    return SxFxDelete(this, allocator);
}

SXRESULT CSxWhooshSynth::Reset() {
    m_cycles = 0;
    m_time = 0.0f;
    for (uint32_t& cursor : m_cursors) cursor = 0;
    m_firstStep = true;
    m_lastTime = m_lastSpeed = 0.0f;
    m_pathFraction = 0.0f;
    m_segment = 0;
    return SX_Success;
}

// A new cycle's duration, jittered speed curve and path total; SX_Fail when the jitter
// cannot be applied.
SXRESULT CSxWhooshSynth::StartCycle() {
    const CSxWhooshSynthParams& p = *m_params;
    DrawCycleDuration(m_random);
    const uint32_t n = m_speedPoints;
    if (n) std::memcpy(m_jittered, m_speedCurve, n * sizeof(SxCurvePoint));
    const float j = p.pathJitter, k = p.speedJitter;
    if (n && (j != 0.0f || k != 0.0f)) {
        if (j != 0.0f && n >= 3) {
            for (uint32_t i = 1; i < n; ++i) {
                const float gap = m_speedCurve[i].x - m_speedCurve[i - 1].x;
                m_jittered[i].x = m_jittered[i - 1].x + gap * (1.0f + 0.99f * j * m_random.Draw());
                m_jittered[i].y += k * m_random.Draw();
            }
            m_jittered[0].y += k * m_random.Draw();
            const float span = m_jittered[n - 1].x - m_jittered[0].x;
            if (span != 0.0f && std::isfinite(span)) {
                const float scale = p.duration / span;
                for (uint32_t i = 1; i < n; ++i) m_jittered[i].x *= scale;
            }
        } else {
            for (uint32_t i = 0; i < n; ++i) m_jittered[i].y += k * m_random.Draw();
        }
    }
    m_pathTotal = 0.0f;
    if (p.values[CSxWhooshSynthParams::kSpeed].curveOn && n >= 2)
        for (uint32_t i = 0; i + 1 < n; ++i)
            m_pathTotal += SpeedIntegral(m_jittered[i].x, m_jittered[i].y, m_jittered[i + 1].x, m_jittered[i + 1].y);
    for (uint32_t& cursor : m_cursors) cursor = 0;
    m_firstStep = true;
    m_pathFraction = 0.0f;
    m_segment = 0;
    return SX_Success;
}

SXRESULT CSxWhooshSynth::Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                              SxAudioFormat& format) {
    FreeState();
    m_params = static_cast<CSxWhooshSynthParams*>(params);
    const CSxWhooshSynthParams& p = *m_params;
    if (const SXRESULT started = StartSource(allocator, context, m_params, format); started != SX_Success)
        return started;
    m_random.state = uint32_t(platform::crt_rand());
    m_white.state = uint32_t(platform::crt_rand());
    m_pink.Reset(uint32_t(platform::crt_rand()), m_rate);
    m_red = 0.0f;
    SetShapedNoiseFilter(m_shaped);
    m_speedOffset = p.values[CSxWhooshSynthParams::kSpeed].range * m_random.Draw();
    m_controlPoints = p.controlPoints < 1                         ? 1
                      : p.controlPoints > kMaxWhooshControlPoints ? kMaxWhooshControlPoints
                                                                  : p.controlPoints;

    const uint32_t n = p.deflectorCount;
    m_excitation = SxFxAllocArray<float>(allocator, SxFrameLength);
    m_curveValues = SxFxAllocArray<float>(allocator, m_controlPoints * 4);
    if (!m_excitation || !m_curveValues) return SX_InsufficientMemory;
    if (n) {
        m_randoms = SxFxAllocArray<float>(allocator, n * 3);
        m_speeds = SxFxAllocArray<float>(allocator, n);
        if (!SxFxCopyArray(allocator, p.deflectors, n, m_deflectors, m_deflectorCount) || !m_randoms || !m_speeds ||
            m_bank.Init(allocator, n, m_channels) != SX_Success)
            return SX_InsufficientMemory;
        for (uint32_t k = 0; k < n; ++k) {
            const SxDeflectorDraw draw =
                SxDrawDeflector(p.values[CSxWhooshSynthParams::kPitch], p.values[CSxWhooshSynthParams::kQ],
                                p.values[CSxWhooshSynthParams::kGain], m_random);
            m_randoms[3 * k] = draw.pitch;
            m_randoms[3 * k + 1] = draw.q;
            m_randoms[3 * k + 2] = draw.gain;
        }
    }
    if (!SxFxCopyArray(allocator, p.path, p.pathCount, m_path, m_pathCount)) return SX_InsufficientMemory;
    m_pathLength = p.pathLength;
    const CSxConversionTable& speed = p.curves[CSxWhooshSynthParams::kSpeed];
    if (speed.Count()) {
        m_speedCurve = SxFxAllocArray<SxCurvePoint>(allocator, speed.Count());
        m_jittered = SxFxAllocArray<SxCurvePoint>(allocator, speed.Count());
        if (!m_speedCurve || !m_jittered) return SX_Fail;
        std::memcpy(m_speedCurve, speed.Points(), speed.Count() * sizeof(SxCurvePoint));
        m_speedPoints = speed.Count();
    }
    Reset();
    return StartCycle();
}

SXRESULT CSxWhooshSynth::NextCycle() { return StartCycle() == SX_Success ? SX_DataReady : SX_Fail; }

void CSxWhooshSynth::Excite(float* out, uint32_t count) {
    switch (m_params->noiseColour) {
        case 1:
            m_pink.Generate(out, count);
            break;
        case 2:
            for (uint32_t i = 0; i < count; ++i) out[i] = m_red = 0.05f * m_white.Signed() + 0.995f * m_red;
            break;
        case 3:
            for (uint32_t i = 0; i < count; ++i) out[i] = m_white.Signed();
            m_shaped.ProcessBuffer(out, count);
            break;
        default:
            for (uint32_t i = 0; i < count; ++i) out[i] = m_white.Signed();
    }
}

// The object's place on the path at a position along it, searching on from the last segment.
void CSxWhooshSynth::Locate(float position) {
    if (m_pathCount == 0) {
        m_x = m_y = 0.0f;
        return;
    }
    if (m_pathCount < 2 || !(position < m_pathLength)) {
        const SxWhooshPathPoint& q = m_pathCount < 2 ? m_path[0] : m_path[m_pathCount - 1];
        m_x = q.x;
        m_y = q.y;
        return;
    }
    if (m_segment >= m_pathCount - 1 || position < m_path[m_segment].position) m_segment = 0;
    while (m_segment + 2 < m_pathCount && position >= m_path[m_segment + 1].position) ++m_segment;
    const SxWhooshPathPoint& a = m_path[m_segment];
    const SxWhooshPathPoint& b = m_path[m_segment + 1];
    const float span = b.position - a.position;
    float t = span > 0.0f ? (position - a.position) / span : 0.0f;
    t = std::fmin(std::fmax(t, 0.0f), 1.0f);
    m_x = a.x + t * (b.x - a.x);
    m_y = a.y + t * (b.y - a.y);
}

void CSxWhooshSynth::Execute(SxAudioBuffer* buffer) {
    const uint32_t frames = buffer->maxFrames;
    ClearBuffer(buffer);
    CSxWhooshSynthParams& p = *m_params;
    p.changeMask = 0;
    const uint32_t n = m_deflectorCount;
    if (n && (m_channels == 1 || m_channels == 2 || m_channels == 4)) {
        const uint32_t points = m_controlPoints;
        const float step = float(frames) / float(m_rate) * p.timeScale / float(points);
        const float toCurve = p.duration / m_cycleDuration;
        for (uint32_t j = 0; j < points; ++j) {
            const float x = (m_time + float(j) * step) * toCurve;
            for (int v = 0; v < CSxWhooshSynthParams::kValueCount; ++v) {
                float value = 0.0f;
                if (p.values[v].curveOn)
                    value = v == CSxWhooshSynthParams::kSpeed
                                ? SxEvaluateCurveWithCursor(m_jittered, m_speedPoints, x, m_cursors[v])
                                : p.curves[v].ConvertWithCursor(x, m_cursors[v]);
                m_curveValues[4 * j + v] = value;
            }
        }
        const uint32_t block = ((frames + points - 1) / points + 3) & ~3u;
        const float exponent = (p.speedExponent + 1.0f) * 48.0f * 0.0415241f;
        const int32_t centre = p.centreIndex >= 0 && uint32_t(p.centreIndex) < n && n > 1 ? p.centreIndex : -1;
        const float reference = p.referenceDistance * 0.01f;
        for (uint32_t j = 0, offset = 0; j < points && offset < frames; ++j, offset += block) {
            const uint32_t count = frames - offset < block ? frames - offset : block;
            const float* curve = m_curveValues + 4 * j;
            const float s = p.values[0].base + m_speedOffset + curve[CSxWhooshSynthParams::kSpeed];
            const float base = std::exp2(s * 0.02f + 2.0f);
            // Where the object is along its path.
            const float t = m_time + float(j) * step;
            if (!p.values[CSxWhooshSynthParams::kSpeed].curveOn) {
                m_pathFraction = t / m_cycleDuration;
            } else {
                if (!m_firstStep && m_pathTotal > 0.0f)
                    m_pathFraction += SpeedIntegral(m_lastTime, m_lastSpeed, t, curve[0]) / m_pathTotal;
                m_lastTime = t;
                m_lastSpeed = curve[0];
            }
            Locate(m_pathLength * m_pathFraction);
            const float d = std::sqrt(m_x * m_x + m_y * m_y);
            float attenuation = 1.0f;
            if (p.attenuationOn && d > reference && reference > 0.0f)
                attenuation = std::pow(10.0f, -0.3f * p.rolloff * std::log2(d / reference));
            float pan[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            if (m_channels > 1) SxPlanePan(d, std::atan2(m_y, m_x), m_channels, pan);
            const float gainCurve = std::pow(10.0f, curve[CSxWhooshSynthParams::kGain] * 0.05f);
            for (uint32_t k = 0; k < n; ++k) {
                const SxWhooshDeflector& def = m_deflectors[k];
                const float frequency = std::exp2(m_randoms[3 * k] + p.values[1].base + curve[1]) * def.frequency;
                const float q = std::fmin(
                    std::fmax(std::exp2(m_randoms[3 * k + 1] + p.values[2].base + curve[2]) * def.q, 0.1f), 50.0f);
                const float target =
                    std::fmin(std::fmax(m_randoms[3 * k + 2] * gainCurve * p.values[3].base, 0.0f), 16.0f) * def.gain;
                m_speeds[k] = centre < 0 ? base
                                         : base * float(std::abs(int32_t(k) - centre)) /
                                               float(std::max(centre, int32_t(n) - 1 - centre));
                float colour = 1.0f;
                switch (p.noiseColour) {
                    case 1:
                        colour = std::sqrt(std::fmax(0.025f * frequency, 0.0f));
                        break;
                    case 2:
                        colour = 0.01f * frequency;
                        break;
                    case 3:
                        colour = 650.0f / frequency;
                        break;
                    default:
                        break;
                }
                const float speedGain = std::pow(m_speeds[k] * 0.0625f, exponent);
                float g = speedGain * SxResonanceGain(frequency, q, m_rate, colour) * target * attenuation;
                if (!std::isfinite(g)) g = 0.0f;
                m_bank.SetGain(k, g, count, m_firstStep);
                m_bank.SetPan(k, pan, count, m_firstStep);
                m_bank.SetResonator(k, m_speeds[k] * frequency * 0.0625f, q, m_rate);
            }
            m_firstStep = false;
            Excite(m_excitation, count);
            m_bank.Run(m_excitation, buffer->data, frames, offset, count);
            m_bank.Settle();
        }
    }
    FinishBuffer(buffer);
}

ISxPlugin* CreateWhooshSynth(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxWhooshSynth>(allocator); }

ISxPluginParam* CreateWhooshSynthParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxWhooshSynthParams>(allocator, allocator);
}

}  // namespace SX
