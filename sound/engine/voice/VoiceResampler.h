#pragma once
// Converts a source's interleaved frames (16-bit integer or 32-bit float, one to six channels)
// into the engine's planar floats at the output rate, with pitch applied as a 16.16 fixed-point
// increment and linear interpolation. Pitch changes ramp the increment over 1024 output frames.
// The inner loops are a table of kernels chosen by pitch mode and source format.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class VoiceResampler;

// One kernel: consumes input frames from inputOffset, writes planar output from outputOffset;
// returns 45 when the output is full, 43 when it needs more input.
using SxResampleKernel = SXRESULT (*)(VoiceResampler& r, const void* input, uint32_t inputFrames, float* output,
                                      uint32_t outputStride);

class VoiceResampler {
public:
    static constexpr uint32_t kUnity = 0x10000;
    static constexpr uint32_t kRampLength = 1024;
    static constexpr uint8_t kNoKernel = 0xFF;
    static constexpr float kMaxCents = 2400.0f;

    enum PitchMode : uint32_t { Mode_None = 0, Mode_Fixed = 1, Mode_Ramp = 2 };

    // The kernel format of a source: 0..3 16-bit mono, stereo, 3-4 and 5-6 channels, 4..7 the
    // same for float; kNoKernel for any other bit depth or more than six channels.
    static uint8_t FormatIndex(uint32_t bitsPerSample, uint32_t channels);

    // False when the format has no kernel: the source must then fail, never reach the table.
    bool Init(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate, uint32_t outputRate);
    // Offsets and phase back to the start; the previous frame becomes silence.
    void Reset();
    // The next source of the voice takes over inside a buffer: its format replaces the current
    // one, and the last frame of the source before it is kept (converted to the new sample
    // kind) so that interpolation runs on across the join. False when the format has no kernel.
    bool ChangeFormat(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate);

    // Pitch in cents, clamped to +-2400. A change ramps unless immediate.
    void SetPitch(float cents, bool immediate = false);

    // Runs the kernels over the input until it is used up or the output (maxFrames per planar
    // channel) is full. 45 full, 43 more input needed.
    SXRESULT Process(const void* input, uint32_t inputFrames, float* output, uint32_t maxFrames);

    // Frame counts across the current increment.
    uint32_t OutputToInputFrames(uint32_t outputFrames) const;
    uint32_t InputToOutputFrames(uint32_t inputFrames) const;

    // Whether the last Process used up its input (the input offset is then back at 0).
    bool InputUsedUp() const { return m_inputUsedUp; }
    uint32_t InputOffset() const { return m_inputOffset; }
    void SetInputOffset(uint32_t offset) { m_inputOffset = offset; }
    uint32_t OutputOffset() const { return m_outputOffset; }
    void SetOutputOffset(uint32_t offset) { m_outputOffset = offset; }
    uint32_t Mode() const { return m_mode; }
    uint32_t Increment() const { return m_current; }
    uint32_t Channels() const { return m_channels; }
    // The output rate over the source rate the pitch gives (1.0 at no pitch and equal rates).
    float PitchRatio() const { return static_cast<float>(m_current) / 65536.0f / m_ratio; }

    // Kernel state, public to the kernels.
    int16_t m_previous16[6] = {};
    float m_previousF[6] = {};
    uint8_t m_planar[6] = {};  // planar output channel of each interleaved input channel
    uint32_t m_inputOffset = 0;
    uint32_t m_outputOffset = 0;
    uint32_t m_phase = kUnity;
    uint32_t m_current = kUnity;
    uint32_t m_target = kUnity;
    uint32_t m_rampCounter = kRampLength;
    uint32_t m_rampStep = 1;
    uint32_t m_maxOutput = 0;
    uint32_t m_mode = Mode_None;
    float m_ratio = 1.0f;
    uint32_t m_outputRate = 48000;
    float m_lastPitch = 0.0f;
    uint8_t m_format = kNoKernel;
    uint8_t m_channels = 0;
    bool m_recompute = true;
    bool m_inputUsedUp = false;

private:
    bool SetFormat(uint32_t bitsPerSample, uint32_t channelMask, uint32_t sourceRate);
    uint32_t IncrementFor(float cents) const;
};

}  // namespace SX
