// The follow camera behind a vehicle in a small world, frame by frame of one fixed step each: it
// starts the maximum distance behind, keeps the speed-dependent distance while following however
// long a frame is, never produces non-numbers however its target stands, glides away to another
// target, circles it and comes back, and leaves its state alone when a script only renames the
// target.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayTestSupport.h"
#include "core/Matrix.h"

namespace {

using namespace playtest;

constexpr float kDt = static_cast<float>(SD::FixedSteps::kStep);

class FollowCameraTest : public PlayFixture {
protected:
    FollowCameraTest() {
        Blueprints(VehicleBlueprint("Vehicle") + Blueprint("Marker", TransformXml({})) +
                   Blueprint("Cam", TransformXml({}) + FollowCameraXml("Player", 10, 30, 5)) +
                   Blueprint("MarkerCam", TransformXml({}) + FollowCameraXml("Marker", 10, 30, 5)) +
                   Blueprint("StillCam", TransformXml({}) + FollowCameraXml("Marker", 0, 0, 0)) +
                   Blueprint("LostCam", TransformXml({}) + FollowCameraXml("Nobody", 10, 30, 5)));
    }
    static QV::VernholmCameraLogic* CameraOf(SD::GameObject* object) {
        return Get<QV::VernholmCameraLogic>(object, SD::CID_VernholmCameraLogic);
    }
    static void ExpectSane(SD::GameObject* camera, const char* what) {
        EXPECT_TRUE(Finite(camera->GetTransform().GetLocalPos())) << what;
        EXPECT_TRUE(Finite(camera->GetTransform().GetOrient())) << what;
    }
};

TEST_F(FollowCameraTest, TheCameraStartsBehindAndKeepsTheFollowDistanceOfAStillVehicle) {
    SD::GameObject* player = Spawn("Vehicle", "Player");
    Play(1, kDt);  // the vehicle's transform follows its body to the reset position
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    // Right after initialisation: the maximum radius behind along the vehicle's facing.
    EXPECT_EQ(camera->GetTransform().GetLocalPos(), SD::Vec3(0, 1000, -30));
    EXPECT_EQ(CameraOf(camera)->GetState(), QV::VernholmCameraLogic::kFollow);
    // A still vehicle leads by the minimum speed: r = 10 + (30 - 10) * 5 / 60 behind, a step
    // being a sixtieth of a second.
    const float distance = 10.0f + 20.0f * 5.0f / 60.0f;
    for (int i = 0; i < 40; ++i) {
        Play(1, kDt);
        const SD::Vec3 offset = player->GetTransform().GetLocalPos() - camera->GetTransform().GetLocalPos();
        ASSERT_NEAR(offset.Length(), distance, 1e-3f) << i;
        ExpectSane(camera, "still");
    }
    EXPECT_NEAR(camera->GetTransform().GetDir().Dot(SD::Vec3(0, 0, 1)), 1.0f, 1e-4f);
    // A long frame is so many steps: the camera stands where it stood.
    Play(1, 1.0f);
    EXPECT_NEAR((player->GetTransform().GetLocalPos() - camera->GetTransform().GetLocalPos()).Length(), distance,
                1e-3f);
}

TEST_F(FollowCameraTest, DegenerateTargetsNeverProduceNonNumbers) {
    SD::GameObject* marker = Spawn("Marker", "Marker", {0, 0, 0});
    const struct {
        const char* camera;
        SD::Mtx33 orientation;
        SD::Vec3 position;
        const char* what;
    } cases[] = {
        // Facing straight up or down with the up axis along the view: the camera sits exactly
        // below or above its target.
        {"MarkerCam", SD::Mtx33(1, 0, 0, 0, 1, 1, 0, 0, 0), {0, 0, 0}, "over the camera"},
        {"MarkerCam", SD::Mtx33(1, 0, 0, 0, 1, -1, 0, 0, 0), {0, 50, 0}, "under the camera"},
        // No distance at all: the camera sits on its target.
        {"StillCam", SD::Mtx33::Identity(), {0, 0, 0}, "on the target"},
        // A zero orientation has no axes to follow.
        {"MarkerCam", SD::Mtx33::Zero(), {3, 4, 5}, "no axes"},
    };
    for (const auto& c : cases) {
        marker->GetTransform().SetOrient(c.orientation);
        marker->GetTransform().SetPos(c.position);
        SD::GameObject* camera = Spawn(c.camera, "PlayerCam");
        Play(30, kDt);
        ExpectSane(camera, c.what);
        factory.DestroyGameObject(camera);
        factory.Update(0);
    }
}

// A vehicle pitched steeply up or down is watched from a shallow slope behind it, looking on no
// steeper, so the horizon stays in the picture.
TEST_F(FollowCameraTest, ASteepDiveOrClimbIsWatchedFromAShallowSlope) {
    SD::GameObject* marker = Spawn("Marker", "Marker", {0, 500, 0});
    auto slope = [](const SD::Vec3& v) { return std::fabs(v.y) / std::sqrt(v.x * v.x + v.z * v.z); };
    for (float pitch : {-0.9f, 0.9f}) {
        marker->GetTransform().SetOrient(SD::Mtx33::RotationX(pitch));
        ASSERT_GT(slope(marker->GetTransform().GetDir()), 1.0f) << pitch;
        SD::GameObject* camera = Spawn("MarkerCam", "PlayerCam");
        Play(60, kDt);
        ExpectSane(camera, "steep");
        EXPECT_LE(slope(marker->GetTransform().GetLocalPos() - camera->GetTransform().GetLocalPos()), 0.1501f) << pitch;
        EXPECT_LE(slope(camera->GetTransform().GetDir()), 0.1501f) << pitch;
        factory.DestroyGameObject(camera);
        factory.Update(0);
    }
}

TEST_F(FollowCameraTest, AVisitGlidesAwayCirclesTheTargetOnceAndReturns) {
    SD::GameObject* player = Spawn("Vehicle", "Player");
    SD::GameObject* flower = Spawn("Marker", "Flower", {200, 1000, 0});
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    QV::VernholmCameraLogic* follow = CameraOf(camera);
    Play(2, kDt);
    follow->SetTarget(flower);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kLeave);
    Play(1, kDt);
    EXPECT_FALSE(PlayerOf(player)->GetControlsEnabled());
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kApproach);
    Play(59, kDt);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kOrbit);
    // One turn at 3 radians a second: the orbit ends on the first step past 2 pi, the 126th.
    Play(125, kDt);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kOrbit);
    Play(1, kDt);
    EXPECT_EQ(follow->GetTarget(), player);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kReturn);
    Play(119, kDt);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kGlide);
    EXPECT_FALSE(PlayerOf(player)->GetControlsEnabled());
    Play(1, kDt);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kFollow);
    EXPECT_TRUE(PlayerOf(player)->GetControlsEnabled());
    ExpectSane(camera, "after the visit");

    // Renaming the target from a script changes only the target.
    follow->SetTargetName("Flower");
    EXPECT_EQ(follow->GetTarget(), flower);
    EXPECT_EQ(follow->GetState(), QV::VernholmCameraLogic::kFollow);
    follow->SetTargetName("Nobody");
    EXPECT_EQ(follow->GetTarget(), flower);
}

