#pragma once
// Panning laws: a direction (and a spread) to per-speaker decibels, and the pan positions of
// voices that are not positioned to per-speaker amplitudes. Records hold 8 values in speaker
// order front left, front right, centre, rear left, rear right, LFE, two spare.
#include <cstdint>

namespace SX::SxPanning {

enum Speaker : uint32_t { kFL = 0, kFR = 1, kC = 2, kRL = 3, kRR = 4, kLFE = 5 };
constexpr float kSilenceDb = -97.0f;
// Panning rule 0 places speakers at the corners; rule 1 is a stereo pair.
constexpr uint32_t kRuleSpeakers = 0;
constexpr uint32_t kRuleHeadphones = 1;

// Entry i = sin^2(i x pi / 256); 512 steps make the full circle. Built on first use.
const float* Table();

// dB per speaker for a direction (x, y) in the listener's turned plane and a centre share in
// [0, 1]. A zero vector takes the centre of the listener: -6 dB on the four corners (rule 0),
// -3 dB left and right (rule 1).
void SingleDirection(float x, float y, float centre, uint32_t rule, float out[8]);

// dB records of the inputs (LFE excluded) of a source spread over spread percent of the circle
// around the direction. out[r] is the record of input r in the source's channel order.
void Spread(uint32_t inputs, float spread, float x, float y, float centre, uint32_t rule, float (*out)[8]);

// Linear amplitudes for a voice that is not positioned: pan left-right p and front-rear v in
// [0, 1] (v = 1 front), centre share c. One record per input channel (LFE excluded) in the
// voice's channel order.
void TwoDimensional(uint32_t channelMask, float pan, float frontRear, float centre, uint32_t rule, bool panning,
                    float (*out)[8]);

}  // namespace SX::SxPanning
