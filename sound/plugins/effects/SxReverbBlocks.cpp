#include "sound/plugins/effects/SxReverbBlocks.h"

#include <cmath>
#include <cstring>

#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

SxBiquadCoefs SxDesignBiquad(uint32_t curve, uint32_t sampleRate, float frequency, float gainDb, float q) {
    const float rate = static_cast<float>(sampleRate ? sampleRate : 48000);
    const float f = SxSanitizeParam(frequency, 1.0f, 0.45f * rate, 1000.0f);
    const float gain = SxSanitizeParam(gainDb, -96.0f, 96.0f, 0.0f);
    const float quality = SxSanitizeParam(q, 0.01f, 100.0f, 0.707f);
    const float A = std::pow(10.0f, gain * 0.025f);
    const float w0 = 6.2831855f * f / rate;
    const float cosw = std::cos(w0);
    const float sinw = std::sin(w0);
    const float alpha = sinw / (2.0f * quality);
    const float sqrt2 = std::sqrt(2.0f);
    float b0, b1, b2, a0, a1, a2;
    switch (curve) {
        case SxBiquad_LowShelf: {
            const float s = 2.0f * std::sqrt(A) * sinw * sqrt2 / 2.0f;
            b0 = A * ((A + 1) - (A - 1) * cosw + s);
            b1 = 2 * A * ((A - 1) - (A + 1) * cosw);
            b2 = A * ((A + 1) - (A - 1) * cosw - s);
            a0 = (A + 1) + (A - 1) * cosw + s;
            a1 = -2 * ((A - 1) + (A + 1) * cosw);
            a2 = (A + 1) + (A - 1) * cosw - s;
            break;
        }
        case SxBiquad_Peaking:
            b0 = 1 + alpha * A;
            b1 = -2 * cosw;
            b2 = 1 - alpha * A;
            a0 = 1 + alpha / A;
            a1 = -2 * cosw;
            a2 = 1 - alpha / A;
            break;
        case SxBiquad_HighShelf: {
            const float s = 2.0f * std::sqrt(A) * sinw * sqrt2 / 2.0f;
            b0 = A * ((A + 1) + (A - 1) * cosw + s);
            b1 = -2 * A * ((A - 1) + (A + 1) * cosw);
            b2 = A * ((A + 1) + (A - 1) * cosw - s);
            a0 = (A + 1) - (A - 1) * cosw + s;
            a1 = 2 * ((A - 1) - (A + 1) * cosw);
            a2 = (A + 1) - (A - 1) * cosw - s;
            break;
        }
        case SxBiquad_HighPass: {
            const float c = std::tan(3.1415927f * f / rate);
            b0 = 1 / (1 + sqrt2 * c + c * c);
            b1 = -2 * b0;
            b2 = b0;
            a0 = 1;
            a1 = 2 * (c * c - 1) * b0;
            a2 = (1 - sqrt2 * c + c * c) * b0;
            break;
        }
        case SxBiquad_BandPass:
            b0 = sinw / (2 * quality);
            b1 = 0;
            b2 = -b0;
            a0 = 1 + b0;
            a1 = -2 * cosw;
            a2 = 1 - b0;
            break;
        case SxBiquad_Notch:
            b0 = 1;
            b1 = -2 * cosw;
            b2 = 1;
            a0 = 1 + alpha;
            a1 = -2 * cosw;
            a2 = 1 - alpha;
            break;
        default: {
            const float c = 1 / std::tan(3.1415927f * f / rate);
            b0 = 1 / (c * c + 1 + sqrt2 * c);
            b1 = 2 * b0;
            b2 = b0;
            a0 = 1;
            a1 = 2 * (1 - c * c) * b0;
            a2 = (c * c + 1 - sqrt2 * c) * b0;
            break;
        }
    }
    const float inv = 1.0f / a0;
    SxBiquadCoefs coefs;
    coefs.b0 = b0 * inv;
    coefs.b1 = b1 * inv;
    coefs.b2 = b2 * inv;
    coefs.a1 = -a1 * inv;
    coefs.a2 = -a2 * inv;
    return coefs;
}

