#include "sound/engine/listener/SxPanning.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/listener/SxMath3D.h"

namespace SX::SxPanning {

namespace {

constexpr float kIndexPerRadian = 81.48733f;  // 256 / pi
constexpr float kPi = 3.14159265f;
constexpr float kHalf = 0.70710678f;

float AmplitudeDb(float amplitude) { return 20.0f * SxMath::FastLog10(amplitude); }

void Fill(float out[8], float value) { std::fill(out, out + 8, value); }

void AccumulateEnergy(uint32_t n, float centre, uint32_t rule, float e[8]) {
    const float* table = Table();
    if (rule == kRuleHeadphones) {
        const uint32_t m = n >= 256 ? 512 - n : n;
        const float left = m < 256 ? table[m / 2] : 1.0f;
        e[kFL] += left;
        e[kFR] += 1.0f - left;
    } else if (n >= 256) {
        const float v = table[n - 256];
        e[kRR] += v;
        e[n < 384 ? kRL : kFR] += 1.0f - v;
    } else if (n >= 128) {
        const float v = table[n];
        e[kFL] += v;
        e[kRL] += 1.0f - v;
    } else if (centre <= 0.0f) {
        const float v = table[n];
        e[kFL] += v;
        e[kFR] += 1.0f - v;
    } else {
        const float v = table[n];
        const float g = table[2 * n];
        e[kC] += g * centre;
        e[kFL] += (1.0f - centre) * v;
        e[kFR] += (1.0f - centre) * (1.0f - v);
        e[n < 64 ? kFR : kFL] += (1.0f - g) * centre;
    }
}

// Gains of the stereo pan law (rule 0 or 1).
void StereoLaw(float p, float v, float c, uint32_t rule, float g[8]) {
    Fill(g, 0.0f);
    if (rule == kRuleHeadphones) {
        g[kFL] = std::sqrt(1.0f - p);
        g[kFR] = std::sqrt(p);
        return;
    }
    if (c <= 0.0f) {
        g[kFL] = std::sqrt((1.0f - p) * v);
        g[kFR] = std::sqrt(p * v);
    } else if (p >= 0.5f) {
        g[kC] = std::sqrt(2.0f * (1.0f - p) * v * c);
        g[kFL] = std::sqrt((1.0f - c) * (1.0f - p) * v);
        g[kFR] = std::sqrt(2.0f * (p - 0.5f) * v * c + (1.0f - c) * p * v);
    } else {
        g[kC] = std::sqrt(2.0f * p * v * c);
        g[kFL] = std::sqrt((1.0f - 2.0f * p) * v * c + (1.0f - c) * (1.0f - p) * v);
        g[kFR] = std::sqrt((1.0f - c) * p * v);
    }
    g[kRL] = std::sqrt((1.0f - p) * (1.0f - v));
    g[kRR] = std::sqrt(p * (1.0f - v));
}

void ThreeFrontLaw(float p, float v, float g[8]) {
    Fill(g, 0.0f);
    const float a = (2.0f - 2.0f * p) / 3.0f;
    const float r = v >= 0.5f ? (4.0f - 4.0f * v) * 0.2f : 1.0f - 1.2f * v;
    g[kC] = std::sqrt((1.0f - r) / 3.0f);
    g[kFL] = std::sqrt((1.0f - r) * a);
    g[kFR] = std::sqrt(std::max(0.0f, (1.0f - r) * (1.0f - (a + 1.0f / 3.0f))));
    g[kRL] = std::sqrt((1.0f - p) * r);
    g[kRR] = std::sqrt(p * r);
}

void MultiplyRecords(float (*out)[8], uint32_t records, const float g[8]) {
    for (uint32_t r = 0; r < records; ++r)
        for (uint32_t s = 0; s < 8; ++s) out[r][s] *= g[s];
}

}  // namespace

const float* Table() {
    static const auto table = [] {
        static float t[256];
        for (int i = 0; i < 256; ++i) {
            const double s = std::sin(i * 3.14159265358979 / 256.0);
            t[i] = static_cast<float>(s * s);
        }
        return t;
    }();
    return table;
}

void SingleDirection(float x, float y, float centre, uint32_t rule, float out[8]) {
    Fill(out, kSilenceDb);
    const float length = std::sqrt(x * x + y * y);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        if (rule == kRuleHeadphones) {
            out[kFL] = out[kFR] = -3.0f;
        } else {
            out[kFL] = out[kFR] = out[kRL] = out[kRR] = -6.0f;
        }
        return;
    }
    const float xn = x / length, yn = y / length;
    if (rule == kRuleHeadphones) {
        const float angle = std::acos(std::clamp(xn, -1.0f, 1.0f));
        const int index = static_cast<int>(angle * kIndexPerRadian + 0.5f);
        const int mirrored = index > 256 ? 512 - index : index;
        const float left = mirrored >= 256 ? 1.0f : Table()[mirrored / 2];
        out[kFL] = AmplitudeDb(std::sqrt(left));
        out[kFR] = AmplitudeDb(std::sqrt(1.0f - left));
        return;
    }
    if (x <= 0.0f && y > 0.0f) {
        out[kFL] = AmplitudeDb(yn);
        out[kRL] = AmplitudeDb(-xn);
    } else if (x > 0.0f && y > 0.0f) {
        if (centre <= 0.0f) {
            out[kFL] = AmplitudeDb(yn);
            out[kFR] = AmplitudeDb(xn);
        } else {
            const float f = (2.0f * xn * xn - 1.0f) * (2.0f * xn * xn - 1.0f);
            out[kC] = AmplitudeDb(std::sqrt(centre) * std::sqrt(std::max(0.0f, 1.0f - f)));
            if (xn <= yn) {
                out[kFL] = AmplitudeDb(std::sqrt(f * centre + yn * yn * (1.0f - centre)));
                out[kFR] = AmplitudeDb(std::sqrt(1.0f - centre) * xn);
            } else {
                out[kFL] = AmplitudeDb(std::sqrt(1.0f - centre) * yn);
                out[kFR] = AmplitudeDb(std::sqrt(f * centre + xn * xn * (1.0f - centre)));
            }
        }
    } else if (x > 0.0f) {
        out[kFR] = AmplitudeDb(xn);
        out[kRR] = AmplitudeDb(-yn);
    } else {
        out[kRL] = AmplitudeDb(-xn);
        out[kRR] = AmplitudeDb(-yn);
    }
}

