#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "sound/plugins/studio/StudioFilterDesign.h"

using namespace SX;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 48000.0;
using C = std::complex<double>;

// The designed section's response at f, from its coefficients.
double Magnitude(const BiquadDesign& d, double f) {
    const C z1 = std::polar(1.0, -2.0 * kPi * f / kRate);
    const C num = d.b0 + d.b1 * z1 + d.b2 * z1 * z1;
    const C den = d.a0 + d.a1 * z1 + d.a2 * z1 * z1;
    return std::abs(num / den);
}

// The frequency axis of the bilinear transform: tan(pi f / rate).
double T(double f) { return std::tan(kPi * f / kRate); }

StudioDesignContext Context() {
    StudioDesignContext context;
    return context.Get(48000);
}

const double kProbe[] = {20, 100, 440, 1000, 3000, 9000, 15000, 21000};

TEST(StudioFilterDesignTest, FirstAndSecondOrderPassesFollowTheirPrototypes) {
    const StudioDesignContext ctx = Context();
    for (double fc : {50.0, 1000.0, 8000.0}) {
        for (double d : {1.414, 0.6, 0.24}) {
            const BiquadDesign lp1 = DesignLowPass1(ctx, fc), hp1 = DesignHighPass1(ctx, fc);
            const BiquadDesign lp2 = DesignLowPass2(ctx, fc, d), hp2 = DesignHighPass2(ctx, fc, d);
            for (double f : kProbe) {
                const double w = T(f) / T(fc);
                const double second = std::sqrt((1 - w * w) * (1 - w * w) + d * d * w * w);
                EXPECT_NEAR(Magnitude(lp1, f), 1 / std::sqrt(1 + w * w), 1e-9) << fc << " " << f;
                EXPECT_NEAR(Magnitude(hp1, f), w / std::sqrt(1 + w * w), 1e-9) << fc << " " << f;
                EXPECT_NEAR(Magnitude(lp2, f), 1 / second, 1e-9 / second + 1e-9) << fc << " " << d << " " << f;
                EXPECT_NEAR(Magnitude(hp2, f), w * w / second, 1e-9 * w * w / second + 1e-9)
                    << fc << " " << d << " " << f;
            }
            EXPECT_NEAR(Magnitude(lp2, fc), 1 / d, 1e-9) << "the damping sets the level at the cutoff";
        }
    }
    EXPECT_NEAR(20 * std::log10(Magnitude(DesignLowPass2(ctx, 1000, 1.414), 1000)), -3.0, 0.02);
}

TEST(StudioFilterDesignTest, BandPassIsTheProductOfItsTwoFirstOrderSections) {
    const StudioDesignContext ctx = Context();
    const BiquadDesign band = DesignBandPass1(ctx, 20, 4000);
    for (double f : kProbe) {
        const double h = T(f) / T(20), l = T(f) / T(4000);
        EXPECT_NEAR(Magnitude(band, f), h / std::sqrt(1 + h * h) / std::sqrt(1 + l * l), 1e-9) << f;
    }
    EXPECT_EQ(band.a0, 1.0);
}

TEST(StudioFilterDesignTest, FrequenciesAreHeldBetweenATenthOfAHertzFractionAndElevenTwentyFourths) {
    const StudioDesignContext ctx = Context();
    const struct {
        double asked, designed;
    } cases[] = {{30000, 22000}, {1e9, 22000}, {1, 10}, {-50, 10}, {NAN, 10}, {5000, 5000}};
    for (const auto& k : cases) {
        const BiquadDesign a = DesignLowPass2(ctx, k.asked, 1.0), b = DesignLowPass2(ctx, k.designed, 1.0);
        EXPECT_NEAR(a.b0, b.b0, 1e-15) << k.asked;
        EXPECT_NEAR(a.a1, b.a1, 1e-12) << k.asked;
    }
}

// The peak's prototype in the bilinear axis: (K2 - N T2 + j Bn K T) / (K2 - P T2 + j Bd K T).
double PeakPrototype(double fc, double q, double g, double shaping, double f) {
    const double w = fc / kRate, k = T(fc), t = T(f);
    const double a = std::pow(10, g / 20), b = (k + 1) / q, m = std::fabs(g) / shaping;
    double bn = b, bd = b, n = 1, p = 1;
    if (a >= 1) {
        bn = a * b;
        n = std::min(std::max((a * b * w + 1 - w) * m + 1 - m, 1.0), a);
    } else {
        bd = b / a;
        p = std::min(std::max((b / a * w + 1 - w) * m + 1 - m, 1.0), 1 / a);
    }
    return std::abs(C(k * k - n * t * t, bn * k * t) / C(k * k - p * t * t, bd * k * t));
}

