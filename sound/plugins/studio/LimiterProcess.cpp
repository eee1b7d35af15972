#include "sound/plugins/studio/LimiterProcess.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace SX {

namespace {

constexpr float kInputScale = 0.25118864f;  // -12 dB, undone by the gain curve's ceiling
constexpr float kMeterInputScale = 3.9810717f;

// Release character: {A rise, C fall base, B release-after-hold limit} in milliseconds.
struct ReleaseTimes {
    double rise, fallBase, holdRelease;
};
constexpr ReleaseTimes kReleaseModes[6] = {
    {50, 800, 3}, {40, 600, 4}, {30, 400, 5}, {20, 200, 6}, {10, 100, 10}, {5, 50, 15},
};

}  // namespace

uint32_t LimiterLookAheadFrames(uint32_t sampleRate) { return std::max<uint32_t>(1, uint32_t(sampleRate * 0.00085)); }

uint32_t LimiterAverageFrames(uint32_t sampleRate) { return std::max<uint32_t>(1, uint32_t(sampleRate * 0.000325)); }

void LimiterGainTable(double thresholdDb, double kneePercent, float* table) {
    const double k = (1.0 - std::pow(kneePercent * 0.01, 0.0005)) * 10000.0 + 2.0;
    const double high = std::pow(10.0, -thresholdDb * 0.05);
    const double low = std::pow(10.0, thresholdDb * 0.025);
    table[0] = float(high);
    for (uint32_t i = 1; i < kLimiterTableSize; ++i) {
        const double u = 1.0 - std::pow(1.0 - i / 599.0, 0.25);
        double entry = std::min(std::pow(u, -0.9999), std::pow(u, 1.0 / k - 1.0) + low);
        entry = std::min(std::max(entry, 1.0), high);
        table[i] = float(entry);
    }
}

template <uint32_t Channels>
uint32_t LimiterProcessImpl<Channels>::StateSize(uint32_t sampleRate) {
    const uint32_t line = LimiterLookAheadFrames(sampleRate) + LimiterAverageFrames(sampleRate);
    return uint32_t(sizeof(float)) * (Channels * line + LimiterAverageFrames(sampleRate) + line) +
           uint32_t(sizeof(uint32_t)) * line;
}

template <uint32_t Channels>
void LimiterProcessImpl<Channels>::Init(DSPMemoryArena& state, uint32_t sampleRate) {
    m_lookAhead = LimiterLookAheadFrames(sampleRate);
    m_average = LimiterAverageFrames(sampleRate);
    m_lineLength = m_lookAhead + m_average;
    m_lines = static_cast<float*>(state.Carve(sizeof(float) * Channels * m_lineLength));
    m_averageLine = static_cast<float*>(state.Carve(sizeof(float) * m_average));
    m_windowValues = static_cast<float*>(state.Carve(sizeof(float) * m_lineLength));
    m_windowStamps = static_cast<uint32_t*>(state.Carve(sizeof(uint32_t) * m_lineLength));
    ClearHistory();
}

template <uint32_t Channels>
void LimiterProcessImpl<Channels>::ClearHistory() {
    std::memset(m_lines, 0, sizeof(float) * Channels * m_lineLength);
    std::memset(m_averageLine, 0, sizeof(float) * m_average);
    m_window.Init(m_windowValues, m_windowStamps, m_lineLength);
    m_linePosition = m_averagePosition = 0;
    m_holdCounter = 0;
    m_heldPeak = m_slope = m_envelope = m_smoothedPeak = 0.0f;
    m_meterGain = 0.0f;
    std::fill(m_meterInput, m_meterInput + Channels, 0.0f);
    std::fill(m_meterOutput, m_meterOutput + Channels, 0.0f);
}

template <uint32_t Channels>
void LimiterProcessImpl<Channels>::ApplyParameters(const LimiterSettings& settings, const StudioTimeContext& time) {
    const double threshold = std::max(settings.thresholdDb - 12.0, -36.0);
    m_outputGain = float(std::pow(10.0, (settings.ceilingDb - 0.01) * 0.05));
    LimiterGainTable(threshold, settings.kneePercent, m_table);
    m_ramp = std::min(1.0f, 1.0f / float(m_lookAhead));
    const ReleaseTimes& mode = kReleaseModes[std::min(std::max(settings.releaseMode, 0), 5)];
    m_releaseAfterHold = float(TimeToCoefficient(time, std::min(settings.releaseMs, mode.holdRelease)));
    m_rise = float(TimeToCoefficient(time, mode.rise));
    m_fall = float(TimeToCoefficient(time, std::max(settings.releaseMs - mode.holdRelease, 0.0) + mode.fallBase));
    m_holdLength = int32_t(m_lineLength + 1);
    m_averageWeight = 1.0f / float(m_average);
}

