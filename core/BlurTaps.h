#pragma once
// Sample weights and offsets of the post-processing Gaussian blur: a centre tap and two taps
// on each side, spaced by whole pixels of the target along both axes.

namespace SD {

struct BlurTaps {
    static constexpr int kTaps = 5;
    static constexpr float kStrength = 0.8f;
    static constexpr float kSigma = 3.0f;
    static constexpr float kSpread = 1.0f;

    float strength = kStrength;
    float sigma = kSigma;
    float spread = kSpread;
    // Tap 0 is the centre; taps 3 and 4 mirror taps 1 and 2.
    float weights[kTaps] = {};
    float offsets[kTaps][4] = {};
};

// The taps for a target of width by height pixels. A dimension of 0 gives offsets of 0 along it.
BlurTaps ComputeBlurTaps(unsigned width, unsigned height);

// The Gaussian of the taps: exp(-x^2 / (2 sigma^2)) / sqrt(2 pi sigma^2).
float BlurGaussian(float x, float sigma);

}  // namespace SD
