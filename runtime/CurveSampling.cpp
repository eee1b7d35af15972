#include "runtime/CurveSampling.h"

#include "core/DenseMatrix.h"

namespace SD {
namespace {

double Cube(double x) { return x * x * x; }

// Clamps t to the curve's parameter range [0, n - 1].
double ClampParameter(const std::vector<double>& c, double t) {
    double last = static_cast<double>(c.size()) - 3.0;
    if (t < 0.0) return 0.0;
    if (t > last) return last;
    return t;
}

}  // namespace

bool FitNaturalCubic(const std::vector<double>& samples, std::vector<double>& coefficients) {
    const uint32_t n = static_cast<uint32_t>(samples.size());
    if (n < 2) return false;
    const uint32_t rows = n + 2, columns = n + 3;
    std::vector<double> m(static_cast<size_t>(rows) * columns, 0.0);
    DenseMatrix matrix(m.data(), rows, columns);
    for (uint32_t i = 0; i < n; ++i) {
        double t = i;
        matrix.At(i, 0) = 1.0;
        matrix.At(i, 1) = t;
        matrix.At(i, 2) = t * t;
        matrix.At(i, 3) = t * t * t;
        for (uint32_t k = 1; k + 1 < n; ++k)
            if (i >= k) matrix.At(i, k + 3) = Cube(t - k);
        matrix.At(i, columns - 1) = samples[i];
    }
    // Natural ends: the second derivative is 0 at t = 0 and at t = n - 1.
    matrix.At(n, 2) = 2.0;
    matrix.At(n + 1, 2) = 2.0;
    matrix.At(n + 1, 3) = 6.0 * (n - 1);
    for (uint32_t k = 1; k + 1 < n; ++k) matrix.At(n + 1, k + 3) = 6.0 * (n - 1 - k);
    matrix.ReduceRows();
    for (uint32_t r = 0; r < rows; ++r) coefficients.push_back(matrix.At(r, columns - 1));
    return true;
}

bool FitNaturalCubic3(double y0, double y1, double y2, std::vector<double>& coefficients) {
    return FitNaturalCubic({y0, y1, y2}, coefficients);
}

bool FitNaturalCubic4(double y0, double y1, double y2, double y3, std::vector<double>& coefficients) {
    return FitNaturalCubic({y0, y1, y2, y3}, coefficients);
}

bool FitNaturalCubic5(double y0, double y1, double y2, double y3, double y4, std::vector<double>& coefficients) {
    return FitNaturalCubic({y0, y1, y2, y3, y4}, coefficients);
}

double EvaluateCurve(const std::vector<double>& c, double t) {
    if (c.size() < 4) return 0.0;
    t = ClampParameter(c, t);
    double s = c[0] + c[1] * t + c[2] * t * t + c[3] * t * t * t;
    for (size_t k = 1; k + 3 < c.size(); ++k) {
        double d = t - static_cast<double>(k);
        if (d >= 0.0) s += c[k + 3] * d * d * d;
    }
    return s;
}

double EvaluateCurveSecondDerivative(const std::vector<double>& c, double t) {
    if (c.size() < 4) return 0.0;
    t = ClampParameter(c, t);
    double s = 2.0 * c[2] + 6.0 * c[3] * t;
    for (size_t k = 1; k + 3 < c.size(); ++k) {
        double d = t - static_cast<double>(k);
        if (d >= 0.0) s += 6.0 * c[k + 3] * d;
    }
    return s;
}

}  // namespace SD
