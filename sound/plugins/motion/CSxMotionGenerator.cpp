#include "sound/plugins/motion/CSxMotionGenerator.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

// Samples of a duration at a rate, truncated; 0 for a duration that is not positive, the
// largest count for one that does not fit.
uint32_t SamplesOf(double rate, double seconds) {
    const double samples = rate * seconds;
    if (!(samples > 0.0)) return 0;
    return samples >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(samples);
}

struct ParsedCurve {
    const uint8_t* points = nullptr;
    uint16_t count = 0;
};

}  // namespace

float CSxMotionGeneratorParams::PassDuration() const {
    switch (durationMode) {
        case kOnePeriod:
            return timeScale * period;
        case kFixedDuration:
            return duration;
        case kEnvelope:
            return attack + decay + sustainTime + release;
        default:
            return 0.0f;
    }
}

SXRESULT CSxMotionGeneratorParams::SetCurves(const uint8_t* list, uint32_t size) {
    if (!list || size < 2) return SX_InvalidParameter;
    uint16_t count;
    std::memcpy(&count, list, 2);
    uint32_t offset = 2;
    ParsedCurve parsed[kMotionCurveCount];
    const uint16_t used = count < kMotionCurveCount ? count : kMotionCurveCount;
    for (uint16_t c = 0; c < used; ++c) {
        if (size - offset < 2) return SX_InvalidParameter;
        std::memcpy(&parsed[c].count, list + offset, 2);
        offset += 2;
        if (parsed[c].count > kMaxMotionCurvePoints) return SX_InvalidParameter;
        const uint32_t bytes = parsed[c].count * uint32_t(sizeof(SxCurvePoint));
        if (size - offset < bytes) return SX_InvalidParameter;
        parsed[c].points = list + offset;
        offset += bytes;
    }
    for (uint16_t c = 0; c < used; ++c) {
        if (parsed[c].count == 0) continue;  // an empty curve leaves the one in place
        std::vector<SxCurvePoint> points(parsed[c].count);
        std::memcpy(points.data(), parsed[c].points, points.size() * sizeof(SxCurvePoint));
        curves[c].Set(points.data(), parsed[c].count, SxCurveScaling_None);
    }
    return SX_Success;
}

SXRESULT CSxMotionGeneratorParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (!value) return SX_InvalidParameter;
    if (paramID == 0x7FFF) return SetCurves(static_cast<const uint8_t*>(value), size);
    if (paramID == 2) {
        uint16_t mode;
        if (!SxFxReadValue(value, size, mode)) return SX_InvalidParameter;
        durationMode = mode;
        return SX_Success;
    }
    float v;
    if (!SxFxReadValue(value, size, v)) return SX_InvalidParameter;
    switch (paramID) {
        case 0:
            period = v;
            break;
        case 1:
            timeScale = v;
            break;
        case 3:
            duration = v;
            break;
        case 12:
            attack = v;
            break;
        case 13:
            decay = v;
            break;
        case 14:
            sustainTime = v;
            break;
        case 15:
            sustainLevel = SxParamDbToLinear(v);
            break;
        case 16:
            release = v;
            break;
        default:
            return SX_InvalidParameter;
    }
    return SX_Success;
}

SXRESULT CSxMotionGeneratorParams::SetParamsBlock(const void* block, uint32_t size) {
    if (!block || size < kMotionParamsFixedSize) return SX_InvalidParameter;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    if (size > kMotionParamsFixedSize) {
        const SXRESULT curvesResult = SetCurves(bytes + kMotionParamsFixedSize, size - kMotionParamsFixedSize);
        if (curvesResult != SX_Success) return curvesResult;
    }
    SxParamsBlockReader reader(block, kMotionParamsFixedSize, kMotionParamsFixedSize);
    period = reader.ReadF32();
    timeScale = reader.ReadF32();
    duration = reader.ReadF32();
    attack = reader.ReadF32();
    decay = reader.ReadF32();
    sustainTime = reader.ReadF32();
    release = reader.ReadF32();
    sustainLevel = SxParamDbToLinear(reader.ReadF32());
    uint16_t mode;
    std::memcpy(&mode, bytes + 32, 2);
    durationMode = mode;
    return SX_Success;
}

SXRESULT CSxMotionGeneratorParams::Init(ISxPluginMemAlloc* alloc, const void* block, uint32_t size) {
    allocator = alloc;
    return size == 0 ? SX_Success : SetParamsBlock(block, size);
}

ISxPluginParam* CSxMotionGeneratorParams::Clone(ISxPluginMemAlloc* alloc) {
    void* memory = alloc ? alloc->Malloc(sizeof(CSxMotionGeneratorParams)) : nullptr;
    if (!memory) return nullptr;
    auto* copy = new (memory) CSxMotionGeneratorParams(alloc);
    copy->period = period;
    copy->timeScale = timeScale;
    copy->duration = duration;
    copy->attack = attack;
    copy->decay = decay;
    copy->sustainTime = sustainTime;
    copy->release = release;
    copy->sustainLevel = sustainLevel;
    copy->durationMode = durationMode;
    for (uint16_t c = 0; c < kMotionCurveCount; ++c)
        if (curves[c].Count()) copy->curves[c].Set(curves[c].Points(), curves[c].Count(), curves[c].Scaling());
    return copy;
}

SXRESULT CSxMotionGeneratorParams::Term(ISxPluginMemAlloc* alloc) { return SxFxDelete(this, alloc); }

