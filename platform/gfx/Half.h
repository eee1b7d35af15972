#pragma once
// 16-bit floats as the float render targets store them.
#include <cstdint>
#include <cstring>

namespace platform::gfx {

// Rounds toward zero; values too small for a half become zero, too large infinity.
inline uint16_t ToHalf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint16_t sign = static_cast<uint16_t>((bits >> 16) & 0x8000u);
    int32_t exponent = static_cast<int32_t>((bits >> 23) & 0xFFu) - 127 + 15;
    uint32_t mantissa = bits & 0x7FFFFFu;
    if (exponent <= 0) return sign;                                    // too small: zero
    if (exponent >= 31) return static_cast<uint16_t>(sign | 0x7C00u);  // too large: infinity
    return static_cast<uint16_t>(sign | (exponent << 10) | (mantissa >> 13));
}

inline float FromHalf(uint16_t half) {
    uint32_t sign = (half & 0x8000u) << 16;
    uint32_t exponent = (half >> 10) & 0x1Fu;
    uint32_t mantissa = half & 0x3FFu;
    uint32_t bits = sign;
    if (exponent == 31)
        bits |= 0x7F800000u | (mantissa << 13);
    else if (exponent != 0)
        bits |= ((exponent - 15 + 127) << 23) | (mantissa << 13);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace platform::gfx
