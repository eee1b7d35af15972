#pragma once
// Natural cubic curves through equally spaced samples y0 .. y(n-1) at t = 0 .. n-1, kept as
// n + 2 coefficients of the truncated power basis with knots at 1 .. n-2:
//   S(t) = c0 + c1 t + c2 t^2 + c3 t^3 + sum_k c(k+3) (t - k)^3 for t >= k.
#include <vector>

namespace SD {

// Appends the n + 2 coefficients of the fit to `coefficients`; false (nothing appended) for
// fewer than two samples.
bool FitNaturalCubic(const std::vector<double>& samples, std::vector<double>& coefficients);
bool FitNaturalCubic3(double y0, double y1, double y2, std::vector<double>& coefficients);
bool FitNaturalCubic4(double y0, double y1, double y2, double y3, std::vector<double>& coefficients);
bool FitNaturalCubic5(double y0, double y1, double y2, double y3, double y4, std::vector<double>& coefficients);

// S(t) and S''(t) with t clamped to [0, n - 1]; 0 for a list too short to be a curve.
double EvaluateCurve(const std::vector<double>& coefficients, double t);
double EvaluateCurveSecondDerivative(const std::vector<double>& coefficients, double t);

}  // namespace SD
