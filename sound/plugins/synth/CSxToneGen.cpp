#include "sound/plugins/synth/CSxToneGen.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "platform/os/Random.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

constexpr uint32_t kTableSize = 512;
constexpr uint32_t kPinkRows = 30;
constexpr double kTwoPi = 6.283185307179586;

// One period of each tone, peak at -0.1 dB.
struct Wavetables {
    float sine[kTableSize], triangle[kTableSize], square[kTableSize], sawtooth[kTableSize];

    Wavetables() {
        for (uint32_t n = 0; n < kTableSize; ++n) sine[n] = float(0.98855 * std::sin(kTwoPi * n / kTableSize));
        Harmonics(triangle, 2, [](int k, double x) { return std::cos(k * x) / (k * k); });
        Harmonics(square, 2, [](int k, double x) { return std::sin(k * x) / k; });
        Harmonics(sawtooth, 1, [](int k, double x) { return std::sin(k * x) / k; });
    }
    template <typename Term>
    static void Harmonics(float* table, int stride, Term term) {
        double values[kTableSize];
        double peak = 0.0;
        for (uint32_t n = 0; n < kTableSize; ++n) {
            const double x = kTwoPi * n / kTableSize;
            double sum = 0.0;
            for (int k = 1; k <= 15; k += stride) sum += term(k, x);
            values[n] = sum;
            peak = std::fmax(peak, std::fabs(sum));
        }
        for (uint32_t n = 0; n < kTableSize; ++n) table[n] = float(values[n] / peak * 0.98855);
    }
};

const Wavetables& Tables() {
    static const Wavetables tables;
    return tables;
}

// The tone generators' white noise: one state per thread (all of them run on the audio thread).
thread_local uint32_t t_noiseState = 22222;

float WhiteDraw() {
    t_noiseState = t_noiseState * 0x0BB38435u + 0x3619636Bu;
    return float(int32_t(t_noiseState)) * 4.656612873077393e-10f;  // 2^-31
}

float RandomOffset(float minimum, float maximum) {
    if (minimum == maximum) return minimum;
    return float(platform::crt_rand()) * (1.0f / 32767.0f) * (maximum - minimum) + minimum;
}

// In single precision, as the lengths were always figured: 48000 x 0.005 is 240 samples.
uint32_t Samples(uint32_t rate, float seconds) {
    const float samples = float(rate) * seconds;
    if (!(samples > 0.0f)) return 0;
    return samples >= 4294967040.0f ? 0xFFFFFFFFu : uint32_t(samples);
}

}  // namespace

void CSxToneGen::SeedNoise(uint32_t state) { t_noiseState = state; }

SXRESULT CSxToneGenParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (!value) return SX_InvalidParameter;
    if (paramID < 0 || paramID > 16) return SX_Success;  // not one of ours: ignored
    SxToneGenValues& v = values;
    bool ok = true;
    switch (paramID) {
        case 4:
            ok = SxFxReadValue(value, size, v.sweepOn);
            break;
        case 5:
            ok = SxFxReadValue(value, size, v.sweepShape);
            break;
        case 9:
            ok = SxFxReadValue(value, size, v.waveform);
            break;
        case 10:
            ok = SxFxReadValue(value, size, v.envelopeMode);
            break;
        default: {
            float f;
            ok = SxFxReadValue(value, size, f);
            if (!ok) break;
            float* fields[17] = {&v.gainDb,
                                 &v.startFreq,
                                 &v.startFreqRandMin,
                                 &v.startFreqRandMax,
                                 nullptr,
                                 nullptr,
                                 &v.endFreq,
                                 &v.endFreqRandMin,
                                 &v.endFreqRandMax,
                                 nullptr,
                                 nullptr,
                                 &v.duration,
                                 &v.attack,
                                 &v.decay,
                                 &v.sustainTime,
                                 &v.sustainLevelDb,
                                 &v.release};
            *fields[paramID] = f;
        }
    }
    return ok ? SX_Success : SX_InvalidParameter;
}

