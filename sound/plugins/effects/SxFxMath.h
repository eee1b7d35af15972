#pragma once
// Envelope coefficients and the fast logarithm of the dynamics effects.
#include <cstdint>

namespace SX {

// exp(-2.2 / (rate x t)): the envelope covers 90 % of a step in t seconds; 0 for t = 0.
float SxTimeConstantCoef(float seconds, uint32_t sampleRate);
// 10 log10(power) from the float's bits, without the library logarithm.
float SxFastPowerToDb(float power);

}  // namespace SX
