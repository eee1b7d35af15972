// Entrances played by the spawn logic, run frame by frame on a manual clock: growing in after
// a delay, rising out of the ground, fading a sprite in, holding it and fading it out, a twirl,
// the developer pause, and what unknown or missing data does.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldTestSupport.h"
#include "engine/ChangeActiveState.h"
#include "core/Random.h"
#include "engine/PlayStateQuery.h"
#include "game/hud/HudSprites.h"
#include "support/PlayStateDouble.h"

namespace {

using namespace worldtest;

uint32_t g_playState = 0;

std::string SpawnLogicXml(int version, const char* action, float duration, float delay, float sink = 0.0f) {
    std::string xml = Header("SpawnLogic", version);
    if (version == 2) xml += FloatXml("SinkDepth", sink);
    if (version == 1 || version == 2)
        xml += FloatXml("Duration", duration) + FloatXml("Initial Delay", delay) + StringXml("Action", action);
    return xml + "</SpawnLogic>";
}

class SpawnLogicTest : public WorldFixture {
protected:
    SpawnLogicTest() {
        g_playState = 0;
        Blueprints(Blueprint("Flower", TransformXml({}, {2, 2, 2}) + SpawnLogicXml(2, "ScaleIn", 1.0f, 2.0f)) +
                   Blueprint("Rock", TransformXml({}) + SpawnLogicXml(2, "RiseUp", 1.0f, 0.0f, 10.0f)) +
                   Blueprint("Banner", TransformXml({}) + SpawnLogicXml(1, "FadeIn", 1.0f, 0.0f)) +
                   Blueprint("Leaf", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f) +
                                         SpawnLogicXml(1, "Twirl", 1.0f, 0.0f)) +
                   Blueprint("Idle", TransformXml({}) + SpawnLogicXml(2, "", 1.0f, 0.0f)) +
                   Blueprint("Odd", TransformXml({}) + SpawnLogicXml(2, "Explode", 1.0f, 0.0f)) +
                   Blueprint("Old", TransformXml({}) + SpawnLogicXml(0, "ScaleIn", 3.0f, 4.0f)));
    }
    qvtest::PlayStateDouble playStateQuery{g_playState};

    static QV::SpawnLogic* LogicOf(SD::GameObject* object) { return Get<QV::SpawnLogic>(object, SD::CID_SpawnLogic); }
    void ChangeState(int to) {
        SD::ChangeActiveState change(to, static_cast<int>(g_playState));
        g_playState = static_cast<uint32_t>(to);
        SD::Message_System::GetInstance()->SendMessage(change);
    }
};

TEST_F(SpawnLogicTest, ScaleInWaitsItsDelayThenGrowsLinearlyAndBrightensDown) {
    SD::GameObject* flower = factory.CreateObject("Flower", nullptr);
    GiveGeometry(flower, SD::Vec4(0.5f, 0.25f, 0.1f, 1.0f));
    flower->Initialize(false);
    EXPECT_EQ(flower->GetTransform().GetScale(), SD::Vec3(0, 0, 0)) << "hidden from the start";
    for (int frame = 0; frame < 8; ++frame) {
        Frame(0.25f);
        EXPECT_EQ(flower->GetTransform().GetScale(), SD::Vec3(0, 0, 0)) << "waiting, frame " << frame;
    }
    // The grow starts on the ninth frame; each later frame adds a quarter.
    std::vector<float> scales;
    for (int frame = 0; frame < 6; ++frame) {
        Frame(0.25f);
        scales.push_back(flower->GetTransform().GetScale().x);
    }
    EXPECT_EQ(scales, (std::vector<float>{0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.0f}));
    EXPECT_EQ(LogicOf(flower)->GetQueuedCount(), 0u) << "finished and dropped";
    // At t = 0.75 the colour is its own; earlier it was brighter.
    EXPECT_FLOAT_EQ(GeometryColour(flower).x, 0.5f);
    EXPECT_FLOAT_EQ(GeometryColour(flower).w, 1.0f);
}