void SxBiquadProcess(const SxBiquadCoefs& k, float state[4], float* x, uint32_t count) {
    float x1 = state[0], x2 = state[1], y1 = state[2], y2 = state[3];
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const float in0 = x[i], in1 = x[i + 1], in2 = x[i + 2], in3 = x[i + 3];
        const float out0 = k.b0 * in0 + k.b1 * x1 + k.b2 * x2 + k.a1 * y1 + k.a2 * y2;
        const float out1 = k.b0 * in1 + k.b1 * in0 + k.b2 * x1 + k.a1 * out0 + k.a2 * y1;
        const float out2 = k.b0 * in2 + k.b1 * in1 + k.b2 * in0 + k.a1 * out1 + k.a2 * out0;
        const float out3 = k.b0 * in3 + k.b1 * in2 + k.b2 * in1 + k.a1 * out2 + k.a2 * out1;
        x[i] = out0;
        x[i + 1] = out1;
        x[i + 2] = out2;
        x[i + 3] = out3;
        x2 = in2;
        x1 = in3;
        y2 = out2;
        y1 = out3;
    }
    for (; i < count; ++i) {
        const float in = x[i];
        const float out = k.b0 * in + k.b1 * x1 + k.b2 * x2 + k.a1 * y1 + k.a2 * y2;
        x[i] = out;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = out;
    }
    if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y1) || !std::isfinite(y2)) x1 = x2 = y1 = y2 = 0.0f;
    state[0] = x1;
    state[1] = x2;
    state[2] = y1;
    state[3] = y2;
}

void BiquadFilter::ComputeCoefs(uint32_t curve, uint32_t sampleRate, float frequency, float gainDb, float q) {
    const SxBiquadCoefs c = SxDesignBiquad(curve, sampleRate, frequency, gainDb, q);
    b0 = c.b0;
    b1 = c.b1;
    b2 = c.b2;
    a1 = c.a1;
    a2 = c.a2;
}

void BiquadFilter::ProcessBuffer(float* samples, uint32_t count) {
    const SxBiquadCoefs c{b0, b1, b2, a1, a2};
    float state[4] = {x1, x2, y1, y2};
    SxBiquadProcess(c, state, samples, count);
    x1 = state[0];
    x2 = state[1];
    y1 = state[2];
    y2 = state[3];
}

void DCFilter::ProcessBuffer(float* x, uint32_t count) {
    float px = x1, py = y1;
    for (uint32_t i = 0; i < count; ++i) {
        const float in = x[i];
        py = R * py + (in - px);
        px = in;
        x[i] = py;
    }
    if (!std::isfinite(px) || !std::isfinite(py)) px = py = 0.0f;
    x1 = px;
    y1 = py;
}

SXRESULT DelayLine::Init(ISxPluginMemAlloc* allocator, uint32_t samples) {
    length = samples < 4 ? 4 : samples;
    buffer = SxFxAllocArray<float>(allocator, length);
    position = 0;
    if (!buffer) {
        length = 0;
        return SX_InsufficientMemory;
    }
    return SX_Success;
}

void DelayLine::Term(ISxPluginMemAlloc* allocator) {
    SxFxFreeArray(allocator, buffer);
    length = 0;
    position = 0;
}

void DelayLine::Reset() {
    if (buffer) std::memset(buffer, 0, length * sizeof(float));
}

void DelayLine::ProcessBuffer(float* samples, uint32_t count) { ProcessBuffer(samples, samples, count); }

void DelayLine::ProcessBuffer(const float* input, float* output, uint32_t count) {
    if (!buffer || length == 0) {
        if (input != output) std::memcpy(output, input, count * sizeof(float));
        return;
    }
    uint32_t p = position;
    for (uint32_t i = 0; i < count; ++i) {
        const float in = input[i];
        output[i] = buffer[p];
        buffer[p] = in;
        if (++p == length) p = 0;
    }
    position = p;
}

}  // namespace SX