SXRESULT CSxToneGenParams::SetParamsBlock(const void* block, uint32_t size) {
    // Bytes past the 65 of the layout are not ours and are left alone.
    SxParamsBlockReader r(block, size < kToneGenParamsSize ? size : kToneGenParamsSize, kToneGenParamsSize);
    if (!r.IsValid()) return r.Result();
    SxToneGenValues& v = values;
    v.gainDb = r.ReadF32();
    v.startFreq = r.ReadF32();
    v.endFreq = r.ReadF32();
    v.startFreqRandMin = r.ReadF32();
    v.startFreqRandMax = r.ReadF32();
    v.sweepOn = r.ReadU8();
    v.sweepShape = r.ReadU32();
    v.endFreqRandMin = r.ReadF32();
    v.endFreqRandMax = r.ReadF32();
    v.waveform = r.ReadU32();
    v.envelopeMode = r.ReadU32();
    v.duration = r.ReadF32();
    v.attack = r.ReadF32();
    v.decay = r.ReadF32();
    v.sustainTime = r.ReadF32();
    v.sustainLevelDb = r.ReadF32();
    v.release = r.ReadF32();
    return SX_Success;
}

SXRESULT CSxToneGenParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    values = SxToneGenValues();
    return SX_Success;
}

ISxPluginParam* CSxToneGenParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxToneGenParams* copy = SxFxNew<CSxToneGenParams>(allocator);
    if (copy) copy->values = values;
    return copy;
}

SXRESULT CSxToneGenParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

float CSxToneGen::LowPass::Process(float x) {
    const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

SXRESULT CSxToneGen::Term(ISxPluginMemAlloc* allocator) {
    SxFxFreeArray(allocator, m_pinkRows);
    return SxFxDelete(this, allocator);
}

SXRESULT CSxToneGen::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Source;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

SXRESULT CSxToneGen::Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                          SxAudioFormat& format) {
    m_context = context;
    m_params = static_cast<CSxToneGenParams*>(params);
    m_values = m_params->values;
    if (m_values.waveform > SxTone_PinkNoise || format.sampleRate == 0) return SX_InvalidParameter;
    m_rate = format.sampleRate;
    m_frequencyLimit = std::fmin(float(m_rate) * 0.5f, 20000.0f);
    m_loops = context ? context->GetNumLoops() : 1;
    m_finite = m_loops != 0;

    const uint32_t r = m_rate;
    const SxToneGenValues& v = m_values;
    for (uint32_t& length : m_lengths) length = 0;
    for (float& step : m_steps) step = 0.0f;
    if (v.envelopeMode == 1) {
        m_lengths[0] = Samples(r, v.attack);
        m_lengths[1] = Samples(r, v.decay);
        m_lengths[2] = Samples(r, v.sustainTime);
        m_lengths[3] = Samples(r, v.release);
        // Attack, decay and release take at least one sample each, and the loop holds them all.
        for (int k : {0, 1, 3})
            if (m_lengths[k] == 0) m_lengths[k] = 1;
        const float s = SxParamDbToLinear(v.sustainLevelDb);
        m_steps[0] = 1.0f / float(m_lengths[0]);
        m_steps[1] = -(1.0f - s) / float(m_lengths[1]);
        m_steps[3] = -s / float(m_lengths[3]);
        m_fadesIn = true;
    } else if (m_loops == 1) {
        const uint32_t fade = Samples(r, 0.005f) ? Samples(r, 0.005f) : 1;
        m_lengths[0] = m_lengths[3] = fade;
        m_lengths[2] = Samples(r, v.duration);
        m_steps[0] = 1.0f / float(fade);
        m_steps[3] = -1.0f / float(fade);
        m_fadesIn = true;
    } else {
        m_lengths[2] = Samples(r, v.duration);
        m_fadesIn = false;
    }
    uint64_t perLoop = 0;
    for (uint32_t length : m_lengths) perLoop += length;
    m_samplesPerLoop = perLoop > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(perLoop);
    const uint64_t total = uint64_t(m_loops) * m_samplesPerLoop;
    m_total = total > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(total);

    m_startOffset = m_endOffset = 0.0f;
    m_table = nullptr;
    if (v.waveform <= SxTone_Sawtooth) {
        m_startOffset = RandomOffset(v.startFreqRandMin, v.startFreqRandMax);
        if (v.sweepOn) m_endOffset = RandomOffset(v.endFreqRandMin, v.endFreqRandMax);
        const Wavetables& t = Tables();
        const float* tables[] = {t.sine, t.triangle, t.square, t.sawtooth};
        m_table = tables[v.waveform];
    } else if (v.waveform == SxTone_PinkNoise) {
        SxFxFreeArray(allocator, m_pinkRows);
        m_pinkRows = SxFxAllocArray<float>(allocator, kPinkRows);
        if (!m_pinkRows) return SX_InsufficientMemory;
        m_pinkCounter = 0;
        m_pinkMask = 0x3FFFFFFF;
        m_pinkSum = 0.0f;
        m_pinkScale = 4.0f / 31.0f;
    }

    // Butterworth low-pass at 0.375 x rate for the oscillator run at four times the rate.
    const double c = 1.0 / std::tan(3.141592653589793 * 0.375 / 4.0);
    const double k = 1.0 / (c * c + 1.4142135 * c + 1.0);
    for (LowPass& f : m_filters) {
        f = LowPass();
        f.b0 = float(k);
        f.b1 = float(2.0 * k);
        f.b2 = float(k);
        f.a1 = float(2.0 * (1.0 - c * c) * k);
        f.a2 = float((1.0 - 1.4142135 * c + c * c) * k);
    }
    return Reset();
}