void Spread(uint32_t inputs, float spread, float x, float y, float centre, uint32_t rule, float (*out)[8]) {
    if (inputs == 0) return;
    if (!(spread > 0.0f)) {
        SingleDirection(x, y, centre, rule, out[0]);
        if (inputs > 1) {
            const float share = 10.0f * std::log10(1.0f / static_cast<float>(inputs));
            for (uint32_t s = 0; s < 6; ++s) out[0][s] += share;
        }
        for (uint32_t r = 1; r < inputs; ++r) std::copy(out[0], out[0] + 8, out[r]);
        return;
    }
    static constexpr uint32_t kOrder[6][5] = {
        {0}, {0}, {0, 1}, {0, 2, 1}, {2, 0, 1, 3}, {3, 0, 2, 1, 4},
    };
    const uint32_t n = std::min<uint32_t>(inputs, 5);
    float azimuth;
    if (x == 0.0f && y == 0.0f)
        azimuth = kPi / 4.0f;
    else if (x == 0.0f)
        azimuth = y > 0.0f ? kPi / 2.0f : 3.0f * kPi / 2.0f;
    else
        azimuth = std::atan2(y, x);
    if (azimuth < 0.0f) azimuth += 2.0f * kPi;
    const float arc = std::min(spread, 100.0f) * 5.12f / static_cast<float>(n);
    float start = azimuth * kIndexPerRadian + static_cast<float>(n >> 1) * arc;
    if ((n & 1) == 0) start -= arc / 2.0f;
    const uint32_t points = static_cast<uint32_t>(std::ceil(arc / 128.0f)) + 1;
    const float weight = 1.0f / static_cast<float>(points * n);
    const float step = arc / static_cast<float>(points);
    if ((points & 1) == 0) start -= step / 2.0f;
    for (uint32_t i = 0; i < n; ++i) {
        float* record = out[kOrder[n][i]];
        float energy[8] = {};
        float pos = start + static_cast<float>(points >> 1) * step;
        for (uint32_t k = 0; k < points; ++k, pos -= step)
            AccumulateEnergy(static_cast<uint32_t>(static_cast<int>(pos + 0.5f)) & 511, centre, rule, energy);
        for (uint32_t s = 0; s < 8; ++s) record[s] = s < 6 ? AmplitudeDb(std::sqrt(energy[s] * weight)) : kSilenceDb;
        start -= arc;
    }
    // Inputs beyond five share the spread of the last.
    for (uint32_t r = n; r < inputs; ++r) std::copy(out[n - 1], out[n - 1] + 8, out[r]);
}

