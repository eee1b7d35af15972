// The whole game flown as a person flies it, at the frame rates a person gets: the intro sat
// through on slow frames, then the same keys held for the same seconds of game time at 60, 20 and
// 8 frames a second of a clock the test moves. First the nose held up near the floor and turned,
// then a pilot who looks every quarter of a second and steers for the next gathering of
// fireflies, found by name, holding the keys until it looks again. Every run reaches the same
// gatherings at the same times along the same path, within a few units; the follow camera
// never shows the inside of the ground or of anything solid. Last the throttle alone, held long
// enough for the speed to ramp up, across the world.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/systems/SowlarSystem.h"
#include "physics/PhysicsSystem.h"
#include "runtime/InputCodes.h"
#include "tests/app/GameDriving.h"
#include "tests/app/HeldFlight.h"
#include "tests/app/Newcomer.h"

namespace {

// The camera's near plane stands this far before it (the configuration's camera_near_distance):
// no nearer to the ground may the camera come.
constexpr float kNearPlane = 1.0f;

SD::GameObject* Find(const std::string& name) { return SD::Factory_::GetGameObjectByName(name.c_str()); }

// Whether the camera shows the inside of the ground: it stands within its near plane of solid
// static geometry, or something solid stands between it and the vehicle (under a floor, behind a
// hill), sampled every quarter of a unit.
bool InTheGround(Gedankenexperiment::Physics_System& physics, const SD::Vec3& camera, const SD::Vec3& vehicle) {
    if (physics.InsideStatic(camera, kNearPlane)) return true;
    const int samples = static_cast<int>((vehicle - camera).Length() / 0.25f) + 1;
    for (int i = 1; i < samples; ++i)
        if (physics.InsideStatic(camera + (vehicle - camera) * (float(i) / float(samples)), 0.0f)) return true;
    return false;
}

struct Sample {
    double seconds;
    SD::Vec3 vehicle;
    int stage;
};

// Whether anything solid lies under a point, down to 50 units below the sea's surface, sampled
// every unit.
bool SolidBelow(Gedankenexperiment::Physics_System& physics, const SD::Vec3& at) {
    for (float y = at.y; y > -50.0f; y -= 1.0f)
        if (physics.InsideStatic(SD::Vec3(at.x, y, at.z), 0.0f)) return true;
    return false;
}

// Whether the camera's picture holds the horizon: the point far ahead at the eye's own height
// stands within the picture's height (else it shows only ground or only sky).
bool HorizonInPicture(const Aperture::Camera& camera) {
    const SD::Vec3 eye = camera.GetEye();
    const SD::Vec3 flat(camera.GetViewDir().x, 0.0f, camera.GetViewDir().z);
    if (flat.LengthSq() < 1e-6f) return false;
    const qvtest::OnScreen horizon = qvtest::ProjectOnScreen(camera, eye + flat.GetNormalized() * 10000.0f);
    return horizon.inFront && std::fabs(horizon.y) <= 1.0f;
}

struct Flight {
    std::vector<Sample> samples;  // at every look
    int cameraInGround = 0;       // frames with the camera within its near plane of solid ground
    int overNothing = 0;          // looks with nothing solid under the vehicle
    int horizonLost = 0;          // frames whose picture showed only ground or only sky
    bool lowOverGround = false;   // the vehicle came within 5 units of solid ground
    float chaseStretch = 0.0f;    // the pictured eye's largest distance from the vehicle over its radius
    bool clean = false;
};

Flight Fly(double frame, double seconds, const qvtest::HeldPilot& pilot) {
    Flight flight;
    const auto everyFrame = [&flight](double, SD::GameObject& vehicle) {
        const SD::Vec3 at = vehicle.GetTransform().GetLocalPos();
        Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek();
        if (SD::GameObject* camera = Find("PlayerCam"); camera && physics) {
            flight.cameraInGround += InTheGround(*physics, camera->GetTransform().GetLocalPos(), at) ? 1 : 0;
            flight.lowOverGround = flight.lowOverGround || physics->InsideStatic(at, 5.0f);
        }
        if (const Aperture::Camera* active = Aperture::Graphics_::GetInstance()->GetActiveCamera()) {
            flight.horizonLost += HorizonInPicture(*active) ? 0 : 1;
            const auto* follow = active->GetOwner() ? static_cast<const QV::VernholmCameraLogic*>(
                                                          active->GetOwner()->GetComponent(SD::CID_VernholmCameraLogic))
                                                    : nullptr;
            if (follow && follow->GetMaxRadius() > 0.0)
                flight.chaseStretch = std::max(
                    flight.chaseStretch, (active->GetEye() - at).Length() / static_cast<float>(follow->GetMaxRadius()));
        }
    };
    const auto everyLook = [&flight](double flown, SD::GameObject& vehicle) {
        const SD::Vec3 at = vehicle.GetTransform().GetLocalPos();
        flight.samples.push_back({flown, at, QV::SowlarSystem_::GetInstance().GetStage()});
        Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek();
        if (physics && !SolidBelow(*physics, at)) ++flight.overNothing;
    };
    flight.clean = qvtest::FlyHeld(frame, seconds, pilot, everyFrame, everyLook);
    return flight;
}

// Nose up near the floor, alone and turning, then a dive and a climbing turn: the keys the
// camera was seen to go into the ground with.
void HeldPhases(double seconds, SD::GameObject&, std::set<uint32_t>& keys) {
    using namespace SD;
    if (seconds < 4) {
        keys = {key_S};
    } else if (seconds < 8) {
        keys = {key_S, key_A};
    } else if (seconds < 10) {
        keys = {key_SPACE, key_W};
    } else {
        keys = {key_SPACE, key_S, key_D};
    }
}

// Full throttle, turning and climbing or diving towards the next gathering the way a player
// holds the keys, a few degrees either side counting as straight on.
void ToTheGatherings(double, SD::GameObject& vehicle, std::set<uint32_t>& keys) {
    keys = {SD::key_SPACE};
    SD::GameObject* goal = Find("Gathering_" + std::to_string(QV::SowlarSystem_::GetInstance().GetStage()));
    if (!goal) return;
    qvtest::TurnToward(vehicle.GetTransform(), goal->GetTransform().GetLocalPos(), keys);
    const SD::Vec3 facing = vehicle.GetTransform().GetDir();
    const SD::Vec3 to = goal->GetTransform().GetLocalPos() - vehicle.GetTransform().GetLocalPos();
    const float want = to.y / std::max(to.Length(), 1e-3f), have = facing.y / std::max(facing.Length(), 1e-3f);
    if (want > have + 0.05f) keys.insert(SD::key_S);
    if (want < have - 0.05f) keys.insert(SD::key_W);
}

// The largest distance between the vehicle's places at the same looks of two flights.
float Apart(const Flight& a, const Flight& b) {
    float most = 0.0f;
    for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i)
        most = std::max(most, (a.samples[i].vehicle - b.samples[i].vehicle).Length());
    return most;
}

