// The player's vehicle in a small world, flown by held keys frame by frame: it rests without
// input, turns and pitches as the flight model integrates the squared inputs, thrusts along
// its facing, ramps its speed on a held throttle, keeps its angles within their limits, is
// pushed by strong winds only, reads only the data of the versions it knows, and with a
// body-tracking sensor flies by the hands' gesture.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayTestSupport.h"
#include "core/Matrix.h"
#include "game/editor/EditorScene.h"
#include "graphics/Graphics.h"
#include "platform/sensor/ScriptedSensor.h"
#include "runtime/Kinect.h"
#include "support/ExpectNear.h"

namespace {

using qvtest::ExpectNear;

using namespace playtest;

constexpr float kDt = 0.1f;
// A frame of one fixed step: the vehicle flies one step of the flight model per frame.
constexpr float kStep = static_cast<float>(SD::FixedSteps::kStep);
constexpr float kPi = 3.14159265358979f;

// The angles the flight model gives for a run of steps with the same input, from the
// per-step rules: acceleration, damping as damping^dt, integration, clamps, stabilisation.
struct Expected {
    SD::Vec3 omega;
    SD::Vec3 angles;

    void Steps(int count, float p, float y, const Flight& f) {
        for (int i = 0; i < count; ++i) {
            omega.y += f.acceleration.y * y * kStep * 1.7f;
            omega.x += f.acceleration.x * p * kStep * 1.7f;
            const bool back = (angles.z < -15 && y > 0) || (angles.z > 15 && y < 0);
            omega.z += (f.acceleration.z + (back ? 200.0f : 0.0f)) * y * kStep;
            omega.x *= std::pow(f.damping.x, kStep);
            omega.y *= std::pow(f.damping.y, kStep);
            omega.z *= std::pow(f.damping.z, kStep);
            angles += omega * kStep;
            angles.z = std::fmax(-30.0f, std::fmin(30.0f, angles.z));
            angles.x = std::fmax(-75.0f, std::fmin(75.0f, angles.x));
            if (y == 0.0f) angles.z *= std::fmax(0.0f, 1.0f - f.stabilize * kStep);
        }
    }
    SD::Vec3 Facing() const {
        const SD::Mtx33 m = SD::Mtx33::RotationY(angles.y * kPi / 180) * SD::Mtx33::RotationX(angles.x * kPi / 180) *
                            SD::Mtx33::RotationZ(-angles.z * kPi / 180);
        return m.GetColumn(2).GetNormalized();
    }
};

class PlayerTest : public PlayFixture {
protected:
    PlayerTest() {
        Flight heavy;
        heavy.mass = 1000;  // slow enough to stay within the playable area
        Blueprints(VehicleBlueprint("Vehicle") + VehicleBlueprint("Heavy", heavy) +
                   VehicleBlueprint("OldVehicle", Flight(), 3) + VehicleBlueprint("UnknownVehicle", Flight(), 2) +
                   Blueprint("ObjectTemplates/WindStream", TransformXml({})) +
                   Blueprint("ObjectTemplates/WindSphere", TransformXml({}) + SphereXml(1, 0, true) + WindXml(1, 100)));
    }
    static std::string WindXml(float power, float duration) {
        return Header("WindLogic", 0) + Vec3Xml("Direction", 1, 0, 0) + FloatXml("Power", power) +
               FloatXml("Duration", duration) + BoolXml("Imortal", false) + "</WindLogic>";
    }
    SD::GameObject* SpawnPlayer(const char* blueprint = "Vehicle") { return Spawn(blueprint, "Player"); }
};

// As the controls screen and the README say, the keys work as a flight stick: W and Up push the
// nose down and the vehicle dives, S and Down pull it up and it climbs.
TEST_F(PlayerTest, WAndUpDiveSAndDownClimb) {
    const struct {
        uint32_t key;
        float up;  // +1 climbs, -1 dives
    } cases[] = {{SD::key_W, -1.0f}, {SD::key_UP, -1.0f}, {SD::key_S, 1.0f}, {SD::key_DOWN, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        SD::GameObject* player = SpawnPlayer();
        keys = {c.key, SD::key_SPACE};
        Play(10, kDt);
        keys.clear();
        EXPECT_GT(c.up * player->GetTransform().GetDir().y, 0.1f) << "the nose";
        EXPECT_GT(c.up * (player->GetTransform().GetLocalPos().y - 1000.0f), 1.0f) << "the height";
        factory.DestroyGameObject(player);
        factory.Update(0);
    }
}

TEST_F(PlayerTest, WithoutInputTheVehicleStaysAtRest) {
    SD::GameObject* player = SpawnPlayer();
    ASSERT_NE(PlayerOf(player), nullptr);
    Play(30, kDt);
    EXPECT_EQ(player->GetTransform().GetLocalPos(), SD::Vec3(0, 1000, 0));
    EXPECT_EQ(BodyOf(player)->GetVelocity(), SD::Vec3());
    EXPECT_EQ(PlayerOf(player)->GetFlight().angles, SD::Vec3());
    EXPECT_EQ(player->GetTransform().GetDir(), SD::Vec3(0, 0, 1));
}

TEST_F(PlayerTest, AScriptedKeySequenceGivesTheWorkedAnglesHeadingAndThrust) {
    SD::GameObject* player = SpawnPlayer();
    QV::PlayerLogic* logic = PlayerOf(player);
    Expected expected;
    const Flight flight;

    // A frame of half a second is thirty steps.
    keys = {SD::key_W};  // nose input +1, squared: +1
    Play(1, 0.5f);
    expected.Steps(30, 1, 0, flight);
    ExpectNear(logic->GetFlight().angularVelocity, expected.omega, 1e-3f, "after the pitch");
    ExpectNear(logic->GetFlight().angles, expected.angles, 1e-3f, "after the pitch");

    keys = {SD::key_D};  // turn input +1: yaw and roll
    Play(30, kStep);
    expected.Steps(30, 0, 1, flight);
    ExpectNear(logic->GetFlight().angles, expected.angles, 1e-3f, "after the turn");
    EXPECT_GT(expected.angles.z, 0.0f);

    // The throttle alone: the roll levels out and the body is pushed along the facing.
    keys = {SD::key_SPACE};
    Play(24, kStep);
    expected.Steps(24, 0, 0, flight);
    ExpectNear(logic->GetFlight().angles, expected.angles, 1e-3f, "with the throttle");
    const SD::Vec3 facing = expected.Facing();
    ExpectNear(player->GetTransform().GetDir().GetNormalized(), facing, 1e-4f, "heading");
    ExpectNear(logic->GetFacing(), facing, 1e-4f, "facing");

    const SD::Vec3 before = BodyOf(player)->GetForce();
    Play(1, kStep);
    expected.Steps(1, 0, 0, flight);
    const SD::Vec3 f = expected.Facing();
    const float c = f.y > 0 ? -0.333f * f.y * f.y : 1.1f * f.y * f.y;
    ExpectNear(BodyOf(player)->GetForce() - before, f * (500.0f * (1.0f + c)), 0.05f, "thrust of one step");

    // Frame by frame the vehicle moves the way it faces.
    const SD::Vec3 velocity = BodyOf(player)->GetVelocity();
    EXPECT_GT(velocity.Dot(f), 0.9f * velocity.Length());
    EXPECT_GT((player->GetTransform().GetLocalPos() - SD::Vec3(0, 1000, 0)).Dot(f), 0.0f);
}

TEST_F(PlayerTest, AnglesStayWithinTheirLimitsAndARollLevelsOutWithoutTurnInput) {
    SD::GameObject* player = SpawnPlayer();
    QV::PlayerLogic* logic = PlayerOf(player);
    keys = {SD::key_W, SD::key_D};
    Play(100, kDt);
    EXPECT_FLOAT_EQ(logic->GetFlight().angles.x, 75.0f);
    EXPECT_FLOAT_EQ(logic->GetFlight().angles.z, 30.0f);
    keys = {SD::key_S, SD::key_A};
    Play(200, kDt);
    EXPECT_FLOAT_EQ(logic->GetFlight().angles.x, -75.0f);
    EXPECT_FLOAT_EQ(logic->GetFlight().angles.z, -30.0f);
    // Roll stabilisation of 2 per second: 1 - 2/60 of the roll is kept each step.
    keys.clear();
    Play(1, kStep);
    const float roll = logic->GetFlight().angles.z;
    Play(1, kStep);
    const float rolled = std::fmax(-30.0f, roll + logic->GetFlight().angularVelocity.z * kStep);
    EXPECT_NEAR(logic->GetFlight().angles.z, rolled * (1.0f - 2.0f * kStep), 1e-3f);
    Play(200, kDt);
    EXPECT_NEAR(logic->GetFlight().angles.z, 0.0f, 1e-3f);
    EXPECT_TRUE(Finite(player->GetTransform().GetOrient()));
}

TEST_F(PlayerTest, AHeldThrottleAloneRampsTheSpeedUntilAStickIsTouched) {
    SD::GameObject* player = SpawnPlayer("Heavy");
    QV::PlayerLogic* logic = PlayerOf(player);
    keys = {SD::key_SPACE};
    Play(49, kDt);
    EXPECT_FLOAT_EQ(logic->GetForwardSpeed(), 500.0f);
    Play(16, kDt);  // 6.5 s: half way up the ramp
    EXPECT_NEAR(logic->GetForwardSpeed(), 1000.0f, 1.0f);
    Play(20, kDt);
    EXPECT_FLOAT_EQ(logic->GetForwardSpeed(), 1500.0f);
    keys = {SD::key_SPACE, SD::key_UP};
    Play(1, kDt);
    EXPECT_FLOAT_EQ(logic->GetForwardSpeed(), 500.0f);
}

// The throttle an earlier flight left held does not ramp a new vehicle waiting with its
// controls off (the world's next visit, behind its intro).
TEST_F(PlayerTest, ANewVehicleDoesNotRampOnAnEarlierFlightsThrottle) {
    QV::GetInputActivity().throttle = true;
    SD::GameObject* player = SpawnPlayer("Heavy");
    QV::PlayerLogic* logic = PlayerOf(player);
    logic->SetControlsEnabled(false);
    Play(85, kDt);
    EXPECT_FLOAT_EQ(logic->GetForwardSpeed(), 500.0f);
}

TEST_F(PlayerTest, ABoostAddsTwoAndAQuarterTimesTheThrustWhileItLasts) {
    SD::GameObject* player = SpawnPlayer();
    QV::PlayerLogic* logic = PlayerOf(player);
    keys = {SD::key_SPACE};
    SD::Vec3 before = BodyOf(player)->GetForce();
    Play(1, kStep);
    const float plain = (BodyOf(player)->GetForce() - before).z;
    EXPECT_FLOAT_EQ(plain, 500.0f);
    logic->SetBoostTime(1.5f * kStep);
    before = BodyOf(player)->GetForce();
    Play(1, kStep);
    EXPECT_NEAR((BodyOf(player)->GetForce() - before).z, 2.25f * plain, 0.01f);
    before = BodyOf(player)->GetForce();
    Play(1, kStep);
    EXPECT_NEAR((BodyOf(player)->GetForce() - before).z, 2.25f * plain, 0.01f);
    EXPECT_LE(logic->GetBoostTime(), 0.0f);
    before = BodyOf(player)->GetForce();
    Play(1, kStep);
    EXPECT_NEAR((BodyOf(player)->GetForce() - before).z, plain, 0.01f);
}

TEST_F(PlayerTest, OnlyAWindStrongerThanFourteenPushesTheVehicle) {
    SD::GameObject* player = SpawnPlayer();
    auto* collider = Get<Gedankenexperiment::Collider>(player, SD::CID_Collider);
    SD::GameObject* windObject = Spawn("ObjectTemplates/WindSphere", "Blow", {5000, 0, 0});
    auto* wind = Get<QV::WindLogic>(windObject, SD::CID_WindLogic);
    ASSERT_NE(wind, nullptr);
    const struct {
        float power;
        float push;
    } cases[] = {{14.0f, 0.0f}, {15.0f, 225.0f}, {-20.0f, 0.0f}};
    for (const auto& c : cases) {
        wind->SetPower(c.power);
        const SD::Vec3 before = BodyOf(player)->GetForce();
        wind->OnContact(collider);
        EXPECT_EQ(BodyOf(player)->GetForce() - before, SD::Vec3(c.push, 0, 0)) << c.power;
    }
}

TEST_F(PlayerTest, WindSpheresFromTheSeasonSystemPushThePlayerThroughContacts) {
    SD::GameObject* player = SpawnPlayer();
    QV::SowlarSystem_& seasons = QV::SowlarSystem_::GetInstance();
    QV::Wind* breeze = seasons.SpawnBreezeSphere({0, 1000, 0}, {1, 0, 0});
    ASSERT_NE(breeze, nullptr);
    EXPECT_EQ(breeze->GetPower(), 200.0f);
    EXPECT_EQ(breeze->GetDuration(), 3.0f);
    Play(3, kDt);
    EXPECT_GT(BodyOf(player)->GetVelocity().x, 100.0f);
    EXPECT_NEAR(BodyOf(player)->GetVelocity().y, 0.0f, 1e-3f);

    // A gust starts calm, peaks at 900 after a second and is calm again from two seconds on.
    SD::GameObject* other = SpawnPlayer("OldVehicle");
    other->NameObject("Bystander");
    QV::Wind* gust = seasons.SpawnGustSphere({0, -5000, 0}, {0, 0, 1});
    ASSERT_NE(gust, nullptr);
    EXPECT_EQ(gust->GetPower(), 900.0f);
    EXPECT_NEAR(gust->GetStrength(), 0.0f, 1e-3f);
    clock.Advance(1.0);
    EXPECT_NEAR(gust->GetStrength(), 900.0f, 1e-2f);
    clock.Advance(1.5);
    EXPECT_NEAR(gust->GetStrength(), 0.0f, 1e-2f);
}

TEST_F(PlayerTest, OnlyTheKnownDataVersionsAreRead) {
    QV::PlayerLogic* current = PlayerOf(SpawnPlayer());
    EXPECT_EQ(current->GetForwardSpeed(), 500.0f);
    EXPECT_EQ(current->GetFlight().acceleration, SD::Vec3(100, 60, 80));
    // Version 3 has no reset fields: the vehicle starts at the origin.
    SD::GameObject* old = Spawn("OldVehicle", "Old");
    EXPECT_EQ(PlayerOf(old)->GetForwardSpeed(), 500.0f);
    EXPECT_EQ(old->GetTransform().GetLocalPos(), SD::Vec3());
    // An unknown version reads nothing: no speed, no turning, and a held stick moves nothing.
    SD::GameObject* unknown = Spawn("UnknownVehicle", "Unknown");
    QV::PlayerLogic* logic = PlayerOf(unknown);
    EXPECT_EQ(logic->GetForwardSpeed(), 0.0f);
    EXPECT_EQ(logic->GetFlight().acceleration, SD::Vec3());
    keys = {SD::key_W, SD::key_SPACE};
    Play(5, kDt);
    EXPECT_EQ(logic->GetFlight().angles, SD::Vec3());
    EXPECT_TRUE(Finite(unknown->GetTransform().GetOrient()));
    EXPECT_TRUE(Finite(unknown->GetTransform().GetLocalPos()));

    // What is written back is what was read, in the order of the newest version.
    EXPECT_EQ(Written(*current, 4),
              (std::vector<std::string>{"=0", "=1000", "=0", "=0", "=0", "=0", "=100", "=60", "=80", "=0.5", "=0.5",
                                        "=0.5", "Constant Speed=7", "Forward Speed=500", "Boost Speed=9",
                                        "Stabilize Speed For Z Component=2"}));
    EXPECT_TRUE(Written(*current, 2).empty());
}

TEST_F(PlayerTest, ResetStopsTheVehicleAndPutsItBack) {
    SD::GameObject* player = SpawnPlayer();
    keys = {SD::key_SPACE, SD::key_D};
    Play(10, kDt);
    ASSERT_NE(player->GetTransform().GetLocalPos(), SD::Vec3(0, 1000, 0));
    PlayerOf(player)->Reset();
    EXPECT_EQ(BodyOf(player)->GetVelocity(), SD::Vec3());
    EXPECT_EQ(PlayerOf(player)->GetFlight().angles, SD::Vec3());
    EXPECT_EQ(Get<Gedankenexperiment::Collider>(player, SD::CID_Collider)->position, SD::Vec3(0, 1000, 0));
}

TEST_F(PlayerTest, TheLevelEditorReadsAndMovesTheResetPointAndSwitchesTheFog) {
    SD::GameObject* player = SpawnPlayer();
    namespace editor = QV::editorscene;
    SD::Vec3 position, angles;
    ASSERT_TRUE(editor::PlayerReset(player, &position, &angles));
    EXPECT_EQ(position, SD::Vec3(0, 1000, 0));
    editor::SetPlayerReset(player, {5, 6, 7}, {0, 45, 0});
    PlayerOf(player)->Reset();
    ASSERT_TRUE(editor::PlayerAngles(player, &angles));
    EXPECT_EQ(angles, SD::Vec3(0, 45, 0));
    EXPECT_EQ(Get<Gedankenexperiment::Collider>(player, SD::CID_Collider)->position, SD::Vec3(5, 6, 7));
    SD::GameObject* bystander = Spawn("ObjectTemplates/WindStream", "Stream");
    EXPECT_FALSE(editor::PlayerReset(bystander, &position, &angles));

    QV::SowlarSystem_::GetInstance().Initialize();
    EXPECT_TRUE(editor::FogEnabled());
    editor::SetFogEnabled(false);
    EXPECT_FALSE(QV::SowlarSystem_::GetInstance().IsFogEnabled());
}

}  // namespace

namespace {

using namespace playtest;

class PlayerScreenTest : public PlayFixture {
protected:
    PlayerScreenTest() {
        Blueprints(VehicleBlueprint("Vehicle") + Blueprint("Bar", TransformXml({})) +
                   Blueprint("Cam", TransformXml({}) + FollowCameraXml("Player", 10, 30, 5)) +
                   Blueprint("Wing", TransformXml({})));
    }
};

TEST_F(PlayerScreenTest, TheLetterboxLeavesWhileFollowingAndComesBackForAVisit) {
    SD::GameObject* player = Spawn("Vehicle", "Player");
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    SD::GameObject* top = Spawn("Bar", "Wbar1", {0, 0.0592593f, 0});
    SD::GameObject* bottom = Spawn("Bar", "Wbar2", {0, 0.9407408f, 0});
    Play(20, 0.1f);
    EXPECT_FLOAT_EQ(top->GetTransform().GetPosY(), -0.0592593f);
    EXPECT_FLOAT_EQ(bottom->GetTransform().GetPosY(), 1.0592593f);
    Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic)->SetTarget(Spawn("Bar", "Flower"));
    Play(1, 0.1f);
    EXPECT_NEAR(top->GetTransform().GetPosY(), -0.0592593f + 0.0053f, 1e-6f);
    Play(40, 0.1f);
    EXPECT_FLOAT_EQ(top->GetTransform().GetPosY(), 0.0592593f);
    EXPECT_FLOAT_EQ(bottom->GetTransform().GetPosY(), 0.9407408f);
    EXPECT_FALSE(PlayerOf(player)->GetControlsEnabled());
}

TEST_F(PlayerScreenTest, TheHudFadeDimsTheVehicleGreysTheWingsAndRestoresTheCameraDistance) {
    SD::GameObject* player = Lit("Vehicle", "Player", {}, {1.0f, 0.5f, 0.5f, 1.0f});
    GiveLight(player, SD::Vec4(2, 2, 2, 2));
    SD::GameObject* wing = Lit("Wing", "WingFrontLeft", {});
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    // The light is read at initialisation; this vehicle was made before its light was known.
    PlayerOf(player)->VInitialize(false);
    auto* follow = Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic);
    follow->SetMaxRadius(99);
    PlayerOf(player)->ApplyHudFadeColours();
    EXPECT_EQ(GeometryColour(player), SD::Vec4(0.9f, 0.45f, 0.45f, 0.9f));
    EXPECT_EQ(LightColour(player), SD::Vec4(0.1f, 0.1f, 0.1f, 0.1f));
    EXPECT_EQ(GeometryColour(wing), SD::Vec4(0.4f, 0.4f, 0.4f, 0.4f));
    EXPECT_EQ(follow->GetMaxRadius(), 20.0);
}

}  // namespace

