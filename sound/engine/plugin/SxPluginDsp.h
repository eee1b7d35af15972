#pragma once
// Small DSP helpers every plug-in uses: gain and gain ramps over a channel, the output gain of
// a whole buffer, decibel fields of parameter blocks, and the tail of an effect whose input
// has ended.
#include <cstdint>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

// Every sample x gain; a gain of exactly 1.0 leaves the samples untouched.
void ApplyGain(float* samples, uint32_t count, float gain);
// Sample k x (g0 + k x (g1 - g0) / count): the ramp reaches g1 only at the next buffer.
void ApplyGainRamp(float* samples, uint32_t count, float g0, float g1);
// Over the valid frames of every channel (the LFE channel, last, only with processLfe):
// a ramp when the gains differ, else a gain.
void ApplyOutputGain(SxAudioBuffer& buffer, float previousGain, float newGain, bool processLfe);

// A decibel field of a parameter block as a linear gain, pow(10, dB x 0.05). A value that is
// not a number gives unity; infinities and huge values are held to [-200 dB, +96 dB] so that
// no gain becomes infinite.
float SxParamDbToLinear(float db);
// value when it is a number within [low, high]; the nearer bound for an out-of-range number
// or an infinity; fallback for not-a-number.
float SxSanitizeParam(float value, float low, float high, float fallback);
// True when every valid sample of every channel is a finite number.
bool SxBufferIsFinite(const SxAudioBuffer& buffer);

// Keeps an effect running on silence after its input ended, for the length of its tail.
class SxFXTailHandler {
public:
    static constexpr uint32_t kNoTail = 0xFFFFFFFFu;
    // Called at the start of the effect's Execute with its current tail length in frames.
    void HandleTail(SxAudioBuffer& buffer, uint32_t tailFrames);
    uint32_t Remaining() const { return m_remaining; }

private:
    uint32_t m_remaining = kNoTail;
    uint32_t m_lastTail = 0;
};

}  // namespace SX
