#pragma once
// The numbers that shape the season cycle and the storm: how fast each season blends in, how
// clear the water is, how dark a storm makes the sky and how its lightning flashes. The
// season system reads them from here and the tests check the world against them.
#include "core/Vector.h"

namespace QV {

// One blend of a season weight: from, to, over that many seconds.
struct SeasonBlend {
    float from;
    float to;
    double seconds;
};

struct SeasonTuning {
    // Summer comes in three blends (stages 3, 6 and 7), fall in one (stage 8), winter in one
    // that starts a while into the last stage.
    SeasonBlend summerFirst{0.0f, 0.333f, 2.5};
    SeasonBlend summerSecond{0.3f, 0.667f, 2.5};
    SeasonBlend summerLast{0.667f, 1.0f, 2.5};
    SeasonBlend fall{0.0f, 1.0f, 4.5};
    SeasonBlend winter{0.0f, 1.0f, 13.0};
    float winterDelaySeconds = 3.0f;
    float grassGrowthSeconds = 4.5f;

    // The water's opacity: clear in spring, murky in summer, between the two in the rain.
    float springWaterAlpha = 0.1f;
    float summerWaterAlpha = 0.75f;
    float rainWaterAlpha = 0.25f;
};

struct StormTuning {
    // At full darkness the ambient light and the fog keep these shares of their colour.
    float darkestAmbient = 0.4f;
    float darkestFog = 0.625f;
    // Each frame the shown colours move this share of the way to the target.
    float colourFollow = 0.1f;

    // A lightning strike lasts the minimum plus up to the extra, and flashes on one frame in
    // flashOneIn while it lasts.
    float strikeMinSeconds = 0.35f;
    float strikeExtraSeconds = 0.4f;
    int flashOneIn = 8;
    SD::Vec4 flashAmbient{1.3f, 1.3f, 1.3f, 1.3f};
    SD::Vec4 flashFog{0.1f, 0.1f, 0.1f, 1.0f};
    // Where a strike happens (anywhere in the box), and how far each flash lies from it.
    SD::Vec3 strikeLow{-15000.0f, 8000.0f, -15000.0f};
    SD::Vec3 strikeHigh{15000.0f, 15000.0f, 15000.0f};
    SD::Vec3 flashSpread{2000.0f, 1000.0f, 2000.0f};
};

inline const SeasonTuning kSeasonTuning{};
inline const StormTuning kStormTuning{};

}  // namespace QV
