#pragma once
// A timed scalar envelope: a natural cubic curve through three, four or five values, sampled
// at the seconds its own stopwatch has run since the envelope was set. The curve reaches value i
// at i seconds and holds the last value from then on; the durations are kept for the owner
// and do not stretch the curve.
#include <vector>

#include "core/Timer.h"

namespace SD {

class Curve {
public:
    // Values and durations interleaved: value 0, value 1, duration 0, value 2, duration 1, ...
    void Set(double v0, double v1, double d0, double v2, double d1);
    void Set(double v0, double v1, double d0, double v2, double d1, double v3, double d2);
    void Set(double v0, double v1, double d0, double v2, double d1, double v3, double d2, double v4, double d3);

    // The value at the stopwatch's elapsed seconds; 0 before any envelope is set.
    double Sample();

    const std::vector<double>& GetDurations() const { return durations_; }
    double GetTotalDuration() const { return totalDuration_; }

private:
    void Begin(std::vector<double> durations);

    std::vector<double> coefficients_;
    std::vector<double> durations_;
    double totalDuration_ = 0.0;
    Stopwatch stopwatch_;
};

}  // namespace SD