TEST_F(FollowCameraTest, ACameraWithoutItsTargetWaitsWhereItStarted) {
    SD::GameObject* camera = Spawn("LostCam", "PlayerCam");
    EXPECT_EQ(camera->GetTransform().GetLocalPos(), SD::Vec3(0, 0, -30));
    Play(5, kDt);
    EXPECT_EQ(camera->GetTransform().GetLocalPos(), SD::Vec3(0, 0, -30));
    // A stale target also leaves it alone.
    SD::GameObject* marker = Spawn("Marker", "Marker", {0, 0, 100});
    CameraOf(camera)->SetTargetName("Marker");
    factory.DestroyGameObject(marker);
    factory.Update(0);
    Play(5, kDt);
    EXPECT_EQ(camera->GetTransform().GetLocalPos(), SD::Vec3(0, 0, -30));
}

TEST_F(FollowCameraTest, TheChaseCameraKeepsItsSpeedDependentDistance) {
    const struct {
        float speed;
        float distance;
    } cases[] = {{-50, 7.8f}, {0, 7.8f}, {10, 7.8f}, {50, 11.0f}, {100, 15.0f}, {400, 15.0f}};
    for (const auto& c : cases) EXPECT_NEAR(QV::ObscuraCameraLogic::Distance(c.speed), c.distance, 1e-5f) << c.speed;

    Blueprints(Blueprint("Chase", TransformXml({}) + Header("ObscuraCameraLogic", 0) + "</ObscuraCameraLogic>"));
    SD::GameObject* player = Spawn("Vehicle", "Player");
    Play(1, kDt);
    SD::GameObject* chase = Spawn("Chase", "ChaseCam", {0, 1000, -50});
    auto* logic = Get<QV::ObscuraCameraLogic>(chase, SD::CID_ObscuraCamera);
    EXPECT_EQ(logic->GetSpringPoint(), SD::Vec3(0, 1000, 0));
    Play(1, kDt);
    EXPECT_NEAR((player->GetTransform().GetLocalPos() - chase->GetTransform().GetLocalPos()).Length(), 7.8f, 1e-4f);
    // The camera straight behind and level with its spring point sees it with no roll.
    Play(10, kDt);
    EXPECT_TRUE(Finite(chase->GetTransform().GetOrient()));
    EXPECT_NEAR(chase->GetTransform().GetDir().z, 1.0f, 1e-4f);
}

