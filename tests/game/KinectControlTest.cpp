#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "HudTestSupport.h"
#include "core/EngineCore.h"
#include "engine/Level.h"
#include "game/player/KinectControl.h"
#include "platform/sensor/ScriptedSensor.h"
#include "runtime/GameStateManager.h"
#include "runtime/Kinect.h"

namespace {

using QV::KinectGesture;
using SD::Vec3;

TEST(KinectGesture, HandsGiveYawThrottleAndPitch) {
    struct Case {
        const char* what;
        Vec3 l, r;
        float yaw, throttle, pitch;
    };
    const Case cases[] = {
        {"crossed, right hand higher: full yaw that way", {0.1f, 0.1f, 0}, {-0.1f, 0.3f, 0}, 1.0f, 0.0f, 0.0f},
        {"crossed, left hand higher", {0.1f, 0.3f, 0}, {-0.1f, 0.1f, 0}, -1.0f, 0.0f, 0.0f},
        // Both left: yaw from the left hand's outer offset times 7; throttle from the reach.
        {"both hands left", {-0.1f, 0.0f, 0}, {-0.05f, 0.0f, 0}, -0.7f, 0.03f, 0.0f},
        {"both hands far right", {0.3f, 0.0f, 0}, {0.4f, 0.0f, 0}, 1.0f, 0.48f, 0.0f},
        // Pushed forward 0.3: throttle 0.9; raised hands pitch up by 2.3 m^2.
        {"pushed with raised hands", {-0.3f, 0.2f, -0.3f}, {0.3f, 0.2f, -0.3f}, 0.0f, 0.9f, 0.092f},
        {"pushed far: throttle capped", {-0.3f, 0.0f, -0.8f}, {0.3f, 0.0f, -0.8f}, 0.0f, 1.75f, 0.0f},
        {"raised hands, not pushed: no pitch", {-0.3f, 0.2f, 0}, {0.3f, 0.2f, 0}, 0.0f, 0.0f, 0.0f},
        {"tilted hands steer by the slope", {-0.3f, 0.0f, 0}, {0.3f, 0.3f, 0}, 0.1665f, 0.0f, 0.0f},
        {"one hand above the other: no slope", {0.0f, -0.1f, 0}, {0.0f, 0.2f, 0}, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float ramp = 0.2f;
        const KinectGesture g = QV::ReadKinectGesture(c.l, c.r, ramp);
        EXPECT_NEAR(g.yaw, c.yaw, 1e-4f);
        EXPECT_NEAR(g.throttle, c.throttle, 1e-4f);
        EXPECT_NEAR(g.pitch, c.pitch, 1e-4f);
        EXPECT_FALSE(std::isnan(g.yaw));
    }
}

TEST(KinectGesture, TheRampClimbsWhileHandsAskForThrustAndRestsAtAHalfOtherwise) {
    float ramp = 0.2f;
    // Hands down and close together: the ramp is the throttle.
    const Vec3 l(-0.1f, -0.1f, 0.0f), r(0.1f, -0.1f, 0.0f);
    EXPECT_NEAR(QV::ReadKinectGesture(l, r, ramp).throttle, 0.2075f, 1e-5f);
    EXPECT_NEAR(QV::ReadKinectGesture(l, r, ramp).throttle, 0.215f, 1e-5f);
    QV::ReadKinectGesture(Vec3(-0.3f, 0, 0), Vec3(0.3f, 0, 0), ramp);
    EXPECT_EQ(ramp, 0.5f);
}

// The sensor HUD and the hand reading with a scripted sensor and the sample HUD pieces.
class KinectHud : public hudtest::HudFixture {
protected:
    KinectHud() : core(SD::Core::CreateInstance()) {}
    void SetUp() override {
        platform::sensor::AttachRuntime(&sensor);
        Start();
        const char* const pieces[][2] = {
            {"Hud/KinectImage", "KinectImage"},       {"Hud/KinectImage2", "KinectImage1_2"},
            {"Hud/KinectImage3", "KinectImage1_3"},   {"Hud/KinectImage", "KinectImage2"},
            {"Hud/KinectImage2", "KinectImage2_2"},   {"Hud/KinectImage3", "KinectImage2_3"},
            {"Hud/KinectTriangle", "KinectTriangle"}, {"Hud/KinectCircle", "KinectCircle"},
            {"Hud/KinectError", "KinectError"},
        };
        for (const auto& piece : pieces) {
            SD::GameObject* object = factory.CreateObject(piece[0], nullptr);
            ASSERT_NE(object, nullptr) << piece[0];
            object->NameObject(piece[1]);
            object->Initialize(false);
        }
        states.RegisterLevel(new Menu(), "MainMenu");
        kinect = SD::Kinect_::GetInstance();
        kinect->Initialize();
        control.CreatePulseRings();
        control.playNote = [this] { ++notes; };
    }
    void TearDown() override {
        kinect->Shutdown();
        SD::Kinect_::DestroyInstance();
        platform::sensor::AttachRuntime(nullptr);
    }
    // The body at (x, 0, z) from the sensor with the hands at the given offsets.
    void Stand(float x, float z, Vec3 left, Vec3 right) {
        platform::sensor::SkeletonFrame frame;
        auto& body = frame.skeletons[0];
        body.trackingState = platform::sensor::kStateTracked;
        body.joints[SD::Kinect_::kHipCentre] = {x, -0.2f, z, 1};
        body.joints[SD::Kinect_::kShoulderCentre] = {x, 0.2f, z, 1};
        body.joints[SD::Kinect_::kLeftHand] = {x + left.x, left.y, z + left.z, 1};
        body.joints[SD::Kinect_::kRightHand] = {x + right.x, right.y, z + right.z, 1};
        ASSERT_TRUE(sensor.DeliverFrame(frame));
        ASSERT_TRUE(kinect->WaitForFrames(++delivered, 10000));
        kinect->Update(0.0f);
    }
    void PlugIn() {
        sensor.Plug();
        kinect->Update(0.0f);
        ASSERT_TRUE(kinect->IsConnected());
    }
    void Step(float dt = 0.016f) {
        ASSERT_TRUE(control.StepHud(dt, true));
        control.StepInput(dt);
        factory.Update(dt);
    }

    class Menu : public SD::Level {
    public:
        void Load() override {}
        void Unload() override {}
        void Update(float) override {}
    };

    // The tint on the named object's sprite.
    Vec3 Tint(const char* name) {
        SD::GameObject* object = Named(name);
        Aperture::Sprite* sprite = object ? QV::SpriteOf(*object) : nullptr;
        return sprite ? sprite->GetTint() : Vec3(-1.0f, -1.0f, -1.0f);
    }

    std::unique_ptr<SD::Core> core;
    SD::GameStateManager_ states;
    platform::sensor::ScriptedSensor sensor{false};
    SD::Kinect_* kinect = nullptr;
    uint64_t delivered = 0;
    QV::KinectControl control;
    int notes = 0;
};

TEST_F(KinectHud, APlayerOutOfPlaceIsNotCentredAndGetsNoGesture) {
    PlugIn();
    Stand(0.5f, 2.0f, Vec3(-0.3f, 0.2f, -0.4f), Vec3(0.3f, 0.2f, -0.4f));  // too far right
    Step();
    EXPECT_FALSE(control.IsCentred());
    EXPECT_EQ(Tint("KinectTriangle"), Vec3(0.65f, 0.0f, 0.0f));
    EXPECT_EQ(control.StepInput(0.016f).throttle, 0.0f);

    Stand(0.0f, 2.0f, Vec3(-0.3f, 0.2f, -0.4f), Vec3(0.3f, 0.2f, -0.4f));
    Step();
    EXPECT_TRUE(control.IsCentred());
    EXPECT_EQ(Tint("KinectTriangle"), Vec3(0.0f, 7.5f, 0.0f));
    EXPECT_NEAR(control.StepInput(0.016f).throttle, 1.2f, 1e-5f);
    // The circle shows where the player stands: (0.8 + 0.05, 0.1 + 0.025).
    const Vec3& circle = Named("KinectCircle")->GetTransform().GetLocalPos();
    EXPECT_NEAR(circle.x, 0.85f, 1e-5f);
    EXPECT_NEAR(circle.y, 0.125f, 1e-5f);
}

TEST_F(KinectHud, AMovingHandPlaysOneNoteAndStartsTheNextRing) {
    PlugIn();
    Stand(0.0f, 2.0f, Vec3(-0.1f, 0.0f, 0.0f), Vec3(0.1f, 0.0f, 0.0f));
    Step();  // centred from now on
    Step();
    const int before = notes;
    const int ring = control.GetNextRing();
    for (int i = 0; i < 5; ++i) Step();
    EXPECT_EQ(notes, before) << "still hands play nothing";
    Stand(0.0f, 2.0f, Vec3(-0.1f, 0.0f, 0.0f), Vec3(0.4f, 0.2f, 0.0f));
    Step();
    EXPECT_EQ(notes, before + 1);
    EXPECT_EQ(control.GetNextRing(), (ring + 1) % QV::KinectControl::kRingCount);
    SD::GameObject* pulse = control.GetRing(ring);
    ASSERT_NE(pulse, nullptr);
    EXPECT_NEAR(QV::GetSpriteOpacity(pulse), 1.0f, 1e-5f);
    Step();
    EXPECT_NEAR(QV::GetSpriteOpacity(pulse), 0.91f, 1e-5f) << "the ring fades as it grows";
    EXPECT_EQ(notes, before + 1);
}

TEST_F(KinectHud, TwentySecondsWithoutAPlayerLeadBackToTheMenuOnlyWithASensor) {
    for (int i = 0; i < 1300; ++i) Step();  // no sensor: nobody waits for a player
    EXPECT_EQ(states.GetPendingLevel(), nullptr);
    EXPECT_GT(control.GetIdleTime(), QV::KinectControl::kIdleSecondsToMenu);
    PlugIn();
    for (int i = 0; i < 1240 && !states.GetPendingLevel(); ++i) Step();
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
    EXPECT_EQ(control.GetIdleTime(), 0.0f);
}

}  // namespace