// A played-out entrance, restarted, plays again from its beginning: hidden, its delay, the same
// growth; a rock sinks back and rises to the same height, not beyond it.
TEST_F(SpawnLogicTest, ARestartPlaysTheEntranceAgainFromItsBeginning) {
    SD::GameObject* flower = Spawn("Flower", "Flower");
    SD::GameObject* rock = Spawn("Rock", "Rock", {5, 20, 5});
    EXPECT_FALSE(LogicOf(flower)->HasStarted());
    for (int frame = 0; frame < 16; ++frame) Frame(0.25f);
    ASSERT_FLOAT_EQ(flower->GetTransform().GetScale().x, 2.0f);
    ASSERT_NEAR(rock->GetTransform().GetLocalPos().y, 20.0f, 1e-4f);
    EXPECT_TRUE(LogicOf(flower)->HasStarted());
    EXPECT_TRUE(LogicOf(rock)->HasStarted());

    LogicOf(flower)->Restart();
    LogicOf(rock)->Restart();
    EXPECT_FALSE(LogicOf(flower)->HasStarted());
    EXPECT_EQ(flower->GetTransform().GetScale(), SD::Vec3(0, 0, 0));
    EXPECT_FLOAT_EQ(rock->GetTransform().GetLocalPos().y, 10.0f);
    for (int frame = 0; frame < 8; ++frame) Frame(0.25f);
    EXPECT_EQ(flower->GetTransform().GetScale(), SD::Vec3(0, 0, 0)) << "the delay again";
    std::vector<float> scales;
    for (int frame = 0; frame < 6; ++frame) {
        Frame(0.25f);
        scales.push_back(flower->GetTransform().GetScale().x);
    }
    EXPECT_EQ(scales, (std::vector<float>{0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.0f}));
    EXPECT_NEAR(rock->GetTransform().GetLocalPos().y, 20.0f, 1e-4f);
    EXPECT_EQ(LogicOf(rock)->GetQueuedCount(), 0u);
}

TEST_F(SpawnLogicTest, ANegativeDurationIsStoredAsZeroAndTheEntranceKeepsItsSecond) {
    SD::GameObject* flower = Spawn("Flower", "Flower");
    QV::SpawnLogic* logic = LogicOf(flower);
    logic->SetDuration(-1.0f);
    EXPECT_FLOAT_EQ(logic->GetDuration(), 0.0f);
    logic->SetDelay(0.0f);
    std::vector<float> scales;
    for (int frame = 0; frame < 6; ++frame) {
        Frame(0.25f);
        scales.push_back(flower->GetTransform().GetScale().x);
    }
    EXPECT_EQ(scales, (std::vector<float>{0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.0f}));
}

TEST_F(SpawnLogicTest, SetDelayRestartsTheRunningDelay) {
    SD::GameObject* flower = Spawn("Flower", "Flower");
    for (int frame = 0; frame < 4; ++frame) Frame(0.25f);  // half the delay of 2.0 gone
    LogicOf(flower)->SetDelay(2.0f);
    for (int frame = 0; frame < 8; ++frame) Frame(0.25f);
    EXPECT_EQ(flower->GetTransform().GetScale(), SD::Vec3(0, 0, 0));
    Frame(0.25f);
    Frame(0.25f);
    EXPECT_FLOAT_EQ(flower->GetTransform().GetScale().x, 0.5f);
}