SXRESULT CSxMotionGenerator::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxMotionGenerator::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_MotionSource;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

SXRESULT CSxMotionGenerator::Init(ISxPluginMemAlloc*, ISxSourcePluginContext* context, ISxPluginParam* params,
                                  SxAudioFormat& format) {
    m_context = context;
    m_params = static_cast<CSxMotionGeneratorParams*>(params);
    m_rate = format.sampleRate;
    format.channelMask = 0x3;
    return Reset();
}

uint32_t CSxMotionGenerator::TotalSamples() const { return SamplesOf(m_rate, m_params->PassDuration()); }

SXRESULT CSxMotionGenerator::Reset() {
    m_time = 0.0f;
    m_cursors[0] = m_cursors[1] = 0;
    m_produced = 0;
    const uint16_t loops = m_context ? m_context->GetNumLoops() : 1;
    m_loopsLeft = loops == 0 ? kEndless : loops;
    m_segment = 0;
    if (!m_params || m_params->durationMode != CSxMotionGeneratorParams::kEnvelope) {
        m_segments[0] = Segment{kAbsent, 0.0f, 1.0f};
        m_envelopeGain = 1.0f;
        return SX_Success;
    }
    const CSxMotionGeneratorParams& p = *m_params;
    const double r = m_rate;
    const float s = p.sustainLevel;
    Segment& attack = m_segments[0];
    Segment& decay = m_segments[1];
    Segment& sustain = m_segments[2];
    Segment& release = m_segments[3];
    // Each present segment ends where the present ones before it end, plus its own length.
    uint32_t reached = 0;
    auto endAfter = [&](float seconds) { return reached += SamplesOf(r, seconds); };
    attack =
        p.attack > 0.0f ? Segment{endAfter(p.attack), float(1.0 / (r * p.attack)), 0.0f} : Segment{kAbsent, 0.0f, 0.0f};
    decay = p.decay > 0.0f ? Segment{endAfter(p.decay), float(-(1.0 - s) / (r * p.decay)), 1.0f}
                           : Segment{kAbsent, 0.0f, 1.0f};
    sustain = p.sustainTime > 0.0f ? Segment{endAfter(p.sustainTime), 0.0f, s} : Segment{kAbsent, 0.0f, 1.0f};
    const uint32_t last = TotalSamples() - 1;
    release = p.release > 0.0f ? Segment{last, float(-s / (r * p.release)), s} : Segment{last, 0.0f, 0.0f};
    m_envelopeGain = 0.0f;
    return SX_Success;
}

float CSxMotionGenerator::GetDuration() const { return m_params ? m_params->PassDuration() * 1000.0f : 0.0f; }

SXRESULT CSxMotionGenerator::StopLooping() {
    m_loopsLeft = 1;
    return SX_Success;
}

void CSxMotionGenerator::Execute(SxAudioBuffer* buffer) {
    buffer->state = SX_DataReady;
    const CSxMotionGeneratorParams& p = *m_params;
    const double perSecond = double(m_rate) * p.timeScale;
    const float step = perSecond > 0.0 ? float(1.0 / perSecond) : 0.0f;
    m_total = TotalSamples();
    if (m_produced >= m_total) {  // a new pass; the envelope goes on where it was
        m_produced -= m_total;
        m_time = float(m_produced) * step;
        if (m_loopsLeft != kEndless) --m_loopsLeft;
        m_cursors[0] = m_cursors[1] = 0;
    }
    if (p.durationMode == CSxMotionGeneratorParams::kEnvelope &&
        int32_t(m_produced) >= int32_t(m_segments[m_segment].end)) {
        for (int k = 0; k < 4; ++k) {
            m_segment = uint8_t((m_segment + 1) & 3);
            if (m_segments[m_segment].end != kAbsent) break;
        }
        m_envelopeGain = m_segments[m_segment].startGain;
    }
    const uint32_t channels = buffer->Channels() < kMotionCurveCount ? buffer->Channels() : kMotionCurveCount;
    const float segmentStep = m_segments[m_segment].step;
    for (uint32_t i = 0; i < buffer->maxFrames; ++i) {
        for (uint32_t c = 0; c < channels; ++c)
            buffer->Channel(c)[i] = p.curves[c].ConvertWithCursor(m_time, m_cursors[c]) * m_envelopeGain;
        m_envelopeGain += segmentStep;
        if (m_envelopeGain < 0.0f) m_envelopeGain = 0.0f;
        if (m_envelopeGain > 1.0f) m_envelopeGain = 1.0f;
        m_time += step;
        if (m_time >= p.period) {
            m_time -= p.period;
            m_cursors[0] = m_cursors[1] = 0;
        }
    }
    m_produced += buffer->maxFrames;
    buffer->validFrames = buffer->maxFrames;
    if (m_produced >= m_total && m_loopsLeft <= 1) buffer->state = SX_NoMoreData;
}

ISxPlugin* CreateMotionGenerator(ISxPluginMemAlloc* allocator) {
    CSxMotionGenerator* generator = SxFxNew<CSxMotionGenerator>(allocator);
    return generator;
}

ISxPluginParam* CreateMotionGeneratorParams(ISxPluginMemAlloc* allocator) {
    void* memory = allocator ? allocator->Malloc(sizeof(CSxMotionGeneratorParams)) : nullptr;
    return memory ? new (memory) CSxMotionGeneratorParams(allocator) : nullptr;
}

}  // namespace SX
