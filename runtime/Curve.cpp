#include "runtime/Curve.h"

#include "runtime/CurveSampling.h"

namespace SD {

void Curve::Begin(std::vector<double> durations) {
    durations_ = std::move(durations);
    totalDuration_ = 0.0;
    for (double d : durations_) totalDuration_ += d;
    coefficients_.clear();
    stopwatch_.Restart();
}

void Curve::Set(double v0, double v1, double d0, double v2, double d1) {
    Begin({d0, d1});
    FitNaturalCubic3(v0, v1, v2, coefficients_);
}

void Curve::Set(double v0, double v1, double d0, double v2, double d1, double v3, double d2) {
    Begin({d0, d1, d2});
    FitNaturalCubic4(v0, v1, v2, v3, coefficients_);
}

void Curve::Set(double v0, double v1, double d0, double v2, double d1, double v3, double d2, double v4, double d3) {
    Begin({d0, d1, d2, d3});
    FitNaturalCubic5(v0, v1, v2, v3, v4, coefficients_);
}

double Curve::Sample() { return EvaluateCurve(coefficients_, stopwatch_.GetTime()); }

}  // namespace SD