namespace {

using namespace playtest;

class ReturnTest : public PlayFixture {
protected:
    static constexpr float kCentreZ = -8846.74f;
    ReturnTest() {
        Flight far;
        far.resetPosition = SD::Vec3(63, 0, kCentreZ + 17000);
        far.resetAngles = SD::Vec3(0, 90, 0);  // facing +x, across the way home
        Blueprints(VehicleBlueprint("Vehicle", far) + Blueprint("ObjectTemplates/FreeCamera", TransformXml({})));
    }
};

TEST_F(ReturnTest, AVehicleBeyondThePlayableAreaIsTurnedHomeAndFreedOnceBack) {
    SD::GameObject* player = Spawn("Vehicle", "Player");
    QV::PlayerLogic* logic = PlayerOf(player);
    Play(1, 0.1f);
    EXPECT_TRUE(logic->IsReturning());
    EXPECT_TRUE(logic->IsCinematic());
    ASSERT_NE(logic->GetFreeCamera(), nullptr);
    // The player's own input is held back: the turn is towards the centre (yaw up to 180).
    keys = {SD::key_A};
    const SD::Vec3 home(0, 0, -1);
    const float before = player->GetTransform().GetDir().Dot(home);
    Play(20, 0.1f);
    EXPECT_GT(logic->GetFlight().angles.y, 90.0f);
    EXPECT_GT(player->GetTransform().GetDir().Dot(home), before + 0.1f);
    EXPECT_TRUE(Finite(player->GetTransform().GetOrient()));
    EXPECT_TRUE(Finite(logic->GetFreeCamera()->GetTransform().GetOrient()));

    // Back within 15800 units the return ends and the controls are the player's again.
    keys.clear();
    Place(player, SD::Vec3(63, 0, kCentreZ + 15000));
    Play(1, 0.1f);
    EXPECT_FALSE(logic->IsReturning());
    EXPECT_FALSE(logic->IsCinematic());
    const float yawRate = logic->GetFlight().angularVelocity.y;
    keys = {SD::key_A};
    Play(3, 0.1f);
    EXPECT_LT(logic->GetFlight().angularVelocity.y, yawRate - 20.0f);
    // A later return reuses the free camera.
    SD::GameObject* camera = logic->GetFreeCamera();
    Place(player, SD::Vec3(63, 0, kCentreZ - 16500));
    Play(1, 0.1f);
    EXPECT_TRUE(logic->IsReturning());
    EXPECT_EQ(logic->GetFreeCamera(), camera);
}

}  // namespace

