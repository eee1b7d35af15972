#include "graphics/SkyBlend.h"

#include <algorithm>

namespace Aperture {

std::array<float, SD::kSeasonCount> SkyWeights(const std::array<float, SD::kSeasonTransitionCount>& transitions) {
    std::array<float, SD::kSeasonCount> weights{};
    // Walking back from winter: each transition takes its share of what the later ones left.
    float left = 1.0f;
    for (int i = SD::kSeasonTransitionCount - 1; i >= 0; --i) {
        const float t = std::clamp(transitions[i], 0.0f, 1.0f);
        weights[i + 1] = left * t;
        left *= 1.0f - t;
    }
    weights[0] = left;
    return weights;
}

SkyBlend ChooseSkyBlend(const std::array<float, SD::kSeasonTransitionCount>& transitions) {
    const std::array<float, SD::kSeasonCount> weights = SkyWeights(transitions);
    int first = 0;
    for (int i = 1; i < SD::kSeasonCount; ++i)
        if (weights[i] > weights[first]) first = i;
    int second = -1;
    for (int i = 0; i < SD::kSeasonCount; ++i)
        if (i != first && weights[i] > 0.0f && (second < 0 || weights[i] > weights[second])) second = i;
    SkyBlend blend;
    if (second < 0) {
        blend.from = blend.to = first;
        return blend;
    }
    blend.from = std::min(first, second);
    blend.to = std::max(first, second);
    blend.mix = weights[blend.to] / (weights[blend.from] + weights[blend.to]);
    return blend;
}

}  // namespace Aperture
