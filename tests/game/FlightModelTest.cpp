// The flight step's three columns: the pad's, the body-tracking sensor's and the return to the
// world's differ in their pitch limits, the order of clamping and levelling the roll, the yaw
// factor and the nose term of the thrust.
#include <gtest/gtest.h>

#include "engine/Transform.h"
#include "game/player/FlightModel.h"

namespace {

using QV::FlightMode;

QV::FlightState Fast() {
    QV::FlightState s;
    s.acceleration = SD::Vec3(1000, 1000, 1000);
    s.damping = SD::Vec3(1, 1, 1);
    s.stabilize = 5;
    return s;
}

TEST(FlightModel, EachModeKeepsItsOwnPitchLimit) {
    const struct {
        FlightMode mode;
        float limit;
    } cases[] = {{FlightMode::kPad, 75}, {FlightMode::kKinect, 50}, {FlightMode::kReturn, 1e9f}};
    for (const auto& c : cases) {
        QV::FlightState s = Fast();
        SD::Transform transform;
        transform.SetPos({0, 1000, 0});
        for (int i = 0; i < 20; ++i) QV::StepFlight(s, transform, SD::Vec3(), 1, 0, 0.1f, c.mode);
        EXPECT_LE(s.angles.x, c.limit) << static_cast<int>(c.mode);
        if (c.mode != FlightMode::kReturn) {
            EXPECT_EQ(s.angles.x, c.limit);
        } else {
            EXPECT_GT(s.angles.x, 75.0f);
        }
    }
}

TEST(FlightModel, TheRollIsClampedBeforeLevellingOnlyOnThePad) {
    // A roll past the limit without lateral input: the pad clamps to 30 then levels (30 * 0.5);
    // the sensor and the return level first (40 * 0.5) and clamp after.
    const struct {
        FlightMode mode;
        float roll;
    } cases[] = {{FlightMode::kPad, 15}, {FlightMode::kKinect, 20}, {FlightMode::kReturn, 20}};
    for (const auto& c : cases) {
        QV::FlightState s = Fast();
        s.angles.z = 40;
        SD::Transform transform;
        transform.SetPos({0, 1000, 0});
        QV::StepFlight(s, transform, SD::Vec3(), 0, 0, 0.1f, c.mode);
        EXPECT_FLOAT_EQ(s.angles.z, c.roll) << static_cast<int>(c.mode);
    }
}

TEST(FlightModel, ReturningYawsHarderAndTheNoseTermsDiffer) {
    QV::FlightState pad = Fast();
    QV::FlightState back = Fast();
    SD::Transform a, b;
    a.SetPos({0, 1000, 0});
    b.SetPos({0, 1000, 0});
    QV::StepFlight(pad, a, SD::Vec3(), 0, 0.5f, 0.1f, FlightMode::kPad);
    QV::StepFlight(back, b, SD::Vec3(), 0, 0.5f, 0.1f, FlightMode::kReturn);
    EXPECT_FLOAT_EQ(pad.angularVelocity.y, 1000 * 0.5f * 0.1f * 1.7f);
    EXPECT_FLOAT_EQ(back.angularVelocity.y, 1000 * 0.5f * 0.1f * 2.0f);
    EXPECT_FLOAT_EQ(QV::NoseTerm(0.5f, FlightMode::kPad), -0.333f * 0.25f);
    EXPECT_FLOAT_EQ(QV::NoseTerm(-0.5f, FlightMode::kPad), 1.1f * 0.25f);
    EXPECT_FLOAT_EQ(QV::NoseTerm(-0.5f, FlightMode::kKinect), 0.45f * 0.25f);
    EXPECT_FLOAT_EQ(QV::SignedSquare(-0.5f), -0.25f);
}

TEST(FlightModel, ADegenerateOrientationKeepsTheLastFacing) {
    QV::FlightState s = Fast();
    s.angles = SD::Vec3(std::nanf(""), 0, 0);
    SD::Transform transform;
    transform.SetPos({0, 1000, 0});
    const SD::Vec3 facing = QV::StepFlight(s, transform, SD::Vec3(), 0, 0, 0.1f, FlightMode::kPad);
    EXPECT_EQ(facing, SD::Vec3(0, 0, 1));
}

}  // namespace