void TwoDimensional(uint32_t channelMask, float pan, float frontRear, float centre, uint32_t rule, bool panning,
                    float (*out)[8]) {
    const uint32_t inputs = SxChannelCount(channelMask & ~SxChannelBitLFE);
    for (uint32_t r = 0; r < inputs; ++r) Fill(out[r], 0.0f);
    const bool speakers = rule != kRuleHeadphones;
    float g[8];
    switch (inputs) {
        case 1:
            if (panning)
                StereoLaw(pan, frontRear, centre, rule, out[0]);
            else
                StereoLaw(0.5f, 1.0f, centre, rule, out[0]);
            break;
        case 2:
            out[0][kFL] = out[1][kFR] = 1.0f;
            if (!panning) break;
            if (speakers) out[0][kRL] = out[1][kRR] = 1.0f;
            StereoLaw(pan, frontRear, 0.0f, rule, g);
            MultiplyRecords(out, 2, g);
            break;
        case 3:
            out[0][kFL] = out[1][kFR] = 1.0f;
            if (speakers)
                out[2][kC] = 1.0f;
            else
                out[2][kFL] = out[2][kFR] = 0.5f;
            if (!panning) break;
            ThreeFrontLaw(pan, frontRear, g);
            if (speakers) {
                out[0][kRL] = out[1][kRR] = 1.0f;
                out[2][kRL] = out[2][kRR] = 0.5f;
                MultiplyRecords(out, 3, g);
            } else {
                Fill(out[0], 0.0f);
                Fill(out[1], 0.0f);
                Fill(out[2], 0.0f);
                out[0][kFL] = std::sqrt(g[kFL] * g[kFL] + g[kRL] * g[kRL] / 2.0f);
                out[1][kFR] = std::sqrt(g[kFR] * g[kFR] + g[kRR] * g[kRR] / 2.0f);
                out[2][kFL] = kHalf * std::sqrt(g[kC] * g[kC] + g[kRL] * g[kRL] / 2.0f);
                out[2][kFR] = kHalf * std::sqrt(g[kC] * g[kC] + g[kRR] * g[kRR] / 2.0f);
            }
            break;
        case 4:
            out[0][kFL] = out[1][kFR] = 1.0f;
            if (speakers) {
                out[2][kRL] = out[3][kRR] = 1.0f;
            } else {
                out[2][kFL] = out[3][kFR] = kHalf;
            }
            if (!panning) break;
            StereoLaw(pan, frontRear, 0.0f, kRuleSpeakers, g);
            if (speakers) {
                MultiplyRecords(out, 4, g);
            } else {
                out[0][kFL] = g[kFL];
                out[1][kFR] = g[kFR];
                out[2][kFL] = kHalf * g[kRL];
                out[3][kFR] = kHalf * g[kRR];
            }
            break;
        default:
            if (inputs == 0) break;
            // Five full-range inputs, L, R, C, SL, SR; more share the last's record.
            out[0][kFL] = out[1][kFR] = 1.0f;
            if (speakers) {
                out[2][kC] = 1.0f;
                out[3][kRL] = out[4][kRR] = 1.0f;
            } else {
                out[2][kFL] = out[2][kFR] = kHalf;
                out[3][kFL] = out[4][kFR] = kHalf;
            }
            if (panning) {
                ThreeFrontLaw(pan, frontRear, g);
                if (speakers) {
                    MultiplyRecords(out, 5, g);
                } else {
                    out[0][kFL] = g[kFL];
                    out[1][kFR] = g[kFR];
                    out[2][kFL] = out[2][kFR] = kHalf * g[kC];
                    out[3][kFL] = kHalf * g[kRL];
                    out[4][kFR] = kHalf * g[kRR];
                }
            }
            for (uint32_t r = 5; r < inputs; ++r) std::copy(out[4], out[4] + 8, out[r]);
            break;
    }
}

}  // namespace SX::SxPanning
