#include "sound/plugins/synth/SxDeflectorBank.h"

#include <cmath>
#include <cstring>

#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

void SxPinkExcitation::Reset(uint32_t seed, uint32_t sampleRate) {
    white.state = seed;
    std::memset(rows, 0, sizeof rows);
    sum = 0.0f;
    counter = 0;
    dc.Reset();
    dc.R = 1.0f - 251.32742f / float(sampleRate);  // 40 Hz
}

void SxPinkExcitation::Generate(float* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        ++counter;
        const int row = counter == 0 ? 0 : __builtin_ctz(counter);
        sum -= rows[row];
        rows[row] = white.Signed();
        sum += rows[row];
        out[i] = (white.Signed() + sum) * 0.14705883f;
    }
    dc.ProcessBuffer(out, count);
}

float SxResonanceGain(float frequency, float q, uint32_t sampleRate, float colour) {
    const float bandwidth = frequency / q;
    const float l = std::log2(bandwidth);
    const float r = std::fmin(std::exp(-3.1415927f * bandwidth / float(sampleRate)), 0.9992f);
    return 0.5f * (1.0f - r * r) * (std::exp(3.9543f - 0.1648f * l - 0.023f * l * l) + 0.7f) * colour;
}

SXRESULT SxResonatorBank::Init(ISxPluginMemAlloc* allocator, uint32_t lanes, uint32_t channels) {
    Term(allocator);
    m_channels = channels < kMaxChannels ? channels : kMaxChannels;
    if (lanes == 0) return SX_Success;
    m_lanes = SxFxAllocArray<Lane>(allocator, lanes);
    if (!m_lanes) return SX_InsufficientMemory;
    m_count = lanes;
    return SX_Success;
}

void SxResonatorBank::Term(ISxPluginMemAlloc* allocator) {
    SxFxFreeArray(allocator, m_lanes);
    m_count = 0;
}

void SxResonatorBank::Reset() {
    for (uint32_t k = 0; k < m_count; ++k) m_lanes[k].y1 = m_lanes[k].y2 = 0.0f;
}

void SxResonatorBank::SetResonator(uint32_t lane, float centre, float q, uint32_t sampleRate) {
    const float rate = float(sampleRate);
    float fc = std::fmin(centre, rate * 0.5f);
    if (!(fc >= 20.0f)) fc = 20.0f;
    const float r = std::fmin(std::exp(-0.5f * 6.2831855f * (fc / q) / rate), 0.9992f);
    m_lanes[lane].a1 = 2.0f * r * std::cos(6.2831855f * fc / rate);
    m_lanes[lane].a2 = -r * r;
}

void SxResonatorBank::SetGain(uint32_t lane, float gain, uint32_t frames, bool immediate) {
    Lane& l = m_lanes[lane];
    l.target = gain;
    if (immediate || frames == 0) {
        l.gain = gain;
        l.step = 0.0f;
    } else {
        l.step = (gain - l.gain) / float(frames);
    }
}

void SxResonatorBank::SetPan(uint32_t lane, const float* gains, uint32_t frames, bool immediate) {
    Lane& l = m_lanes[lane];
    for (uint32_t c = 0; c < m_channels; ++c) {
        l.panTarget[c] = gains[c];
        if (immediate || frames == 0) {
            l.pan[c] = gains[c];
            l.panStep[c] = 0.0f;
        } else {
            l.panStep[c] = (gains[c] - l.pan[c]) / float(frames);
        }
    }
}

void SxResonatorBank::Run(const float* x, float* out, uint32_t stride, uint32_t offset, uint32_t count) {
    for (uint32_t k = 0; k < m_count; ++k) {
        Lane& l = m_lanes[k];
        for (uint32_t i = 0; i < count; ++i) {
            l.gain += l.step;
            const float y = x[i] + l.a1 * l.y1 + l.a2 * l.y2;
            const float z = (y - l.y2) * l.gain;
            l.y2 = l.y1;
            l.y1 = y;
            if (m_channels == 1) {
                out[offset + i] += z;
                continue;
            }
            for (uint32_t c = 0; c < m_channels; ++c) {
                l.pan[c] += l.panStep[c];
                out[c * stride + offset + i] += z * l.pan[c];
            }
        }
    }
}

void SxResonatorBank::Settle() {
    for (uint32_t k = 0; k < m_count; ++k) {
        Lane& l = m_lanes[k];
        l.gain = l.target;
        l.step = 0.0f;
        for (uint32_t c = 0; c < m_channels; ++c) {
            l.pan[c] = l.panTarget[c];
            l.panStep[c] = 0.0f;
        }
    }
}

}  // namespace SX