// The look at which each stage was first reached.
std::vector<double> StageTimes(const Flight& flight) {
    std::vector<double> times;
    for (const Sample& s : flight.samples)
        while (static_cast<int>(times.size()) < s.stage) times.push_back(s.seconds);
    return times;
}

TEST(FlightRates, NoseUpNearTheFloorTheCameraStaysOutOfTheGroundAtEveryFrameRate) {
    std::vector<Flight> flights;
    for (double frame : qvtest::kFlightFrames) {
        flights.push_back(Fly(frame, 13.0, HeldPhases));
        const Flight& f = flights.back();
        ASSERT_TRUE(f.clean) << frame;
        EXPECT_TRUE(f.lowOverGround) << "the vehicle flew near the ground at " << frame;
        EXPECT_EQ(f.cameraInGround, 0) << "frames with the camera in the ground at " << frame;
    }
    EXPECT_LT(Apart(flights[0], flights[1]), 3.0f);
    EXPECT_LT(Apart(flights[0], flights[2]), 3.0f);
}

TEST(FlightRates, TheSameKeysForTheSameSecondsReachTheSameGatheringsAtEveryFrameRate) {
    std::vector<Flight> flights;
    for (double frame : qvtest::kFlightFrames) {
        flights.push_back(Fly(frame, 40.0, ToTheGatherings));
        ASSERT_TRUE(flights.back().clean) << frame;
        EXPECT_EQ(flights.back().cameraInGround, 0) << frame;
    }
    const std::vector<double> reached = StageTimes(flights[0]);
    ASSERT_GE(reached.size(), 1u) << "gatherings reached in 40 s of flight";
    for (const Flight& f : {flights[1], flights[2]}) {
        const std::vector<double> times = StageTimes(f);
        ASSERT_EQ(times.size(), reached.size());
        for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], reached[i], 0.5) << "gathering " << i;
        EXPECT_LT(Apart(flights[0], f), 5.0f);
    }
}