namespace {

using namespace playtest;

// With a renderer: the player camera's view widens with speed, and a return to the world shows
// the free camera until the vehicle is back.
class PlayerViewTest : public PlayFixture {
protected:
    PlayerViewTest() {
        Register<Aperture::Camera>("Camera", SD::CID_Camera);
        Flight stalled;
        stalled.forwardSpeed = 0;
        Flight far;
        far.resetPosition = SD::Vec3(63, 0, -8846.74f + 17000);
        Blueprints(VehicleBlueprint("Vehicle") + VehicleBlueprint("Stalled", stalled) + VehicleBlueprint("Far", far) +
                   Blueprint("Lens", TransformXml({}) + Header("Camera", 1) + "</Camera>") +
                   Blueprint("ObjectTemplates/FreeCamera", TransformXml({}) + Header("Camera", 1) + "</Camera>"));
    }
    Aperture::Camera* Lens(SD::GameObject* object) { return Get<Aperture::Camera>(object, SD::CID_Camera); }

    Aperture::Graphics_ graphics;
};

TEST_F(PlayerViewTest, TheViewWidensWithSpeedAndAStalledVehicleLeavesItAlone) {
    SD::GameObject* camera = Spawn("Lens", "PlayerCam");
    SD::GameObject* player = Spawn("Vehicle", "Player");
    Lens(camera)->SetFov(40);
    const struct {
        float speed;  // x = 3 * speed / 500
        float fov;
    } cases[] = {{500, QV::PlayerLogic::kRestFov},
                 {2000.0f / 3.0f, QV::PlayerLogic::kRestFov + QV::PlayerLogic::kFovWidening * std::sin(0.85f) / 1.7f},
                 {4.85f * 500 / 3, QV::PlayerLogic::kRestFov + QV::PlayerLogic::kFovWidening}};
    for (const auto& c : cases) {
        BodyOf(player)->SetVelocity({0, 0, c.speed});
        PlayerOf(player)->VUpdate(0.0f);
        EXPECT_NEAR(Lens(camera)->GetFov(), c.fov, 1e-3f) << c.speed;
    }
    factory.DestroyGameObject(player);
    factory.Update(0);
    SD::GameObject* stalled = Spawn("Stalled", "Player");
    Lens(camera)->SetFov(40);
    BodyOf(stalled)->SetVelocity({0, 0, 100});
    PlayerOf(stalled)->VUpdate(0.1f);
    EXPECT_EQ(Lens(camera)->GetFov(), 40.0f);
}

TEST_F(PlayerViewTest, AReturnShowsTheFreeCameraUntilTheVehicleIsBack) {
    SD::GameObject* camera = Spawn("Lens", "PlayerCam");
    Aperture::SetActiveCamera(Lens(camera));
    SD::GameObject* player = Spawn("Far", "Player");
    Play(2, 0.1f);
    QV::PlayerLogic* logic = PlayerOf(player);
    ASSERT_TRUE(logic->IsReturning());
    EXPECT_EQ(graphics.GetActiveCamera(), Lens(logic->GetFreeCamera()));
    // The free camera starts where the player camera was and looks at the vehicle.
    EXPECT_TRUE(Finite(logic->GetFreeCamera()->GetTransform().GetOrient()));
    Place(player, SD::Vec3(63, 0, -8846.74f + 15000));
    Play(1, 0.1f);
    EXPECT_EQ(graphics.GetActiveCamera(), Lens(camera));
}

}  // namespace