SXRESULT CSxToneGen::Reset() {
    m_produced = m_position = 0;
    m_phaseIndex = 0;
    m_phaseFraction = 0.0f;
    m_segment = 0;
    m_intoSegment = 0;
    m_envelopeGain = m_fadesIn ? 0.0f : 1.0f;
    m_glideStep = m_rate ? 1.0f / (float(m_rate) * 0.1f) : 1.0f;
    m_targetGain = m_currentGain = m_params ? SxParamDbToLinear(m_params->values.gainDb) : 1.0f;
    m_glideTaken = m_glideToTake = 0;
    for (LowPass& f : m_filters) f.x1 = f.x2 = f.y1 = f.y2 = 0.0f;
    return SX_Success;
}

float CSxToneGen::GetDuration() const { return m_finite && m_rate ? float(double(m_total) * 1000.0 / m_rate) : 0.0f; }

SXRESULT CSxToneGen::StopLooping() {
    m_loops = 1;
    m_produced = m_samplesPerLoop ? m_produced % m_samplesPerLoop : 0;
    m_total = m_samplesPerLoop;
    m_finite = true;
    return SX_Success;
}

float CSxToneGen::Frequency(float f) const {
    if (!(f >= 0.001f)) return 0.001f;
    return f >= m_frequencyLimit ? m_frequencyLimit - 1.0f : f;
}

float CSxToneGen::NextTableValue(float increment, const float* table) {
    const uint32_t whole = uint32_t(std::nearbyint(increment - 0.5f));
    const float fraction = increment - float(whole);
    const float a = table[m_phaseIndex & (kTableSize - 1)];
    const float b = table[(m_phaseIndex + 1) & (kTableSize - 1)];
    const float w = a + (b - a) * m_phaseFraction;
    m_phaseFraction += fraction;
    m_phaseIndex += whole;
    if (m_phaseFraction > 1.0f) {
        m_phaseFraction -= 1.0f;
        m_phaseIndex += 1;
    }
    m_phaseIndex &= kTableSize - 1;
    return w;
}

float CSxToneGen::NextOversampledValue(float increment, const float* table) {
    float y = 0.0f;
    for (int k = 0; k < 4; ++k) {
        y = NextTableValue(increment, table);
        for (LowPass& f : m_filters) y = f.Process(y);
    }
    return y;
}