TEST_F(SpawnLogicTest, ARockRisesFromItsSunkPositionAndTheEditorSeesItWhereItEnds) {
    SD::GameObject* rock = Spawn("Rock", "Rock", {5, 20, 5});
    // Spawn placed it after reading; the start state sinks it from where it stands.
    QV::SpawnLogic* logic = LogicOf(rock);
    EXPECT_FLOAT_EQ(rock->GetTransform().GetLocalPos().y, 10.0f);
    EXPECT_EQ(logic->GetRestingPosition(), SD::Vec3(5, 20, 5));
    ChangeState(2);
    EXPECT_FLOAT_EQ(rock->GetTransform().GetLocalPos().y, 20.0f) << "shown at its final height";
    EXPECT_EQ(rock->GetTransform().GetScale(), SD::Vec3(1, 1, 1));
    Frame(0.25f);
    EXPECT_FLOAT_EQ(rock->GetTransform().GetLocalPos().y, 20.0f) << "nothing plays while editing";
    ChangeState(0);
    EXPECT_FLOAT_EQ(rock->GetTransform().GetLocalPos().y, 10.0f) << "hidden again: the rise had not started";
    EXPECT_EQ(rock->GetTransform().GetScale(), SD::Vec3(0, 0, 0));
    float lowest = 10.0f;
    for (int frame = 0; frame < 6; ++frame) {
        Frame(0.25f);
        lowest = std::fmin(lowest, rock->GetTransform().GetLocalPos().y);
    }
    EXPECT_LT(lowest, 10.0f) << "the log curve starts below the sunk position";
    EXPECT_NEAR(rock->GetTransform().GetLocalPos().y, 20.0f, 1e-4f);
    EXPECT_EQ(rock->GetTransform().GetScale(), SD::Vec3(1, 1, 1));
    EXPECT_TRUE(logic->HasStarted());
}

TEST_F(SpawnLogicTest, ABannerFadesInHoldsFifteenSecondsFromItsStartAndFadesOut) {
    SD::GameObject* banner = factory.CreateObject("Banner", nullptr);
    banner->Initialize(false);
    std::vector<float> opacity;
    for (int frame = 0; frame < 6; ++frame) {
        Frame(0.25f);
        opacity.push_back(QV::GetSpriteOpacity(banner));
    }
    EXPECT_EQ(opacity, (std::vector<float>{0.0f, 0.375f, 0.75f, 1.125f, 1.5f, 1.5f}));
    // The fade-out starts on the first update past 15.0 s after the fade-in began.
    int frame = 6;
    while (QV::GetSpriteOpacity(banner) == 1.5f && frame < 200) {
        Frame(0.25f);
        ++frame;
    }
    EXPECT_EQ(frame, 63);
    for (int i = 0; i < 5; ++i) Frame(0.25f);
    EXPECT_FLOAT_EQ(QV::GetSpriteOpacity(banner), 0.0f);
    EXPECT_EQ(LogicOf(banner)->GetQueuedCount(), 0u);
    EXPECT_FALSE(LogicOf(banner)->HasStarted());
}

TEST_F(SpawnLogicTest, ATwirlPushesTheBodyAndEndsWithinSixSeconds) {
    SD::SetRandomState(SD::kRandomStartState);
    SD::GameObject* leaf = Spawn("Leaf", "Leaf");
    Frame(0.25f);
    const SD::Vec3 force = Get<Gedankenexperiment::Body>(leaf, SD::CID_Body)->GetForce();
    EXPECT_GT(force.LengthSq(), 0.0f);
    for (float f : {force.x, force.y, force.z}) {
        EXPECT_LE(std::fabs(f), 5.0f);
    }
    int frames = 1;
    while (LogicOf(leaf)->GetQueuedCount() > 0 && frames < 100) {
        Frame(0.25f);
        ++frames;
    }
    EXPECT_GE(frames, 8);
    EXPECT_LE(frames, 25);
}

TEST_F(SpawnLogicTest, AnEmptyOrUnknownActionKeepsTheObjectHiddenAndAnOldVersionReadsNothing) {
    SD::GameObject* idle = Spawn("Idle", "Idle");
    SD::GameObject* odd = Spawn("Odd", "Odd");
    SD::GameObject* old = Spawn("Old", "Old");
    for (int frame = 0; frame < 8; ++frame) Frame(0.25f);
    EXPECT_EQ(idle->GetTransform().GetScale(), SD::Vec3(0, 0, 0));
    EXPECT_EQ(odd->GetTransform().GetScale(), SD::Vec3(0, 0, 0));
    EXPECT_EQ(LogicOf(odd)->GetQueuedCount(), 0u);
    EXPECT_FLOAT_EQ(LogicOf(old)->GetDuration(), 1.0f);
    EXPECT_FLOAT_EQ(LogicOf(old)->GetDelay(), 0.0f);
    EXPECT_STREQ(LogicOf(old)->GetActionName(), "");
}

}  // namespace
