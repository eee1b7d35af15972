#pragma once
// Decibels to linear gain through a 98-entry table of 10^((i - 97) / 20), i = 0..97, with
// linear interpolation: -96.3 dB or less is silence, 0 dB or more unity.
namespace SX::SxMath {

float DbToLinear(float db);

}  // namespace SX::SxMath
