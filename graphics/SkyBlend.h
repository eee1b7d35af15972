#pragma once
// Which of the four seasons' sky textures the sky shows. The three transitions blend them in the
// order of the seasons (spring's, then each transition mixes in the next season's by its value);
// the sky reads two textures a pixel instead of four, the two that weigh most in that blend.
#include <array>

#include "core/Season.h"

namespace Aperture {

struct SkyBlend {
    // Seasons' textures by index: spring 0 to winter 3; `from` is never a later season than `to`.
    int from = 0;
    int to = 0;
    // The share of `to` in the shown sky, 0 to 1.
    float mix = 0.0f;
};

// Each season's texture's weight in the blend of the transitions (each clamped to 0 to 1).
std::array<float, SD::kSeasonCount> SkyWeights(const std::array<float, SD::kSeasonTransitionCount>& transitions);

// The blend's two heaviest textures; exact whenever at most two weigh anything, as in a season or
// one transition under way.
SkyBlend ChooseSkyBlend(const std::array<float, SD::kSeasonTransitionCount>& transitions);

}  // namespace Aperture