// The throttle alone held for 20 s: after 5 s the speed ramps up to some 230 units a second, and
// the flight crosses thousands of units of the world. The level gives it room: the world lies
// under the vehicle all the way (the sea's floor under it at every look), nothing on the way
// throws it up or down, and the camera keeps the horizon in its picture.
TEST(FlightRates, TheThrottleAloneForTwentySecondsCrossesTheWorldLevelAtEveryFrameRate) {
    std::vector<Flight> flights;
    for (double frame : qvtest::kFlightFrames) {
        flights.push_back(
            Fly(frame, 20.0, [](double, SD::GameObject&, std::set<uint32_t>& keys) { keys = {SD::key_SPACE}; }));
        const Flight& f = flights.back();
        ASSERT_TRUE(f.clean) << frame;
        ASSERT_FALSE(f.samples.empty()) << frame;
        EXPECT_GT(f.samples.back().vehicle.z - f.samples.front().vehicle.z, 2500.0f)
            << "the speed did not ramp at " << frame;
        EXPECT_EQ(f.overNothing, 0) << "looks with nothing solid under the vehicle at " << frame;
        EXPECT_EQ(f.horizonLost, 0) << "frames without the horizon in the picture at " << frame;
        EXPECT_EQ(f.cameraInGround, 0) << frame;
        for (const Sample& s : f.samples) {
            EXPECT_GT(s.vehicle.y, 0.0f) << "at " << s.seconds << " s at " << frame;
            EXPECT_LT(s.vehicle.y, 20.0f) << "thrown up at " << s.seconds << " s at " << frame;
        }
    }
    EXPECT_LT(Apart(flights[0], flights[1]), 5.0f);
    EXPECT_LT(Apart(flights[0], flights[2]), 5.0f);
}

// The fastest the vehicle went between two looks, in units a second.
float TopSpeed(const Flight& flight) {
    float top = 0.0f;
    for (size_t i = 1; i < flight.samples.size(); ++i)
        top = std::max(top, (flight.samples[i].vehicle - flight.samples[i - 1].vehicle).Length() /
                                static_cast<float>(flight.samples[i].seconds - flight.samples[i - 1].seconds));
    return top;
}

// Half a minute of throttle with a turn either way, each followed by long enough of the throttle
// alone for the speed to ramp up again: on every frame the eye the picture is drawn from stays
// within half as much again of the follow camera's radius from the vehicle, at every frame rate.
TEST(FlightRates, AtTheRampedSpeedTheCameraKeepsItsChaseDistanceAtEveryFrameRate) {
    for (double frame : qvtest::kFlightFrames) {
        const Flight f = Fly(frame, 30.0, [](double seconds, SD::GameObject&, std::set<uint32_t>& keys) {
            keys = {SD::key_SPACE};
            if (seconds >= 12.0 && seconds < 13.0) keys.insert(SD::key_A);
            if (seconds >= 21.0 && seconds < 22.0) keys.insert(SD::key_D);
        });
        ASSERT_TRUE(f.clean) << frame;
        EXPECT_GT(TopSpeed(f), 200.0f) << "the speed did not ramp at " << frame;
        EXPECT_GT(f.chaseStretch, 0.5f) << "no frame measured at " << frame;
        EXPECT_LE(f.chaseStretch, 1.5f) << "the camera trailed behind at " << frame;
        EXPECT_EQ(f.cameraInGround, 0) << frame;
    }
}

}  // namespace
