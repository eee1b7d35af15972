#include "sound/engine/lower/CSxSrcLpFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

SXRESULT CSxSrcLpFilter::Init(uint32_t channelMask, bool motion) {
    Term();
    m_channelMask = channelMask;
    m_rampCounter = kRampSteps;
    m_rampFrame = 0;
    m_flags = kChanged | kFirstValue | kBypassed | (motion ? kMotion : 0);
    const uint32_t bytes = SxChannelCount(channelMask) * 16;
    m_memory = static_cast<float*>(MemoryMgr::Malloc(g_LEngineDefaultPoolId, bytes ? bytes : 16));
    if (!m_memory) return SX_InsufficientMemory;
    std::memset(m_memory, 0, bytes ? bytes : 16);
    m_coefficients[0] = 1.0f;
    m_coefficients[1] = m_coefficients[2] = m_coefficients[3] = 0.0f;
    return SX_Success;
}

void CSxSrcLpFilter::Term() {
    MemoryMgr::Free(g_LEngineDefaultPoolId, m_memory);
    m_memory = nullptr;
}

void CSxSrcLpFilter::SetValue(float value) {
    const float held = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 100.0f);
    if (held != m_target) m_flags |= kChanged;
    m_target = held;
}

void CSxSrcLpFilter::ResetHistory() {
    if (m_memory) std::memset(m_memory, 0, SxChannelCount(m_channelMask) * 16);
}

float CSxSrcLpFilter::ValueToCutoff(float value, bool motion) {
    if (motion) return 187.5f - 1.865f * value;
    if (value < 30.0f) return (30.0f - value) * 433.33334f + 7000.0f;
    return 16.797443f * std::pow(1.09f, 100.0f - value);
}

void CSxSrcLpFilter::ComputeCoefficients(float value) {
    const float cutoff = ValueToCutoff(value, m_flags & kMotion);
    // Motion runs at 375 frames per second.
    const float rate = (m_flags & kMotion) ? 375.0f : static_cast<float>(CSxLEngine::OutputSampleRate());
    const float w = std::min(cutoff / rate, 0.45f) * 3.14159265f;
    const float c = 1.0f / std::tan(w);
    const float root2 = 1.41421356f;
    const float a = 1.0f / (c * c + root2 * c + 1.0f);
    m_coefficients[0] = a;
    m_coefficients[1] = 2.0f * a;
    m_coefficients[2] = -2.0f * a * (1.0f - c * c);
    m_coefficients[3] = -a * (1.0f - root2 * c + c * c);
}

void CSxSrcLpFilter::Filter(SxAudioBuffer& buffer, uint32_t first, uint32_t count) {
    const float b0 = m_coefficients[0], b1 = m_coefficients[1], f1 = m_coefficients[2], f2 = m_coefficients[3];
    const uint32_t channels = std::min(buffer.Channels(), SxChannelCount(m_channelMask));
    for (uint32_t ch = 0; ch < channels; ++ch) {
        float* state = m_memory + 4 * ch;
        float x1 = state[0], x2 = state[1], y1 = state[2], y2 = state[3];
        float* samples = buffer.Channel(ch) + first;
        for (uint32_t k = 0; k < count; ++k) {
            const float x = samples[k];
            const float y = (x + x2) * b0 + x1 * b1 + y1 * f1 + y2 * f2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            samples[k] = y;
        }
        state[0] = x1;
        state[1] = x2;
        state[2] = y1;
        state[3] = y2;
    }
}

bool CSxSrcLpFilter::PassesThrough() const {
    if (!m_memory) return true;
    if (!(m_flags & kChanged)) return (m_flags & kBypassed) != 0;
    return m_target <= kBypassValue && ((m_flags & kFirstValue) || m_previous <= kBypassValue);
}

void CSxSrcLpFilter::Execute(SxAudioBuffer& buffer) {
    if (!m_memory) return;
    if (m_flags & kChanged) {
        m_flags &= ~kChanged;
        if (m_flags & kFirstValue) {
            m_flags &= ~kFirstValue;
            m_previous = m_target;
            m_rampCounter = kRampSteps;
            if (m_target <= kBypassValue) {
                m_flags |= kBypassed;
            } else {
                m_flags &= ~kBypassed;
                ComputeCoefficients(m_target);
            }
        } else if (m_previous <= kBypassValue && m_target <= kBypassValue) {
            m_flags |= kBypassed;
            m_rampCounter = kRampSteps;
        } else {
            // A change during a ramp starts a new ramp from where the old one stands.
            if (IsRamping()) m_previous += (m_target - m_previous) * m_rampCounter * 0.125f;
            if (m_flags & kBypassed) ResetHistory();
            m_flags &= ~kBypassed;
            m_rampCounter = 0;
            m_rampFrame = 0;
        }
    }
    if (m_flags & kBypassed) return;
    const uint32_t stepFrames = std::max<uint32_t>(1, CSxLEngine::OutputSampleRate() * 128 / 48000);
    uint32_t done = 0;
    while (done < buffer.validFrames && IsRamping()) {
        if (m_rampFrame == 0) ComputeCoefficients(m_previous + (m_rampCounter + 1) * (m_target - m_previous) * 0.125f);
        const uint32_t frames = std::min<uint32_t>(stepFrames - m_rampFrame, buffer.validFrames - done);
        Filter(buffer, done, frames);
        done += frames;
        m_rampFrame = static_cast<uint16_t>(m_rampFrame + frames);
        if (m_rampFrame < stepFrames) break;
        m_rampFrame = 0;
        if (++m_rampCounter == kRampSteps) {
            m_previous = m_target;
            if (m_target <= kBypassValue) {
                m_flags |= kBypassed;
                return;
            }
        }
    }
    if (done < buffer.validFrames) Filter(buffer, done, buffer.validFrames - done);
}

}  // namespace SX