// A level makes its cameras before the play state makes the vehicle, and each visit makes a new
// one: the chase camera waits where it stands, then follows whichever vehicle there is.
TEST_F(FollowCameraTest, TheChaseCameraFindsTheVehicleMadeAfterItAndEachNewOne) {
    Blueprints(Blueprint("Chase", TransformXml({}) + Header("ObscuraCameraLogic", 0) + "</ObscuraCameraLogic>"));
    SD::GameObject* chase = Spawn("Chase", "ChaseCam", {0, 10, -50});
    auto* logic = Get<QV::ObscuraCameraLogic>(chase, SD::CID_ObscuraCamera);
    Play(5, kDt);
    EXPECT_EQ(logic->GetTarget(), nullptr);
    EXPECT_EQ(chase->GetTransform().GetLocalPos(), SD::Vec3(0, 10, -50));
    for (const SD::Vec3 at : {SD::Vec3(0, 1000, 0), SD::Vec3(500, 800, 0)}) {
        SD::GameObject* player = Spawn("Vehicle", "Player");
        Place(player, at);
        Play(1, kDt);
        EXPECT_EQ(logic->GetTarget(), player);
        EXPECT_EQ(logic->GetSpringPoint(), at);
        EXPECT_NEAR((chase->GetTransform().GetLocalPos() - at).Length(), 7.8f, 1e-3f);
        factory.DestroyGameObject(player);
        factory.Update(0);
    }
}

TEST_F(FollowCameraTest, TheDataBarShowsItsValueOfTheInitialWidthOnce) {
    Blueprints(Blueprint("Bar", TransformXml({}, {4, 2, 1}) + Header("DataBarController", 0) +
                                    FloatXml("working bar value", 0.5f) + FloatXml("max current value can take", 0) +
                                    "</DataBarController>") +
               Blueprint("OddBar", TransformXml({}, {4, 2, 1}) + Header("DataBarController", 3) +
                                       FloatXml("working bar value", 0.5f) + "</DataBarController>"));
    SD::GameObject* bar = Spawn("Bar", "Bar");
    auto* data = Get<QV::DataBarController>(bar, SD::CID_DataBarController);
    EXPECT_EQ(bar->GetTransform().GetScale(), SD::Vec3(2, 2, 1));
    EXPECT_EQ(data->GetInitialScaleX(), 4.0f);
    // A bar with no maximum shows no fraction rather than dividing by zero.
    EXPECT_EQ(data->GetFraction(), 0.0f);
    // A data version it does not know reads nothing: a bar of no width.
    EXPECT_EQ(Spawn("OddBar", "Odd")->GetTransform().GetScale(), SD::Vec3(0, 2, 1));
}

}  // namespace

namespace {

using namespace playtest;

class MouseCameraTest : public PlayFixture {
protected:
    MouseCameraTest() {
        Register<QV::PimselCamera>("PimselCamera", SD::CID_PimselMouse);
        Blueprints(Blueprint("Mouse", TransformXml({})) + Blueprint("Cursor", TransformXml({})));
    }
};

TEST_F(MouseCameraTest, TheThreeDMouseTurnsAboveItsThresholdMovesAlongTheOldAxesAndCarriesTheCursor) {
    SD::GameObject* object = Spawn("Mouse", "Mouse");
    // Flown directly: the camera is not registered with a renderer here.
    auto* mouse = static_cast<QV::PimselCamera*>(object->AddComponent(SD::CID_PimselMouse));
    mouse->SetOwner(object);
    SD::Transform& transform = object->GetTransform();
    mouse->Fly({0.0005f, 0.0005f, 0.0f}, {}, 1.0f);
    EXPECT_EQ(transform.GetOrient(), SD::Mtx33::Identity());
    EXPECT_EQ(transform.GetLocalPos(), SD::Vec3());
    // Translation (tx, ty, tz) moves s*tx right, -s*tz up and -s*ty along the facing, s = |t| * dt * 600.
    mouse->Fly({}, {0.0f, 0.5f, 0.0f}, 0.1f);
    EXPECT_NEAR(transform.GetLocalPos().z, -0.5f * 0.1f * 600 * 0.5f, 1e-3f);
    SD::GameObject* cursor = Spawn("Cursor", "LE_Cursor");
    mouse->Fly({0.0f, 0.3f, 0.0f}, {}, 0.1f);
    EXPECT_NE(transform.GetOrient(), SD::Mtx33::Identity());
    const SD::Vec3 expected = transform.GetLocalPos() + transform.GetDir() * 100.0f;
    EXPECT_NEAR((cursor->GetTransform().GetLocalPos() - expected).Length(), 0.0f, 1e-3f);
}

}  // namespace
