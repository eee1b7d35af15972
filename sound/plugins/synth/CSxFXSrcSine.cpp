#include "sound/plugins/synth/CSxFXSrcSine.h"

#include <cmath>
#include <cstring>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415925f;

// An odd polynomial close to sin(p) over [-pi, pi).
inline float SinePolynomial(float p) {
    const float p2 = p * p;
    return p * (1.0f + p2 * (-0.16652186f + p2 * (0.008199913f + p2 * -0.00016147594f)));
}

// Phases stay in [-pi, pi); the frequency is held to [0, rate / 2], so the loop ends at once.
inline float Wrap(float p) {
    while (p >= kPi) p -= kTwoPi;
    return p;
}

}  // namespace

SXRESULT CSxFxSrcSineParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    bool ok = false;
    switch (paramID) {
        case 0:
            ok = SxFxReadValue(value, size, values.frequency);
            break;
        case 1: {
            float db;
            ok = SxFxReadValue(value, size, db);
            if (ok) values.gain = SxParamDbToLinear(db);
            break;
        }
        case 2:
            ok = SxFxReadValue(value, size, values.duration);
            break;
        case 3:
            ok = SxFxReadValue(value, size, values.channelMask);
            break;
        default:
            return SX_InvalidParameter;
    }
    if (!ok) return SX_InvalidParameter;
    changes |= uint8_t(1u << paramID);
    return SX_Success;
}

SXRESULT CSxFxSrcSineParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader r(block, size, kSineParamsSize);
    if (!r.IsValid()) return r.Result();
    values.frequency = r.ReadF32();
    values.gain = SxParamDbToLinear(r.ReadF32());
    values.duration = r.ReadF32();
    values.channelMask = r.ReadU32();
    changes = kAll;
    return SX_Success;
}

SXRESULT CSxFxSrcSineParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    values = SxSineFXParams();
    changes = kAll;
    return SX_Success;
}

ISxPluginParam* CSxFxSrcSineParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxFxSrcSineParams* copy = SxFxNew<CSxFxSrcSineParams>(allocator);
    if (copy) {
        copy->values = values;
        copy->changes = kAll;
    }
    return copy;
}

SXRESULT CSxFxSrcSineParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFXSrcSine::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFXSrcSine::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Source;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

void CSxFXSrcSine::ComputeTotal() {
    const float frames = float(m_rate) * m_params->values.duration;
    const uint32_t whole = frames > 0.0f ? (frames < 4294967040.0f ? uint32_t(frames) : 0xFFFFFFF0u) : 0u;
    m_total = (whole + 3) & ~3u;
}

SXRESULT CSxFXSrcSine::Init(ISxPluginMemAlloc*, ISxSourcePluginContext* context, ISxPluginParam* params,
                            SxAudioFormat& format) {
    m_params = static_cast<CSxFxSrcSineParams*>(params);
    if (!m_params || format.sampleRate == 0) return SX_InvalidParameter;
    const uint32_t mask = m_params->values.channelMask & 0x3FFFF;
    format.channelMask = SxIsPlayableChannelMask(mask) ? mask : 0x4;
    m_previousGain = m_params->values.gain;
    m_loops = context ? context->GetNumLoops() : 1;
    m_rate = format.sampleRate;
    m_rateF = float(m_rate);
    ComputeTotal();
    m_played = 0;
    m_phase = 0.0f;
    m_increment = Increment();
    m_params->changes = 0;
    return SX_Success;
}

SXRESULT CSxFXSrcSine::Reset() {
    m_played = 0;
    return SX_Success;
}

float CSxFXSrcSine::GetDuration() const {
    if (m_rate == 0) return 0.0f;
    return float(m_loops) * float(m_total) / float(m_rate) * 1000.0f;
}

SXRESULT CSxFXSrcSine::StopLooping() {
    m_loops = 1;
    return SX_Success;
}

SXRESULT CSxFXSrcSine::CountFrames(uint32_t& frames) {
    if (m_loops == 0) {
        m_played += frames;
        return SX_DataReady;
    }
    const uint64_t limit = uint64_t(m_loops) * m_total;
    if (m_played >= limit) {
        frames = 0;
        return SX_NoMoreData;
    }
    const uint64_t left = limit - m_played;
    if (left <= frames) {
        frames = uint32_t(left);
        m_played += frames;
        return SX_NoMoreData;
    }
    m_played += frames;
    return SX_DataReady;
}

SXRESULT CSxFXSrcSine::TimeSkip(uint32_t& frames) {
    if (m_params->changes & CSxFxSrcSineParams::kDuration) {
        ComputeTotal();
        m_params->changes &= uint8_t(~CSxFxSrcSineParams::kDuration);
    }
    m_previousGain = m_params->values.gain;
    return CountFrames(frames);
}

float CSxFXSrcSine::Increment() const {
    // A frequency that is not a number plays the default; none may pass half the rate.
    const float frequency = SxSanitizeParam(m_params->values.frequency, 0.0f, 0.5f * m_rateF, 440.0f);
    return frequency / m_rateF * kTwoPi;
}

void CSxFXSrcSine::Generate(float* out, uint32_t count) {
    float lanes[4];
    for (int k = 0; k < 4; ++k) lanes[k] = Wrap(m_phase + float(k) * m_increment);
    float step = 4.0f * m_increment;
    if (step >= kTwoPi) step -= kTwoPi;
    for (uint32_t i = 0; i < count; i += 4) {
        for (uint32_t k = 0; k < 4 && i + k < count; ++k) out[i + k] = SinePolynomial(lanes[k]);
        for (float& p : lanes) p = Wrap(p + step);
    }
    m_phase = lanes[0];
}

void CSxFXSrcSine::Execute(SxAudioBuffer* buffer) {
    if (m_params->changes & CSxFxSrcSineParams::kFrequency) m_increment = Increment();
    if (m_params->changes & CSxFxSrcSineParams::kDuration) ComputeTotal();
    m_params->changes = 0;
    uint32_t count = buffer->maxFrames;
    buffer->state = CountFrames(count);
    buffer->validFrames = uint16_t(count);
    if (count == 0) return;
    float* tone = buffer->Channel(0);
    Generate(tone, count);
    const float gain = m_params->values.gain;
    if (gain == m_previousGain)
        ApplyGain(tone, count, gain);
    else
        ApplyGainRamp(tone, count, m_previousGain, gain);
    m_previousGain = gain;
    for (uint32_t c = 1; c < buffer->Channels(); ++c) std::memset(buffer->Channel(c), 0, count * sizeof(float));
}

ISxPlugin* CreateSineSource(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxFXSrcSine>(allocator); }
ISxPluginParam* CreateSineSourceParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxFxSrcSineParams>(allocator); }

}  // namespace SX