namespace {

using namespace playtest;

// The vehicle flown by the hands before a scripted body-tracking sensor, with the sensor HUD's
// three pieces present so that the HUD step can tell whether the player stands in place.
class PlayerKinectTest : public PlayFixture {
protected:
    void SetUp() override {
        platform::sensor::AttachRuntime(&sensor);
        kinect = SD::Kinect_::GetInstance();
        kinect->Initialize();
        Flight diving;
        diving.resetAngles = SD::Vec3(30, 0, 0);
        Blueprints(VehicleBlueprint("Vehicle") + VehicleBlueprint("Diving", diving) +
                   Blueprint("Piece", TransformXml({})));
        for (const char* piece : {"KinectError", "KinectCircle", "KinectTriangle"}) Spawn("Piece", piece);
    }
    void TearDown() override {
        kinect->Shutdown();
        SD::Kinect_::DestroyInstance();
        platform::sensor::AttachRuntime(nullptr);
    }
    void PlugIn() {
        sensor.Plug();
        kinect->Update(0.0f);
        ASSERT_TRUE(kinect->IsConnected());
    }
    // A body centred 2 units before the sensor, both hands pushed 0.3 towards it: throttle 0.9,
    // no turn and no pitch.
    void StandPushing() {
        platform::sensor::SkeletonFrame frame;
        auto& body = frame.skeletons[0];
        body.trackingState = platform::sensor::kStateTracked;
        body.joints[SD::Kinect_::kHipCentre] = {0.0f, -0.2f, 2.0f, 1};
        body.joints[SD::Kinect_::kShoulderCentre] = {0.0f, 0.2f, 2.0f, 1};
        body.joints[SD::Kinect_::kLeftHand] = {-0.3f, 0.0f, 1.7f, 1};
        body.joints[SD::Kinect_::kRightHand] = {0.3f, 0.0f, 1.7f, 1};
        ASSERT_TRUE(sensor.DeliverFrame(frame));
        ASSERT_TRUE(kinect->WaitForFrames(++delivered, 10000));
        kinect->Update(0.0f);
    }
    SD::Vec3 ForceOfAStep(SD::GameObject* player) {
        const SD::Vec3 before = BodyOf(player)->GetForce();
        Play(1, kStep);
        return BodyOf(player)->GetForce() - before;
    }

