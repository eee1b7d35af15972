// A wind's strength: steady from its power or its velocity, or following a smooth curve through
// values one second apart whose peak is its power; still while the level is edited.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"

namespace {

using namespace worldtest;

class WindStrengthTest : public WorldLogicFixture {};

TEST_F(WindStrengthTest, ACurveReachesItsValuesASecondApartAndHoldsTheLast) {
    const struct {
        const char* what;
        void (*set)(QV::Wind&);
        float power;
        float at[4];  // strength at 0, 1, 2 and 5 s
    } cases[] = {
        {"three", [](QV::Wind& w) { w.SetStrengthCurve3(0, 900, 0.3f, 0, 3); }, 900, {0, 900, 0, 0}},
        {"four", [](QV::Wind& w) { w.SetStrengthCurve4(10, 20, 1, 30, 1, 40, 1); }, 40, {10, 20, 30, 40}},
        {"five", [](QV::Wind& w) { w.SetStrengthCurve5(-5, -1, 1, -3, 1, -2, 1, -4, 1); }, -1, {-5, -1, -3, -4}},
    };
    for (const auto& c : cases) {
        QV::Wind wind;
        wind.SetDirection({0, 2, 0});
        c.set(wind);
        EXPECT_TRUE(wind.IsCurveDriven()) << c.what;
        EXPECT_EQ(wind.GetPower(), c.power) << c.what;
        const double steps[] = {0, 1, 1, 3};
        for (int i = 0; i < 4; ++i) {
            clock.Advance(steps[i]);
            EXPECT_NEAR(wind.GetStrength(), c.at[i], 1e-3f) << c.what << " " << i;
        }
        // The force follows the direction as given, doubled by its length of 2.
        EXPECT_NEAR(wind.GetVector().y, 2 * c.at[3], 1e-3f) << c.what;
        // While the level is edited every wind is still, and the curve's clock runs on.
        PlayState() = SD::kPlayStateDevPause;
        EXPECT_EQ(wind.GetStrength(), 0.0f);
        EXPECT_EQ(wind.GetVector(), SD::Vec3());
        PlayState() = SD::kPlayStatePlay;
        wind.SetPower(7);
        EXPECT_FALSE(wind.IsCurveDriven());
        EXPECT_EQ(wind.GetStrength(), 7.0f);
    }
}

TEST_F(WindStrengthTest, AVelocityGivesAUnitDirectionAndItsLengthAsPower) {
    QV::Wind wind;
    wind.SetVelocity({0, 3, 4});
    EXPECT_EQ(wind.GetPower(), 5.0f);
    EXPECT_NEAR(wind.GetDirection().y, 0.6f, 1e-6f);
    EXPECT_NEAR(wind.GetDirection().z, 0.8f, 1e-6f);
    // A calm has no strength and no non-numbers.
    wind.SetVelocity({0, 0, 0});
    EXPECT_EQ(wind.GetPower(), 0.0f);
    EXPECT_EQ(wind.GetVector(), SD::Vec3());
}

}  // namespace
