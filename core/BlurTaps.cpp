#include "core/BlurTaps.h"

#include <cmath>

namespace SD {

float BlurGaussian(float x, float sigma) {
    const float pi = 3.14159265358979f;
    return std::exp(-(x * x) / (2.0f * sigma * sigma)) / std::sqrt(2.0f * pi * sigma * sigma);
}

BlurTaps ComputeBlurTaps(unsigned width, unsigned height) {
    BlurTaps taps;
    taps.weights[0] = taps.strength * BlurGaussian(0.0f, taps.sigma);
    for (int i = 1; i <= 2; ++i) {
        const float step = float(i) * taps.spread;
        taps.weights[i] = taps.strength * BlurGaussian(float(i), taps.sigma);
        taps.offsets[i][0] = width ? step / float(width) : 0.0f;
        taps.offsets[i][1] = height ? step / float(height) : 0.0f;
        taps.weights[i + 2] = taps.weights[i];
        for (int k = 0; k < 4; ++k) taps.offsets[i + 2][k] = -taps.offsets[i][k];
    }
    return taps;
}

}  // namespace SD
