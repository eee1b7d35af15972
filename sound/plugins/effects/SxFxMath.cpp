#include "sound/plugins/effects/SxFxMath.h"

#include <cmath>
#include <cstring>

namespace SX {

float SxTimeConstantCoef(float seconds, uint32_t sampleRate) {
    const long double denominator = static_cast<long double>(sampleRate) * seconds;
    if (denominator <= 0.0L) return 0.0f;
    return static_cast<float>(std::exp(-2.2L / denominator));
}

float SxFastPowerToDb(float power) {
    uint32_t bits;
    std::memcpy(&bits, &power, sizeof bits);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    const uint32_t mantissaBits = (bits & 0x007FFFFFu) | (127u << 23);
    float m;
    std::memcpy(&m, &mantissaBits, sizeof m);
    const float t = (m - 1.0f) / (m + 1.0f);
    const float lnP = static_cast<float>(exponent - 127) * 0.6931472f + 2.0f * t * (1.0f + t * t * 0.33333334f);
    return lnP * 4.342945f;
}

}  // namespace SX
