// Floating and spinning objects built from blueprints and run frame by frame: how they move,
// when they stand still, and what each data version reads.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldTestSupport.h"
#include "engine/PlayStateQuery.h"
#include "support/PlayStateDouble.h"

namespace {

using namespace worldtest;

uint32_t g_playState = 0;

class FloatingSpinningTest : public WorldFixture {
protected:
    FloatingSpinningTest() {
        g_playState = 0;
        Blueprints(Blueprint("Bobber", TransformXml({}) + Header("FloatingLogic", 1) + FloatXml("Move Extent", 2) +
                                           FloatXml("Move Speed", 3) + "</FloatingLogic>") +
                   Blueprint("OldBobber", TransformXml({}) + Header("FloatingLogic", 0) + FloatXml("Move Extent", 2) +
                                              FloatXml("Move Speed", 3) + "</FloatingLogic>") +
                   Blueprint("Player", TransformXml({})) + Spinner("Spinner", 1, 2.0f, false, 10.0f, 1.0f) +
                   Spinner("Started", 2, 1.0f, true, 0.0f, 0.0f) + Spinner("OddAxis", 7, 1.0f, true, 0.0f, 0.0f));
    }
    qvtest::PlayStateDouble playStateQuery{g_playState};

    static std::string Spinner(const char* name, int axis, float speed, bool started, float distance, float time) {
        return Blueprint(name, TransformXml({}) + Header("SpinningLogic", 0) + IntXml("Spin Axis", axis) +
                                   FloatXml("Spin Speed", speed) + BoolXml("Start Spinning", started) +
                                   FloatXml("Activation Distance", distance) + FloatXml("Activation Time", time) +
                                   "</SpinningLogic>");
    }
    static float Angle(SD::GameObject* object, int row, int column) {
        return object->GetTransform().GetOrient()(row, column);
    }
};

TEST_F(FloatingSpinningTest, AFloatingObjectBobsAboutItsStartAndHoldsStillWhenNotRunning) {
    SD::GameObject* bobber = Spawn("Bobber", "Bobber", {1, 10, -2});
    auto* logic = Get<QV::FloatingLogic>(bobber, SD::CID_Floating);
    ASSERT_NE(logic, nullptr);
    EXPECT_FLOAT_EQ(logic->GetMoveDelta(), 2.0f);
    EXPECT_FLOAT_EQ(logic->GetMoveSpeed(), 3.0f);
    // The sine uses the time before the frame's step: the first frame stays at the start.
    const float dt = 0.1f;
    for (int frame = 0; frame < 5; ++frame) {
        Frame(dt);
        const SD::Vec3 p = bobber->GetTransform().GetLocalPos();
        EXPECT_NEAR(p.y, 10.0f + 2.0f * std::sin(3.0f * dt * frame), 1e-4f) << frame;
        EXPECT_FLOAT_EQ(p.x, 1.0f);
        EXPECT_FLOAT_EQ(p.z, -2.0f);
    }
    const SD::Vec3 before = bobber->GetTransform().GetLocalPos();
    for (uint32_t state : {1u, 2u}) {
        g_playState = state;
        Frame(dt);
        EXPECT_EQ(bobber->GetTransform().GetLocalPos(), before) << state;
    }
    g_playState = 0;
    Frame(dt);  // time did not advance while paused: the sixth step follows the fifth
    EXPECT_NEAR(bobber->GetTransform().GetLocalPos().y, 10.0f + 2.0f * std::sin(3.0f * dt * 5), 1e-4f);

    logic->VRestoreStartState();
    EXPECT_EQ(bobber->GetTransform().GetLocalPos(), SD::Vec3(1, 10, -2));
    Frame(dt);
    EXPECT_FLOAT_EQ(bobber->GetTransform().GetLocalPos().y, 10.0f);
}

TEST_F(FloatingSpinningTest, VersionZeroDataKeepsTheDefaults) {
    auto* logic = Get<QV::FloatingLogic>(Spawn("OldBobber", "Old"), SD::CID_Floating);
    ASSERT_NE(logic, nullptr);
    EXPECT_FLOAT_EQ(logic->GetMoveDelta(), 5.0f);
    EXPECT_FLOAT_EQ(logic->GetMoveSpeed(), 5.0f);
}

TEST_F(FloatingSpinningTest, ASpinnerWaitsForThePlayerThenRampsUpToFullSpeed) {
    SD::GameObject* spinner = Spawn("Spinner", "Spinner", {0, 0, 0});
    auto* logic = Get<QV::SpinningLogic>(spinner, SD::kSpinningLogicID);
    ASSERT_NE(logic, nullptr);
    Frame(0.25f);
    EXPECT_FALSE(logic->GetSpinStarted()) << "no player";
    SD::GameObject* player = Spawn("Player", "Player", {20, 0, 0});
    Frame(0.25f);
    EXPECT_FALSE(logic->GetSpinStarted()) << "too far";
    player->GetTransform().SetPos({0, 9.9f, 0});
    Frame(0.25f);
    EXPECT_TRUE(logic->GetSpinStarted());
    EXPECT_FLOAT_EQ(Angle(spinner, 0, 0), 1.0f) << "the spin begins on the next update";
    // Ramp over one second about local Y: angles 0, 0.125, 0.25, 0.375, then full 0.5 per frame.
    float total = 0.0f;
    const float steps[] = {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.5f};
    for (float step : steps) {
        Frame(0.25f);
        total += step;
        EXPECT_NEAR(std::atan2(Angle(spinner, 0, 2), Angle(spinner, 0, 0)), total, 1e-4f) << total;
    }
    // Once started it never waits again, player or not.
    player->Destroy();
    Frame(0.25f);
    EXPECT_NEAR(std::atan2(Angle(spinner, 0, 2), Angle(spinner, 0, 0)), total + 0.5f, 1e-4f);
    logic->VRestoreStartState();
    EXPECT_FLOAT_EQ(Angle(spinner, 0, 0), 1.0f);
}

TEST_F(FloatingSpinningTest, NoActivationTimeSpinsAtFullSpeedAndAnOddAxisSpinsNothing) {
    SD::GameObject* started = Spawn("Started", "Started");
    SD::GameObject* odd = Spawn("OddAxis", "Odd");
    Frame(0.5f);
    EXPECT_NEAR(std::atan2(Angle(started, 1, 0), Angle(started, 0, 0)), 0.5f, 1e-4f) << "about local Z";
    EXPECT_FLOAT_EQ(Angle(odd, 0, 0), 1.0f);
    EXPECT_FLOAT_EQ(Angle(odd, 1, 1), 1.0f);
    g_playState = 2;
    Frame(0.5f);
    EXPECT_NEAR(std::atan2(Angle(started, 1, 0), Angle(started, 0, 0)), 0.5f, 1e-4f) << "not while editing";
}

}  // namespace