float CSxToneGen::NextPink() {
    m_pinkCounter = (m_pinkCounter + 1) & m_pinkMask;
    if (m_pinkCounter != 0) {
        const int k = __builtin_ctz(m_pinkCounter);
        m_pinkSum -= m_pinkRows[k];
        const float r = WhiteDraw();
        m_pinkRows[k] = r;
        m_pinkSum += r;
    }
    return (WhiteDraw() + m_pinkSum) * m_pinkScale;
}

void CSxToneGen::Execute(SxAudioBuffer* buffer) {
    uint32_t n = buffer->maxFrames;
    if (m_finite) n = m_produced < m_total ? std::min(n, m_total - m_produced) : 0;
    buffer->validFrames = uint16_t(n);
    if (n > 0) {
        const SxToneGenValues& v = m_values;
        m_targetGain = SxParamDbToLinear(m_params->values.gainDb);
        const float d = m_targetGain - m_currentGain;
        m_glideToTake = uint32_t(std::fabs(d) / m_glideStep);
        m_glideSignedStep = d > 0.0f ? m_glideStep : -m_glideStep;
        m_glideTaken = 0;

        const float f0 = Frequency(m_startOffset + v.startFreq);
        const float f1 = Frequency(m_endOffset + v.endFreq);
        const bool oversampled = v.waveform >= SxTone_Triangle && v.waveform <= SxTone_Sawtooth;
        const float tableRate = oversampled ? 4.0f * float(m_rate) : float(m_rate);
        const float perHz = float(kTableSize) / tableRate;
        const double perLoop = m_samplesPerLoop ? double(m_samplesPerLoop) : 1.0;
        float increment = f0 * perHz;
        float* out = buffer->Channel(0);
        for (uint32_t i = 0; i < n; ++i) {
            float w;
            if (v.waveform == SxTone_WhiteNoise) {
                w = WhiteDraw();
            } else if (v.waveform == SxTone_PinkNoise) {
                w = NextPink();
            } else {
                if (v.sweepOn) {
                    const double p = m_position;
                    double f;
                    if (v.sweepShape != 1)
                        f = f0 + p * (f1 - f0) / perLoop;
                    else if (f0 < f1)
                        f = f0 + p * p * (f1 - f0) / (perLoop * perLoop);
                    else
                        f = f0 + std::sqrt(p) * (f1 - f0) / std::sqrt(perLoop);
                    increment = float(f) * perHz;
                }
                w = oversampled ? NextOversampledValue(increment, m_table) : NextTableValue(increment, m_table);
            }
            // Empty segments are passed over, so that the loop holds every sample of the release.
            while (m_segment < 3 && m_intoSegment >= m_lengths[m_segment]) {
                m_intoSegment = 0;
                ++m_segment;
            }
            m_envelopeGain += m_steps[m_segment];
            if (m_envelopeGain < 0.0f) m_envelopeGain = 0.0f;
            ++m_intoSegment;
            if (m_glideTaken < m_glideToTake) {
                m_currentGain += m_glideSignedStep;
                ++m_glideTaken;
            } else {
                m_currentGain = m_targetGain;
            }
            float sample = m_currentGain * m_envelopeGain * w;
            if (v.waveform == SxTone_PinkNoise) sample = std::fmax(-1.0f, std::fmin(1.0f, sample));
            out[i] = sample;
            if (++m_position >= m_samplesPerLoop) {
                m_position = 0;
                m_segment = 0;
                m_intoSegment = 0;
                m_envelopeGain = m_fadesIn ? 0.0f : 1.0f;
            }
        }
        m_produced += n;
    }
    buffer->state = m_finite && m_produced >= m_total ? SX_NoMoreData : SX_DataReady;
}

ISxPlugin* CreateToneGen(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxToneGen>(allocator); }
ISxPluginParam* CreateToneGenParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxToneGenParams>(allocator); }

}  // namespace SX