TEST(StudioFilterDesignTest, PeaksFollowTheirPrototypeAndReturnToUnityAtZeroHertz) {
    const StudioDesignContext ctx = Context();
    const struct {
        double f, q, g;
    } cases[] = {{1000, 1, 6},     {336, 6.8, 4.1},   {5526.33, 16, -10.5},
                 {42.1, 0.4, -19}, {9941.65, 16, 18}, {2000, 2, 0}};
    for (const auto& k : cases) {
        const BiquadDesign peak = DesignPeak(ctx, k.f, k.q, k.g), wide = DesignPeakWide(ctx, k.f, k.q, k.g);
        for (double f : kProbe) {
            EXPECT_NEAR(Magnitude(peak, f), PeakPrototype(k.f, k.q, k.g, 18, f), 1e-7) << k.f << " " << k.g << " " << f;
            EXPECT_NEAR(Magnitude(wide, f), PeakPrototype(k.f, k.q, k.g, 12, f), 1e-7) << k.f << " " << k.g << " " << f;
        }
        EXPECT_NEAR(Magnitude(peak, 0.0), 1.0, 1e-9);
    }
    const BiquadDesign flat = DesignPeak(ctx, 700, 3, 0);
    EXPECT_DOUBLE_EQ(flat.b0, 1.0);
    EXPECT_DOUBLE_EQ(flat.b1, flat.a1);
    EXPECT_DOUBLE_EQ(flat.b2, flat.a2);
    const BiquadDesign boost = DesignPeak(ctx, 1000, 1, 12);
    EXPECT_NEAR(20 * std::log10(Magnitude(boost, 1000)), 12.0, 0.5) << "close to the gain at the centre";
}

// The shelves' prototypes: W K2 - b T2 + j Y K T over Wd K2 - b T2 + j Yd K T (low), and
// q - W K2 T2 + j Y K T over q - Wd K2 T2 + j Yd K T (high, K the cotangent).
struct Shelf {
    double w, y, wd, yd;
};
Shelf Terms(double b, double c, double blend) {
    const double g = std::pow(10, c / 20), s = std::sqrt(std::fabs(c) / 18),
                 e = std::sqrt(2.0) - 0.8 * std::pow(b, 0.25) * s;
    if (c > 0) return {g, std::sqrt(g) * e * blend + 1 - blend, 1, std::sqrt(2.0) * blend + 1 - blend};
    return {1, std::sqrt(2.0) * blend + 1 - blend, 1 / g, e / std::sqrt(g) * blend + 1 - blend};
}

TEST(StudioFilterDesignTest, ShelvesFollowTheirPrototypesWithTheGainAtTheirEnd) {
    const StudioDesignContext ctx = Context();
    const struct {
        double f, b, c;
    } cases[] = {{237, 0.75, 4.3}, {1350, 0.125, -15.5}, {443.25, 1.0, -13.01}, {3000, 2.0, 11.36}, {800, 0.025, -18}};
    for (const auto& k : cases) {
        const BiquadDesign low = DesignLowShelf(ctx, k.f, k.b, k.c), high = DesignHighShelf(ctx, k.f, k.b, k.c);
        const double kl = T(k.f), kh = 1 / T(k.f);
        const double q = std::max(0.85 * (1 - k.f / kRate), 0.015);
        const Shelf sl = Terms(k.b, k.c, 0.85), sh = Terms(k.b, k.c, q);
        for (double f : kProbe) {
            const double t = T(f);
            const double lowExpected = std::abs(C(sl.w * kl * kl - 0.85 * t * t, sl.y * kl * t) /
                                                C(sl.wd * kl * kl - 0.85 * t * t, sl.yd * kl * t));
            const double highExpected =
                std::abs(C(q - sh.w * kh * kh * t * t, sh.y * kh * t) / C(q - sh.wd * kh * kh * t * t, sh.yd * kh * t));
            EXPECT_NEAR(Magnitude(low, f), lowExpected, 1e-7 * lowExpected) << k.f << " " << k.c << " " << f;
            EXPECT_NEAR(Magnitude(high, f), highExpected, 1e-7 * highExpected) << k.f << " " << k.c << " " << f;
        }
        EXPECT_NEAR(Magnitude(low, 0), std::pow(10, k.c / 20), 1e-9) << "low shelf: the gain at 0 Hz";
        EXPECT_NEAR(Magnitude(low, kRate / 2), 1.0, 1e-9);
        EXPECT_NEAR(Magnitude(high, 0), 1.0, 1e-9);
        EXPECT_NEAR(Magnitude(high, kRate / 2), std::pow(10, k.c / 20), 1e-9) << "high shelf: the gain at Nyquist";
    }
    const BiquadDesign flat = DesignLowShelf(ctx, 500, 0.5, 0);
    for (double f : kProbe) EXPECT_NEAR(Magnitude(flat, f), 1.0, 1e-12) << "0 dB is unity";
}

}  // namespace
