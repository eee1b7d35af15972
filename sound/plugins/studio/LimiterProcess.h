#pragma once
// The Studio limiter's DSP: a look-ahead brick-wall limiter with a soft-knee gain curve,
// one implementation per channel layout (mono centre, stereo, 5.1), the channels linked.
#include <cstdint>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/plugins/studio/StudioDsp.h"
#include "sound/plugins/studio/StudioSlidingMax.h"

namespace SX {

constexpr uint32_t kLimiterMaskMono = 0x4;
constexpr uint32_t kLimiterMaskStereo = 0x3;
constexpr uint32_t kLimiterMask51 = 0x3F;
constexpr uint32_t kLimiterTableSize = 600;

// The limiter's parameters as the process keeps them.
struct LimiterSettings {
    double ceilingDb = 0.0;
    double thresholdDb = 0.0;
    double kneePercent = 0.0;
    double releaseMs = 10.0;
    int32_t releaseMode = 0;
};

// What the meters saw since they were last read.
struct LimiterMeters {
    uint32_t channels = 0;
    float gain = 0.0f;
    float input[6] = {};
    float output[6] = {};
};

// Look-ahead N and averaging M frames at a rate, each at least one frame.
uint32_t LimiterLookAheadFrames(uint32_t sampleRate);
uint32_t LimiterAverageFrames(uint32_t sampleRate);
// The gain curve for threshold T (dB, already lowered by the input scaling) and knee (%).
void LimiterGainTable(double thresholdDb, double kneePercent, float* table);

template <uint32_t Channels>
class LimiterProcessImpl {
public:
    // Bytes of state the implementation carves from its arena at this rate.
    static uint32_t StateSize(uint32_t sampleRate);
    void Init(DSPMemoryArena& arena, uint32_t sampleRate);
    void ApplyParameters(const LimiterSettings& settings, const StudioTimeContext& time);
    void Process(SxAudioBuffer& buffer);
    // Clears the history (lines, envelopes, meters), keeping the coefficients.
    void ClearHistory();
    void ReadMeters(LimiterMeters& meters);

    DSPMemoryArena arena;

private:
    uint32_t m_lookAhead = 1;   // N
    uint32_t m_average = 1;     // M
    uint32_t m_lineLength = 2;  // L = N + M
    float* m_lines = nullptr;   // Channels x L
    float* m_averageLine = nullptr;
    float* m_windowValues = nullptr;
    uint32_t* m_windowStamps = nullptr;
    StudioSlidingMax m_window;
    uint32_t m_linePosition = 0;
    uint32_t m_averagePosition = 0;
    int32_t m_holdCounter = 0;
    float m_heldPeak = 0.0f;
    float m_slope = 0.0f;
    float m_envelope = 0.0f;
    float m_smoothedPeak = 0.0f;
    float m_ramp = 1.0f;
    float m_releaseAfterHold = 1.0f;
    float m_rise = 1.0f;
    float m_fall = 1.0f;
    int32_t m_holdLength = 0;
    float m_averageWeight = 1.0f;
    float m_outputGain = 1.0f;
    float m_table[kLimiterTableSize] = {};
    float m_meterGain = 0.0f;
    float m_meterInput[Channels] = {};
    float m_meterOutput[Channels] = {};
};

using LimiterProcessMonoFloatImpl = LimiterProcessImpl<1>;
using LimiterProcessStereoFloatImpl = LimiterProcessImpl<2>;
using LimiterProcessSurroundFloatImpl = LimiterProcessImpl<6>;

class Process {
public:
    virtual ~Process() = default;
    virtual void ProcessBuffer(SxAudioBuffer& buffer) = 0;
    virtual void ApplyParameters() = 0;
};

// Runs the implementation that matches a buffer's channel mask, if it was created.
template <class Mono, class Stereo, class Surround>
class MultiChannelSurroundProcess : public Process {
public:
    void ProcessBuffer(SxAudioBuffer& buffer) override {
        switch (buffer.channelMask) {
            case kLimiterMaskMono:
                if (m_mono) m_mono->Process(buffer);
                break;
            case kLimiterMaskStereo:
                if (m_stereo) m_stereo->Process(buffer);
                break;
            case kLimiterMask51:
                if (m_surround) m_surround->Process(buffer);
                break;
            default:
                break;
        }
    }
    void ApplyParameters() override {
        if (m_mono) ApplyMono(*m_mono);
        if (m_stereo) ApplyStereo(*m_stereo);
        if (m_surround) ApplySurround(*m_surround);
    }

protected:
    virtual void ApplyMono(Mono& impl) = 0;
    virtual void ApplyStereo(Stereo& impl) = 0;
    virtual void ApplySurround(Surround& impl) = 0;

    Mono* m_mono = nullptr;
    Stereo* m_stereo = nullptr;
    Surround* m_surround = nullptr;
};

class LimiterProcess final
    : public MultiChannelSurroundProcess<LimiterProcessMonoFloatImpl, LimiterProcessStereoFloatImpl,
                                         LimiterProcessSurroundFloatImpl> {
public:
    // Creates the implementation of a channel mask (4, 3 or 63) with its zeroed state, and
    // applies the current settings to it. SX_UnsupportedChannelConfig for another mask.
    SXRESULT Create(ISxPluginMemAlloc* allocator, uint32_t channelMask);
    void Destroy(ISxPluginMemAlloc* allocator);
    // Bytes of the meter record of the implementation present.
    uint32_t MeterRecordSize() const;
    void ReadMeters(LimiterMeters& meters);
    void ClearHistory();

    uint32_t sampleRate = 44100;
    LimiterSettings settings;

protected:
    void ApplyMono(LimiterProcessMonoFloatImpl& impl) override { impl.ApplyParameters(settings, Time()); }
    void ApplyStereo(LimiterProcessStereoFloatImpl& impl) override { impl.ApplyParameters(settings, Time()); }
    void ApplySurround(LimiterProcessSurroundFloatImpl& impl) override { impl.ApplyParameters(settings, Time()); }

private:
    const StudioTimeContext& Time() { return m_time.Get(int32_t(sampleRate)); }
    template <class Impl>
    SXRESULT CreateImpl(ISxPluginMemAlloc* allocator, Impl*& impl);
    template <class Impl>
    void DestroyImpl(ISxPluginMemAlloc* allocator, Impl*& impl);

    StudioTimeContext m_time;
};

}  // namespace SX
