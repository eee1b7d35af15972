#include "core/FixedSteps.h"

#include "core/System.h"

namespace SD {
namespace {
constexpr double kRoundingSlack = 1e-6;
}

int FixedSteps::Advance(double seconds) {
    if (seconds > 0.0) behind_ += seconds;
    int steps = 0;
    while (behind_ + kRoundingSlack >= kStep) {
        behind_ -= kStep;
        ++steps;
    }
    if (behind_ < 0.0) behind_ = 0.0;
    return steps;
}

void RunFixedSteps(int steps, const std::vector<ISystem*>& systems) {
    const auto step = static_cast<float>(FixedSteps::kStep);
    for (int i = 0; i < steps; ++i)
        for (ISystem* system : systems) system->FixedUpdate(step);
}

}  // namespace SD
