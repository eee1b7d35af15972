#include "sound/engine/plugin/SxPluginDsp.h"

#include <cmath>
#include <cstring>

#include "sound/engine/plugin/SxFXMemAlloc.h"

namespace SX {

SxFXMemAlloc g_LEngineFxAllocator;

void ApplyGain(float* samples, uint32_t count, float gain) {
    if (gain == 1.0f) return;
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        samples[i] *= gain;
        samples[i + 1] *= gain;
        samples[i + 2] *= gain;
        samples[i + 3] *= gain;
    }
    for (; i < count; ++i) samples[i] *= gain;
}

void ApplyGainRamp(float* samples, uint32_t count, float g0, float g1) {
    if (count == 0) return;
    const float step = (g1 - g0) / static_cast<float>(count);
    float gain = g0;
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        samples[i] *= gain;
        samples[i + 1] *= gain + step;
        samples[i + 2] *= gain + 2 * step;
        samples[i + 3] *= gain + 3 * step;
        gain += 4 * step;
    }
    for (; i < count; ++i, gain += step) samples[i] *= gain;
}

void ApplyOutputGain(SxAudioBuffer& buffer, float previousGain, float newGain, bool processLfe) {
    uint32_t channels = buffer.Channels();
    if ((buffer.channelMask & SxChannelBitLFE) && !processLfe) --channels;
    for (uint32_t c = 0; c < channels; ++c) {
        if (previousGain != newGain)
            ApplyGainRamp(buffer.Channel(c), buffer.validFrames, previousGain, newGain);
        else
            ApplyGain(buffer.Channel(c), buffer.validFrames, newGain);
    }
}

float SxSanitizeParam(float value, float low, float high, float fallback) {
    if (std::isnan(value)) return fallback;
    return value < low ? low : (value > high ? high : value);
}

float SxParamDbToLinear(float db) {
    const float held = SxSanitizeParam(db, -200.0f, 96.0f, 0.0f);
    return static_cast<float>(std::pow(10.0, static_cast<double>(held) * static_cast<double>(0.05f)));
}

// Checked on the bits: a sample is an infinity or not a number when its exponent is all ones.
// Gathering that over a whole channel, without stopping at the first, lets the loop run on
// vectors; a bad sample is rare and the frame is short.
bool SxBufferIsFinite(const SxAudioBuffer& buffer) {
    constexpr uint32_t kExponent = 0x7F800000u;
    const uint32_t channels = buffer.Channels();
    for (uint32_t c = 0; c < channels; ++c) {
        const float* samples = buffer.Channel(c);
        uint32_t bad = 0;
        for (uint32_t k = 0; k < buffer.validFrames; ++k) {
            uint32_t bits;
            std::memcpy(&bits, samples + k, sizeof bits);
            bad |= static_cast<uint32_t>((bits & kExponent) == kExponent);
        }
        if (bad) return false;
    }
    return true;
}

void SxFXTailHandler::HandleTail(SxAudioBuffer& buffer, uint32_t tailFrames) {
    if (buffer.state != SX_NoMoreData) {
        m_remaining = kNoTail;
        return;
    }
    if (m_remaining == 0) return;
    if (m_remaining == kNoTail) {
        m_remaining = tailFrames;
        m_lastTail = tailFrames;
    } else if (tailFrames > m_lastTail) {
        m_remaining += tailFrames - m_lastTail;
        m_lastTail = tailFrames;
    }
    const uint32_t room = static_cast<uint32_t>(buffer.maxFrames - buffer.validFrames);
    m_remaining -= m_remaining < room ? m_remaining : room;
    buffer.ZeroFillToMaxFrames();
    if (m_remaining != 0) buffer.state = SX_DataReady;
}

}  // namespace SX
