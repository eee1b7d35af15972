#include "graphics/SkyBlend.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// The weights follow the order of the seasons: each transition mixes the next season's texture
// over what the earlier ones left, as the sky effect once did in four steps; the two textures the
// sky reads give the same sky whenever no more than two weigh anything.
TEST(SkyBlend, TheTwoHeaviestSeasonsAndTheirShareAcrossTheTransitions) {
    struct Case {
        std::array<float, 3> transitions;
        std::array<float, 4> weights;
        int from, to;
        float mix;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f, 0.0f}, 0, 0, 0.0f},      // spring
        {{0.25f, 0.0f, 0.0f}, {0.75f, 0.25f, 0.0f, 0.0f}, 0, 1, 0.25f},  // into summer
        {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, 1, 1, 0.0f},      // summer
        {{1.0f, 0.6f, 0.0f}, {0.0f, 0.4f, 0.6f, 0.0f}, 1, 2, 0.6f},      // into fall
        {{1.0f, 1.0f, 0.5f}, {0.0f, 0.0f, 0.5f, 0.5f}, 2, 3, 0.5f},      // into winter
        {{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 3, 3, 0.0f},      // winter hides the rest
        {{-1.0f, 2.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, 2, 2, 0.0f},     // clamped to 0 to 1
        // Three at once: the lightest (spring's 0.2) is left out.
        {{0.6f, 0.5f, 0.0f}, {0.2f, 0.3f, 0.5f, 0.0f}, 1, 2, 0.625f},
    };
    for (const Case& c : cases) {
        const std::array<float, 4> weights = Aperture::SkyWeights(c.transitions);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(weights[i], c.weights[i], 1e-6f) << "season " << i;
        const Aperture::SkyBlend blend = Aperture::ChooseSkyBlend(c.transitions);
        EXPECT_EQ(blend.from, c.from) << c.transitions[0] << " " << c.transitions[1] << " " << c.transitions[2];
        EXPECT_EQ(blend.to, c.to) << c.transitions[0] << " " << c.transitions[1] << " " << c.transitions[2];
        EXPECT_NEAR(blend.mix, c.mix, 1e-6f) << c.transitions[0] << " " << c.transitions[1] << " " << c.transitions[2];
    }
}

}  // namespace
