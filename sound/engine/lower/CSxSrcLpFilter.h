#pragma once
// The state of a voice's low-pass filter: a second-order low-pass whose LPF value (0 to 100)
// maps to a cutoff; a new value ramps over 8 steps, and values of 0.1 or less bypass it.
#include <cstdint>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

class CSxSrcLpFilter {
public:
    static constexpr uint16_t kRampSteps = 8;
    static constexpr float kBypassValue = 0.1f;

    CSxSrcLpFilter() = default;
    virtual ~CSxSrcLpFilter() { Term(); }
    CSxSrcLpFilter(const CSxSrcLpFilter&) = delete;
    CSxSrcLpFilter& operator=(const CSxSrcLpFilter&) = delete;

    // motion: the filter of a motion path, whose cutoffs lie far lower. SX_InsufficientMemory
    // without memory for the channels' history.
    SXRESULT Init(uint32_t channelMask, bool motion);
    void Term();

    // The target, held to [0, 100]; a value that is not a number bypasses the filter.
    void SetValue(float value);
    // Filters the buffer's valid frames in place unless bypassed.
    void Execute(SxAudioBuffer& buffer);
    // Clears the history of every channel (a voice that seeks or restarts).
    void ResetHistory();

    bool IsBypassed() const { return m_flags & kBypassed; }
    // The next Execute leaves the samples as they are.
    bool PassesThrough() const;
    bool IsRamping() const { return m_rampCounter < kRampSteps; }
    float Target() const { return m_target; }

    // Cutoff in Hz of an LPF value.
    static float ValueToCutoff(float value, bool motion);

private:
    enum Flags : uint8_t { kBypassed = 1, kChanged = 2, kFirstValue = 4, kMotion = 8 };

    void ComputeCoefficients(float value);
    void Filter(SxAudioBuffer& buffer, uint32_t first, uint32_t count);

    float m_coefficients[4] = {1.0f, 0.0f, 0.0f, 0.0f};  // b0, b1, f1, f2
    float m_previous = 0.0f;
    float m_target = 0.0f;
    uint16_t m_rampCounter = kRampSteps;
    uint16_t m_rampFrame = 0;  // frames done of the current ramp step
    uint32_t m_channelMask = 0;
    uint8_t m_flags = 0;
    float* m_memory = nullptr;  // per channel: x[n-1], x[n-2], y[n-1], y[n-2]
};

}  // namespace SX
