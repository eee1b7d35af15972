#include "sound/plugins/studio/StudioFilterDesign.h"

#include <cmath>

namespace SX {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSqrt2 = 1.4142135623730951;

BiquadDesign Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    BiquadDesign d;
    d.b0 = b0 / a0;
    d.b1 = b1 / a0;
    d.b2 = b2 / a0;
    d.a1 = a1 / a0;
    d.a2 = a2 / a0;
    d.a0 = 1.0;
    return d;
}

double TanOf(const StudioDesignContext& context, double f) { return std::tan(kPi * NormalisedFrequency(context, f)); }

BiquadDesign Peak(const StudioDesignContext& context, double f, double q, double g, double shaping) {
    const double w = NormalisedFrequency(context, f);
    const double k = std::tan(kPi * w), k2 = k * k;
    const double a = std::pow(10.0, g * 0.05);
    const double b = (k + 1.0) / q;
    const double m = std::fabs(g) / shaping;
    double bn, bd, n, p;
    if (a >= 1.0) {
        bn = a * b;
        bd = b;
        p = 1.0;
        n = (a * b * w + 1.0 - w) * m + 1.0 - m;
        if (n < 1.0) n = 1.0;
        if (n > a) n = a;
    } else {
        bn = b;
        bd = b / a;
        n = 1.0;
        p = ((b / a) * w + 1.0 - w) * m + 1.0 - m;
        if (p < 1.0) p = 1.0;
        if (p > 1.0 / a) p = 1.0 / a;
    }
    return Normalised(k2 + bn * k + n, 2.0 * k2 - 2.0 * n, k2 - bn * k + n, k2 + bd * k + p, 2.0 * k2 - 2.0 * p,
                      k2 - bd * k + p);
}

// The four shelf terms: numerator and denominator weights of K2 (W, Wd) and of K (Y, Yd).
struct ShelfTerms {
    double w, y, wd, yd;
};

ShelfTerms Shelf(double b, double c, double blend) {
    const double g = std::pow(10.0, c * 0.05);
    const double s = std::sqrt(std::fabs(c) / 18.0);
    const double h = 0.5 * (-1.6 * std::pow(b, 0.25));
    const double e = kSqrt2 + h * s;
    if (c > 0.0) return {g, std::sqrt(g) * e * blend + 1.0 - blend, 1.0, kSqrt2 * blend + 1.0 - blend};
    return {1.0, kSqrt2 * blend + 1.0 - blend, 1.0 / g, (e / std::sqrt(g)) * blend + 1.0 - blend};
}

}  // namespace

double NormalisedFrequency(const StudioDesignContext& context, double f) {
    constexpr double kLow = 0.00020833333333333335, kHigh = 0.4583333333333333;
    const double w = f * context.invSampleRate;
    if (!(w >= kLow)) return kLow;
    return w > kHigh ? kHigh : w;
}

BiquadDesign DesignHighPass1(const StudioDesignContext& context, double f) {
    const double k = TanOf(context, f);
    return Normalised(1.0, -1.0, 0.0, k + 1.0, k - 1.0, 0.0);
}

BiquadDesign DesignLowPass1(const StudioDesignContext& context, double f) {
    const double k = TanOf(context, f);
    return Normalised(k, k, 0.0, k + 1.0, k - 1.0, 0.0);
}

BiquadDesign DesignHighPass2(const StudioDesignContext& context, double f, double d) {
    const double k = TanOf(context, f), k2 = k * k;
    return Normalised(1.0, -2.0, 1.0, 1.0 + d * k + k2, 2.0 * k2 - 2.0, 1.0 - d * k + k2);
}

BiquadDesign DesignLowPass2(const StudioDesignContext& context, double f, double d) {
    const double k = TanOf(context, f), k2 = k * k;
    return Normalised(k2, 2.0 * k2, k2, 1.0 + d * k + k2, 2.0 * k2 - 2.0, 1.0 - d * k + k2);
}

BiquadDesign DesignBandPass1(const StudioDesignContext& context, double f1, double f2) {
    const BiquadDesign h = DesignHighPass1(context, f1);
    const BiquadDesign l = DesignLowPass1(context, f2);
    BiquadDesign d;
    d.b0 = h.b0 * l.b0;
    d.b1 = h.b1 * l.b0 + l.b1 * h.b0;
    d.b2 = h.b1 * l.b1;
    d.a0 = 1.0;
    d.a1 = l.a1 + h.a1;
    d.a2 = l.a1 * h.a1;
    return d;
}

BiquadDesign DesignPeak(const StudioDesignContext& context, double f, double q, double gainDb) {
    return Peak(context, f, q, gainDb, 18.0);
}

BiquadDesign DesignPeakWide(const StudioDesignContext& context, double f, double q, double gainDb) {
    return Peak(context, f, q, gainDb, 12.0);
}

BiquadDesign DesignLowShelf(const StudioDesignContext& context, double f, double b, double gainDb) {
    const double k = TanOf(context, f), k2 = k * k;
    const double p = 0.85;
    const ShelfTerms t = Shelf(b, gainDb, p);
    return Normalised(t.w * k2 + t.y * k + p, 2.0 * t.w * k2 - 2.0 * p, t.w * k2 - t.y * k + p,
                      t.wd * k2 + t.yd * k + p, 2.0 * t.wd * k2 - 2.0 * p, t.wd * k2 - t.yd * k + p);
}

BiquadDesign DesignHighShelf(const StudioDesignContext& context, double f, double b, double gainDb) {
    const double w = NormalisedFrequency(context, f);
    const double k = std::tan(kPi / 2.0 - kPi * w), k2 = k * k;
    double q = 0.85 * (1.0 - w);
    if (q < 0.015) q = 0.015;
    const ShelfTerms t = Shelf(b, gainDb, q);
    return Normalised(t.w * k2 + t.y * k + q, 2.0 * q - 2.0 * t.w * k2, t.w * k2 - t.y * k + q,
                      t.wd * k2 + t.yd * k + q, 2.0 * q - 2.0 * t.wd * k2, t.wd * k2 - t.yd * k + q);
}

}  // namespace SX
