#include "sound/engine/voice/VoiceResampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/lower/SxMixKernels.h"

namespace SX {

namespace {

constexpr float kScale16 = 1.0f / 32768.0f;
constexpr double kInterp16 = 1.0 / 2147483648.0;  // 2^-31: a 16.16 product of 16-bit samples to full scale 1.0

// Sample access per source kind. 16-bit interpolation works in 64 bits: the difference of two
// samples times a 16-bit fraction plus the sample shifted by 16 overflows 32 bits.
// Samples are read through memcpy: media chunks are only 2-byte aligned, so float frames in
// memory need not be 4-byte aligned.
template <typename S>
S Load(const S* p) {
    S value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

struct Pcm16 {
    using Sample = int16_t;
    static float Convert(int16_t s) { return s * kScale16; }
    static float Lerp(int16_t a, int16_t b, uint32_t fraction) {
        const int64_t v =
            (static_cast<int64_t>(b) - a) * static_cast<int64_t>(fraction) + static_cast<int64_t>(a) * 65536;
        return static_cast<float>(v * kInterp16);
    }
    static int16_t* Previous(VoiceResampler& r) { return r.m_previous16; }
};

struct Float32 {
    using Sample = float;
    static float Convert(float s) { return s; }
    static float Lerp(float a, float b, uint32_t fraction) { return a + (b - a) * (fraction * (1.0f / 65536.0f)); }
    static float* Previous(VoiceResampler& r) { return r.m_previousF; }
};

// Channels fixed at compile time for mono and stereo (0: the resampler's own count).
template <int Fixed>
uint32_t ChannelsOf(const VoiceResampler& r) {
    return Fixed ? static_cast<uint32_t>(Fixed) : r.m_channels;
}

// No resampling: the input frames go straight to the output.
template <typename K, int Fixed>
SXRESULT Copy(VoiceResampler& r, const void* input, uint32_t inputFrames, float* output, uint32_t stride) {
    using S = typename K::Sample;
    const uint32_t channels = ChannelsOf<Fixed>(r);
    const S* in = static_cast<const S*>(input) + static_cast<size_t>(r.m_inputOffset) * channels;
    const uint32_t count = std::min(inputFrames - r.m_inputOffset, r.m_maxOutput - r.m_outputOffset);
    for (uint32_t c = 0; c < channels; ++c) {
        float* out = output + static_cast<size_t>(r.m_planar[c]) * stride + r.m_outputOffset;
        // Mono 16-bit frames are one run of samples: the mixer's widest conversion takes them.
        if constexpr (std::is_same_v<K, Pcm16> && Fixed == 1)
            SxMixKernels::Pcm16ToFloat(in, out, count);
        else
            for (uint32_t i = 0; i < count; ++i) out[i] = K::Convert(Load(in + i * channels + c));
        if (count) K::Previous(r)[c] = Load(in + (count - 1) * channels + c);
    }
    r.m_inputOffset += count;
    r.m_outputOffset += count;
    return r.m_outputOffset >= r.m_maxOutput ? SX_DataReady : SX_DataNeeded;
}

// Interpolates one output frame at the phase: index 0 is the previous frame, index k input k-1.
template <typename K, int Fixed>
void Emit(VoiceResampler& r, const typename K::Sample* in, float* output, uint32_t stride) {
    const uint32_t channels = ChannelsOf<Fixed>(r);
    const uint32_t index = r.m_phase >> 16;
    const uint32_t fraction = r.m_phase & 0xFFFF;
    for (uint32_t c = 0; c < channels; ++c) {
        const auto a = index == 0 ? K::Previous(r)[c] : Load(in + (index - 1) * channels + c);
        const auto b = Load(in + index * channels + c);
        output[static_cast<size_t>(r.m_planar[c]) * stride + r.m_outputOffset] = K::Lerp(a, b, fraction);
    }
    ++r.m_outputOffset;
}

// Keeps the last consumed input frame and moves the phase and input offset past what was used.
template <typename K, int Fixed>
SXRESULT Finish(VoiceResampler& r, const typename K::Sample* in, uint32_t available) {
    const uint32_t channels = ChannelsOf<Fixed>(r);
    const uint32_t consumed = std::min(r.m_phase >> 16, available);
    if (consumed)
        for (uint32_t c = 0; c < channels; ++c) K::Previous(r)[c] = Load(in + (consumed - 1) * channels + c);
    r.m_phase -= consumed << 16;
    r.m_inputOffset += consumed;
    return r.m_outputOffset >= r.m_maxOutput ? SX_DataReady : SX_DataNeeded;
}

template <typename K, int Fixed>
SXRESULT Interpolate(VoiceResampler& r, const void* input, uint32_t inputFrames, float* output, uint32_t stride) {
    using S = typename K::Sample;
    const S* in = static_cast<const S*>(input) + static_cast<size_t>(r.m_inputOffset) * ChannelsOf<Fixed>(r);
    const uint32_t available = inputFrames - r.m_inputOffset;
    while (r.m_outputOffset < r.m_maxOutput && (r.m_phase >> 16) < available) {
        Emit<K, Fixed>(r, in, output, stride);
        r.m_phase += r.m_current;
    }
    return Finish<K, Fixed>(r, in, available);
}

// The increment moves linearly from current to target over 1024 output frames (at 48 kHz).
template <typename K, int Fixed>
SXRESULT Ramp(VoiceResampler& r, const void* input, uint32_t inputFrames, float* output, uint32_t stride) {
    using S = typename K::Sample;
    const S* in = static_cast<const S*>(input) + static_cast<size_t>(r.m_inputOffset) * ChannelsOf<Fixed>(r);
    const uint32_t available = inputFrames - r.m_inputOffset;
    const int64_t delta = static_cast<int64_t>(r.m_target) - r.m_current;
    int64_t accumulator = delta * r.m_rampCounter + static_cast<int64_t>(r.m_current) * 1024;
    while (r.m_rampCounter < VoiceResampler::kRampLength && r.m_outputOffset < r.m_maxOutput &&
           (r.m_phase >> 16) < available) {
        Emit<K, Fixed>(r, in, output, stride);
        accumulator += delta * r.m_rampStep;
        r.m_phase += static_cast<uint32_t>(accumulator >> 10);
        r.m_rampCounter += r.m_rampStep;
    }
    if (r.m_rampCounter >= VoiceResampler::kRampLength) {
        r.m_rampCounter = VoiceResampler::kRampLength;
        r.m_current = r.m_target;
        r.m_mode = VoiceResampler::Mode_Fixed;
    }
    return Finish<K, Fixed>(r, in, available);
}

// Indexed by pitch mode x 8 + format index.
const SxResampleKernel kKernels[24] = {
    Copy<Pcm16, 1>,          Copy<Pcm16, 2>,          Copy<Pcm16, 0>,          Copy<Pcm16, 0>,
    Copy<Float32, 1>,        Copy<Float32, 2>,        Copy<Float32, 0>,        Copy<Float32, 0>,
    Interpolate<Pcm16, 1>,   Interpolate<Pcm16, 2>,   Interpolate<Pcm16, 0>,   Interpolate<Pcm16, 0>,
    Interpolate<Float32, 1>, Interpolate<Float32, 2>, Interpolate<Float32, 0>, Interpolate<Float32, 0>,
    Ramp<Pcm16, 1>,          Ramp<Pcm16, 2>,          Ramp<Pcm16, 0>,          Ramp<Pcm16, 0>,
    Ramp<Float32, 1>,        Ramp<Float32, 2>,        Ramp<Float32, 0>,        Ramp<Float32, 0>,
};

}  // namespace

uint8_t VoiceResampler::FormatIndex(uint32_t bitsPerSample, uint32_t channels) {
    uint8_t layout;
    if (channels == 1)
        layout = 0;
    else if (channels == 2)
        layout = 1;
    else if (channels == 3 || channels == 4)
        layout = 2;
    else if (channels == 5 || channels == 6)
        layout = 3;
    else
        return kNoKernel;
    if (bitsPerSample == 16) return layout;
    if (bitsPerSample == 32) return static_cast<uint8_t>(layout + 4);
    return kNoKernel;
}

bool VoiceResampler::SetFormat(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate) {
    const uint32_t channels = SxChannelCount(channelMask);
    const uint8_t format = FormatIndex(bitsPerSample, channels);
    if (format == kNoKernel || sourceRate == 0) return false;
    m_format = format;
    m_channels = static_cast<uint8_t>(channels);
    m_ratio = static_cast<float>(sourceRate) / m_outputRate;
    // The LFE input channel goes last; those after it move down by one.
    const bool lfe = (channelMask & SxChannelBitLFE) != 0;
    const uint32_t lfeInput = SxChannelCount(channelMask & (SxChannelBitLFE - 1));
    for (uint32_t c = 0; c < channels; ++c) {
        if (lfe && c == lfeInput)
            m_planar[c] = static_cast<uint8_t>(channels - 1);
        else
            m_planar[c] = static_cast<uint8_t>(lfe && c > lfeInput ? c - 1 : c);
    }
    return true;
}

bool VoiceResampler::Init(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate, uint32_t outputRate) {
    m_outputRate = outputRate ? outputRate : 48000;
    m_rampStep = std::max<uint32_t>(1, 48000 / m_outputRate);
    m_lastPitch = 0.0f;
    m_recompute = true;
    m_mode = Mode_None;
    m_current = m_target = kUnity;
    m_rampCounter = kRampLength;
    Reset();
    if (SetFormat(bitsPerSample, channelMask, sourceRate)) return true;
    m_format = kNoKernel;
    return false;
}

void VoiceResampler::Reset() {
    m_inputOffset = 0;
    m_outputOffset = 0;
    m_phase = kUnity;
    std::fill(std::begin(m_previous16), std::end(m_previous16), int16_t(0));
    std::fill(std::begin(m_previousF), std::end(m_previousF), 0.0f);
}

bool VoiceResampler::ChangeFormat(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate) {
    const bool wasFloat = m_format != kNoKernel && m_format >= 4;
    const uint8_t before = m_format;
    if (!SetFormat(bitsPerSample, channelMask, sourceRate)) return false;
    const bool isFloat = m_format >= 4;
    if (before != kNoKernel && wasFloat != isFloat)
        for (uint32_t c = 0; c < 6; ++c) {
            if (isFloat)
                m_previousF[c] = m_previous16[c] * kScale16;
            else
                m_previous16[c] =
                    static_cast<int16_t>(std::min(32767.0f, std::max(-32768.0f, m_previousF[c] * 32767.0f)));
        }
    // The rate ratio may have changed: the increment follows at once.
    const float cents = m_lastPitch;
    m_recompute = true;
    SetPitch(cents);
    return true;
}

uint32_t VoiceResampler::IncrementFor(float cents) const {
    return static_cast<uint32_t>(std::pow(2.0, cents / 1200.0) * m_ratio * 65536.0 + 0.5);
}

void VoiceResampler::SetPitch(float cents, bool immediate) {
    cents = std::min(kMaxCents, std::max(-kMaxCents, cents));
    const uint32_t increment = IncrementFor(cents);
    if (m_recompute || immediate) {
        m_current = m_target = increment;
        m_rampCounter = kRampLength;
        m_recompute = false;
    } else if (cents != m_lastPitch || increment != m_target) {
        if (m_rampCounter < kRampLength) {
            const int64_t delta = static_cast<int64_t>(m_target) - m_current;
            m_current = static_cast<uint32_t>(m_current + delta * m_rampCounter / static_cast<int64_t>(kRampLength));
        }
        m_rampCounter = 0;
        m_target = increment;
    }
    m_lastPitch = cents;
    if (m_current == m_target)
        m_mode = m_current == kUnity ? Mode_None : Mode_Fixed;
    else
        m_mode = Mode_Ramp;
}

SXRESULT VoiceResampler::Process(const void* input, uint32_t inputFrames, float* output, uint32_t maxFrames) {
    if (m_format == kNoKernel) return SX_Fail;
    m_maxOutput = maxFrames;
    while (m_outputOffset < m_maxOutput && m_inputOffset < inputFrames) {
        uint32_t mode = m_mode;
        // Straight copy only while the phase sits exactly on the next input frame; otherwise
        // the unity increment interpolates, so a ramp that lands on unity joins without a step.
        if (mode == Mode_None && m_phase != kUnity) mode = Mode_Fixed;
        kKernels[mode * 8 + m_format](*this, input, inputFrames, output, maxFrames);
    }
    m_inputUsedUp = m_inputOffset >= inputFrames;
    if (m_inputUsedUp) m_inputOffset = 0;
    return m_outputOffset >= m_maxOutput ? SX_DataReady : SX_DataNeeded;
}

uint32_t VoiceResampler::OutputToInputFrames(uint32_t outputFrames) const {
    return static_cast<uint32_t>(static_cast<uint64_t>(outputFrames) * m_current / 65536.0 + 0.5);
}

uint32_t VoiceResampler::InputToOutputFrames(uint32_t inputFrames) const {
    return static_cast<uint32_t>(inputFrames / (m_current / 65536.0) + 0.5);
}

}  // namespace SX