template <uint32_t Channels>
void LimiterProcessImpl<Channels>::Process(SxAudioBuffer& buffer) {
    float* channel[Channels];
    for (uint32_t c = 0; c < Channels; ++c) channel[c] = buffer.Channel(c);
    const uint32_t frames = buffer.validFrames;
    for (uint32_t n = 0; n < frames; ++n) {
        // The delayed samples leave the look-ahead lines as the new ones enter.
        float delayed[Channels];
        float peakIn = 0.0f, peakDelayed = 0.0f;
        for (uint32_t c = 0; c < Channels; ++c) {
            float x = channel[c][n] * kInputScale;
            x = x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x);
            if (x != x) x = 0.0f;  // not a number: nothing enters the line
            float& slot = m_lines[c * m_lineLength + m_linePosition];
            delayed[c] = slot;
            slot = x;
            peakIn = std::max(peakIn, std::fabs(x));
            peakDelayed = std::max(peakDelayed, std::fabs(delayed[c]));
        }
        m_linePosition = m_linePosition + 1 == m_lineLength ? 0 : m_linePosition + 1;
        const float windowPeak = m_window.Push(peakIn);

        if (peakIn > m_heldPeak) {
            m_heldPeak = peakIn;
            m_holdCounter = m_holdLength;
        }
        const float toPeak = m_heldPeak - m_envelope;
        if (std::fabs(toPeak) > std::fabs(m_slope)) m_slope = toPeak;
        if (m_holdCounter > 0) --m_holdCounter;
        if (m_holdCounter >= 1) {
            m_envelope += m_slope * m_ramp;
        } else {
            m_envelope += (windowPeak - m_envelope) * m_releaseAfterHold;
            m_slope = 0.0f;
        }
        m_envelope = std::max(std::min(m_envelope, m_heldPeak), peakDelayed);

        m_smoothedPeak += (windowPeak - m_smoothedPeak) * (windowPeak > m_smoothedPeak ? m_rise : m_fall);
        m_envelope = std::max(m_envelope, m_smoothedPeak);
        if (m_holdCounter == 0) m_heldPeak = m_envelope;

        m_averageLine[m_averagePosition] = m_envelope;
        m_averagePosition = m_averagePosition + 1 == m_average ? 0 : m_averagePosition + 1;
        float sum = 0.0f;
        for (uint32_t i = 0; i < m_average; ++i) sum += m_averageLine[i];
        const float v = std::min(sum * m_averageWeight, 1.0f);

        const float w = 2.0f * v - v * v;
        const float position = 599.0f * (2.0f * w - w * w);
        const uint32_t index = std::min(uint32_t(position), kLimiterTableSize - 2);
        const float fraction = std::min(position - float(index), 1.0f);
        const float gain = m_table[index] + fraction * (m_table[index + 1] - m_table[index]);

        m_meterGain = std::max(m_meterGain, gain);
        for (uint32_t c = 0; c < Channels; ++c) {
            const float out = delayed[c] * gain * m_outputGain;
            channel[c][n] = out;
            m_meterInput[c] = std::max(m_meterInput[c], std::fabs(delayed[c]));
            m_meterOutput[c] = std::max(m_meterOutput[c], std::fabs(out));
        }
    }
}

template <uint32_t Channels>
void LimiterProcessImpl<Channels>::ReadMeters(LimiterMeters& meters) {
    meters.channels = Channels;
    meters.gain = m_meterGain;
    for (uint32_t c = 0; c < Channels; ++c) {
        meters.input[c] = m_meterInput[c] * kMeterInputScale;
        meters.output[c] = m_meterOutput[c];
        m_meterInput[c] = m_meterOutput[c] = 0.0f;
    }
    m_meterGain = 0.0f;
}

template class LimiterProcessImpl<1>;
template class LimiterProcessImpl<2>;
template class LimiterProcessImpl<6>;

template <class Impl>
SXRESULT LimiterProcess::CreateImpl(ISxPluginMemAlloc* allocator, Impl*& impl) {
    void* memory = allocator->Malloc(sizeof(Impl));
    if (!memory) return SX_InsufficientMemory;
    impl = new (memory) Impl();
    if (impl->arena.Allocate(allocator, Impl::StateSize(sampleRate)) != SX_Success) return SX_InsufficientMemory;
    impl->Init(impl->arena, sampleRate);
    return SX_Success;
}

template <class Impl>
void LimiterProcess::DestroyImpl(ISxPluginMemAlloc* allocator, Impl*& impl) {
    if (!impl) return;
    impl->arena.Free(allocator);
    impl->~Impl();
    allocator->Free(impl);
    impl = nullptr;
}

SXRESULT LimiterProcess::Create(ISxPluginMemAlloc* allocator, uint32_t channelMask) {
    SXRESULT result = SX_UnsupportedChannelConfig;
    if (channelMask == kLimiterMaskMono) result = CreateImpl(allocator, m_mono);
    if (channelMask == kLimiterMaskStereo) result = CreateImpl(allocator, m_stereo);
    if (channelMask == kLimiterMask51) result = CreateImpl(allocator, m_surround);
    if (result == SX_Success) ApplyParameters();
    return result;
}

void LimiterProcess::Destroy(ISxPluginMemAlloc* allocator) {
    DestroyImpl(allocator, m_mono);
    DestroyImpl(allocator, m_stereo);
    DestroyImpl(allocator, m_surround);
}

uint32_t LimiterProcess::MeterRecordSize() const {
    if (m_surround) return 56;
    if (m_stereo) return 24;
    return 16;
}

void LimiterProcess::ReadMeters(LimiterMeters& meters) {
    if (m_mono) m_mono->ReadMeters(meters);
    if (m_stereo) m_stereo->ReadMeters(meters);
    if (m_surround) m_surround->ReadMeters(meters);
}

void LimiterProcess::ClearHistory() {
    if (m_mono) m_mono->ClearHistory();
    if (m_stereo) m_stereo->ClearHistory();
    if (m_surround) m_surround->ClearHistory();
}

}  // namespace SX
