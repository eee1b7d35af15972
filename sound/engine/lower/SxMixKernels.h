#pragma once
// The inner loops of the mix: adding a channel into another with a gain that ramps linearly
// over the frame from last frame's value to this frame's, interleaving the master mix into
// the output buffer, and converting it to 16-bit samples for the sink. Each runs on the widest
// vectors the processor offers (see SxMixKernelPaths.h); the mixer's frame counts are multiples
// of 8, and any other length is finished sample by sample with the same arithmetic.
#include <cstdint>

namespace SX {

// Per input channel: the gains of the six output speakers in planar 5.1 order
// (L, R, C, SL, SR, LFE, two spare), this frame's and the previous frame's.
struct SxSpeakerGains {
    float current[8] = {};
    float previous[8] = {};
};

namespace SxMixKernels {

// dst[k] += src[k] x (gain + k x step). A step of 0 takes the constant path; a gain of 0
// that stays 0 does nothing.
void MixChannel(const float* src, float* dst, uint32_t frames, float gain, float step);

// One voice channel into a planar node of frames-long channels: 5.1 takes all six speakers,
// 4.0 (L, R, SL, SR) speakers 0, 1, 3, 4, stereo the fold-down of the six (panning rule 0)
// or L and R alone (any other rule).
void MixIntoFivePointOne(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains);
void MixIntoFourPointZero(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains);
void MixIntoStereo(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains, uint32_t panningRule);

// Fold-down of a six-speaker gain set to left and right.
void FoldDownToStereo(const float* speakers, uint32_t panningRule, float& left, float& right);

// A planar node into a node of the same layout, channel c ramped from previous[c] to current[c].
void MixNode(const float* src, float* dst, uint32_t channels, uint32_t frames, const float* previous,
             const float* current);

// Planar master mix to interleaved frames in device order (stereo: L, R; 5.1: L, R, C, LFE,
// SL, SR), ramped from the previous to the current gains; the LFE takes the LFE gains.
void InterleaveStereo(const float* planar, float* out, uint32_t frames, float previous, float current);
void InterleaveFivePointOne(const float* planar, float* out, uint32_t frames, float previous, float current,
                            float previousLfe, float currentLfe);

// x 32767, rounded to nearest (ties to even), saturated to 16 bits (infinities too); a value
// that is not a number gives 0.
void FloatTo16(const float* in, int16_t* out, uint32_t count);
// 16-bit samples to floats of full scale 1 (x / 32768); in may lie on any 2-byte boundary.
void Pcm16ToFloat(const int16_t* in, float* out, uint32_t count);
// Mismatched layouts: each value clamped to [-1, 1], x 32767, truncated toward zero; a value
// that is not a number gives 0.
// Stereo frames to 5.1 frames: left to channel 0, right to channel 1, the rest silent.
void StereoTo51Pcm16(const float* in, int16_t* out, uint32_t frames);
// 5.1 frames (device order) to stereo: centre and surrounds folded in at 0.707.
void FivePointOneToStereoPcm16(const float* in, int16_t* out, uint32_t frames);

}  // namespace SxMixKernels
}  // namespace SX
