#pragma once
// The simulation's clock: game time handed out in equal steps, whatever the frame rate. What a
// frame leaves short of a whole step is carried over to the next frame, so the same seconds make
// the same steps at sixty frames a second or at eight.
#include <vector>

namespace SD {

class ISystem;

class FixedSteps {
public:
    // The length of one step: the physics runs two substeps of half of it, as it did once a
    // frame at sixty frames a second.
    static constexpr double kStep = 1.0 / 60.0;

    // Adds a frame's game time; returns how many whole steps are due now. Time within a
    // microsecond of a whole step counts as one, so that sixty frames of a sixtieth of a second,
    // each rounded to the clock's counts, make sixty steps.
    int Advance(double seconds);
    // The time carried over, less than one step.
    double Behind() const { return behind_; }

private:
    double behind_ = 0.0;
};

// Runs that many steps, each calling FixedUpdate on every system in order: the core's frame, and
// the tests and benchmarks that build a frame from a few systems, step alike.
void RunFixedSteps(int steps, const std::vector<ISystem*>& systems);

}  // namespace SD