    platform::sensor::ScriptedSensor sensor{false};
    SD::Kinect_* kinect = nullptr;
    uint64_t delivered = 0;
};

TEST_F(PlayerKinectTest, WithASensorTheVehicleStartsFlownByTheHandsAndTogglesToThePad) {
    SD::GameObject* pad = Spawn("Vehicle", "PadVehicle");
    EXPECT_EQ(PlayerOf(pad)->GetModeCount(), 1u) << "no sensor: the pad alone";
    PlugIn();
    SD::GameObject* player = Spawn("Vehicle", "Player");
    QV::PlayerLogic* logic = PlayerOf(player);
    EXPECT_EQ(logic->GetModeCount(), 2u);
    EXPECT_EQ(logic->GetModeIndex(), 1u);
    StandPushing();
    Play(1, kDt);  // the HUD finds the player centred
    // Level flight: no nose term, the thrust is F T.
    ExpectNear(ForceOfAStep(player), SD::Vec3(0, 0, 500.0f * 0.9f), 0.01f, "hands pushed forward");
    EXPECT_TRUE(QV::GetInputActivity().throttle);
    // The pad keys do nothing in this mode.
    keys = {SD::key_D};
    Play(3, kDt);
    EXPECT_EQ(logic->GetFlight().angles, SD::Vec3());
    keys = {SD::key_C};
    Play(1, kDt);
    EXPECT_EQ(logic->GetModeIndex(), 0u);
    keys = {SD::key_D};
    Play(3, kDt);
    EXPECT_GT(logic->GetFlight().angles.y, 0.0f) << "the pad turns the vehicle now";
}

TEST_F(PlayerKinectTest, TheHandsThrustWeighsTheNoseByTheThrottleAndABoostRaisesThePlainPart) {
    PlugIn();
    StandPushing();
    SD::GameObject* player = Spawn("Diving", "Player");
    QV::PlayerLogic* logic = PlayerOf(player);
    Play(1, kDt);
    const float t = 0.9f, speed = 500.0f;
    const SD::Vec3 f = player->GetTransform().GetDir().GetNormalized();
    ASSERT_GT(std::fabs(f.y), 0.4f) << "the vehicle's nose is tilted";
    const float c = f.y > 0.0f ? -0.333f * f.y * f.y : 0.45f * f.y * f.y;
    ExpectNear(ForceOfAStep(player), f * (speed * t + speed * t * c * t), 0.05f, "tilted nose");

    logic->SetBoostTime(1.5f * kStep);
    ExpectNear(ForceOfAStep(player), f * ((speed + 1000.0f) * t + speed * t * c * t), 0.05f, "boosted");
    ExpectNear(ForceOfAStep(player), f * ((speed + 1000.0f) * t + speed * t * c * t), 0.05f, "still boosted");
    EXPECT_LE(logic->GetBoostTime(), 0.0f);
    ExpectNear(ForceOfAStep(player), f * (speed * t + speed * t * c * t), 0.05f, "boost over");

    // With controls off the gesture is still read but nothing flies.
    logic->SetControlsEnabled(false);
    QV::GetInputActivity() = QV::InputActivity();
    ExpectNear(ForceOfAStep(player), SD::Vec3(), 1e-5f, "controls off");
    EXPECT_TRUE(QV::GetInputActivity().throttle);
}

}  // namespace
