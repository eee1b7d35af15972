// The follow camera's picture while the vehicle flies low over a grass island, the way a person
// tries the controls: from the island's shore towards its rising slope, the climb (S) held for
// four seconds, then the dive (W) for four, at 60, 20 and 8 frames a second. What the camera
// sees is read from the picture itself: rays through a grid of points across it, from the eye to
// the far plane, tested against the solid static colliders. A picture all of whose rays meet
// ground shows only ground; no such stretch may last a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "engine/Transform.h"
#include "game/player/PlayerLogic.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "physics/PhysicsSystem.h"
#include "physics/StaticProbe.h"
#include "runtime/InputCodes.h"
#include "tests/app/HeldFlight.h"
#include "tests/app/Newcomer.h"

namespace {

// The picture's grid of rays, this many a side, corners included.
constexpr int kRaysPerSide = 5;

// Whether the segment meets solid static geometry.
bool MeetsGround(Gedankenexperiment::Physics_System& physics, const SD::Vec3& from, const SD::Vec3& to) {
    for (Gedankenexperiment::Collider* c : physics.SolidStaticsNear(from, to, 0.0f))
        if (Gedankenexperiment::ClearPart(*c, from, to, 0.0f) < 1.0f) return true;
    return false;
}

// Whether every ray from the eye through the picture meets ground before the far plane.
bool PictureOnlyGround(const Aperture::Camera& camera, Gedankenexperiment::Physics_System& physics) {
    // The frustum's matrix is view times projection for row vectors: a point of the far plane
    // (depth 1) comes back to the world through its inverse.
    const SD::Mtx44 inverse = camera.GetFrustum().matrix.GetInverse();
    for (int i = 0; i < kRaysPerSide; ++i) {
        for (int j = 0; j < kRaysPerSide; ++j) {
            const float clip[4] = {-1.0f + 2.0f * i / (kRaysPerSide - 1), -1.0f + 2.0f * j / (kRaysPerSide - 1), 1.0f,
                                   1.0f};
            float world[4];
            for (int c = 0; c < 4; ++c)
                world[c] = clip[0] * inverse(0, c) + clip[1] * inverse(1, c) + clip[2] * inverse(2, c) + inverse(3, c);
            const SD::Vec3 far(world[0] / world[3], world[1] / world[3], world[2] / world[3]);
            if (!MeetsGround(physics, camera.GetEye(), far)) return false;
        }
    }
    return true;
}

struct IslandFlight {
    double longestGroundOnly = 0.0;  // seconds
    bool lowOverTheIsland = false;   // within 10 units over the island's ground, not the sea's
    bool clean = false;
};

IslandFlight ClimbThenDiveOverTheIsland(double frame) {
    IslandFlight flight;
    double groundOnly = 0.0;
    const auto everyFrame = [&](double, SD::GameObject& vehicle) {
        Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek();
        const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
        if (!physics || !camera) return;
        groundOnly = PictureOnlyGround(*camera, *physics) ? groundOnly + frame : 0.0;
        flight.longestGroundOnly = std::max(flight.longestGroundOnly, groundOnly);
        // The sea's surface is at 0: ground 3 units up is the island's.
        const SD::Vec3 at = vehicle.GetTransform().GetLocalPos();
        flight.lowOverTheIsland = flight.lowOverTheIsland || (physics->InsideStatic(SD::Vec3(at.x, 3.0f, at.z), 0.0f) &&
                                                              physics->InsideStatic(at - SD::Vec3(0, 10, 0), 0.0f));
    };
    flight.clean = qvtest::ClimbThenDiveFromTheIslandShore(frame, everyFrame);
    return flight;
}

TEST(LowFlightView, ClimbThenDiveLowOverAnIslandNeverShowOnlyGroundForASecondAtEveryFrameRate) {
    for (double frame : qvtest::kFlightFrames) {
        const IslandFlight flight = ClimbThenDiveOverTheIsland(frame);
        ASSERT_TRUE(flight.clean) << frame;
        EXPECT_TRUE(flight.lowOverTheIsland) << "the vehicle never flew low over the island at " << frame;
        EXPECT_LT(flight.longestGroundOnly, 1.0) << "seconds of a picture of only ground at " << frame;
    }
}

// High over the sea off the start, facing the way on.
constexpr const char* kHighStart = "2\n0 80 -10\n0 0 0\n";
// The screen's width over its height: the render area is 16:9.
constexpr float kAspect = 16.0f / 9.0f;

// How far the horizon leans in the picture, in degrees: two points far ahead at the eye's height,
// either side of the way it looks.
float HorizonLean(const Aperture::Camera& camera) {
    const SD::Vec3 eye = camera.GetEye();
    const SD::Vec3 ahead = SD::Vec3(camera.GetViewDir().x, 0.0f, camera.GetViewDir().z).GetNormalized();
    const SD::Vec3 across(ahead.z, 0.0f, -ahead.x);
    const qvtest::OnScreen a = qvtest::ProjectOnScreen(camera, eye + ahead * 10000.0f - across * 1000.0f);
    const qvtest::OnScreen b = qvtest::ProjectOnScreen(camera, eye + ahead * 10000.0f + across * 1000.0f);
    return std::atan2(std::fabs(b.y - a.y), std::fabs(b.x - a.x) * kAspect) * 180.0f / 3.14159265f;
}

TEST(LowFlightView, ASteepDiveThenATurnLeanThePictureNoMoreThanTheVehicleBanksAtEveryFrameRate) {
    for (double frame : qvtest::kFlightFrames) {
        float mostLean = 0.0f, steepest = 0.0f;
        const auto pilot = [](double seconds, SD::GameObject&, std::set<uint32_t>& keys) {
            keys = {SD::key_SPACE};
            if (seconds < 1.5) keys.insert(SD::key_W);
            if (seconds >= 1.5 && seconds < 4.0) keys.insert(SD::key_D);
            if (seconds >= 4.0 && seconds < 5.0) keys.insert(SD::key_S);
            if (seconds >= 5.0) keys.insert(SD::key_A);
        };
        const auto everyFrame = [&](double, SD::GameObject& vehicle) {
            const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
            if (!camera) return;
            mostLean = std::max(mostLean, HorizonLean(*camera));
            steepest = std::max(steepest, std::fabs(vehicle.GetTransform().GetDir().GetNormalized().y));
        };
        ASSERT_TRUE(qvtest::FlyHeld(frame, 8.0, pilot, everyFrame, nullptr, [](const qvtest::TempTree& tree) {
            tree.Write("Assets/Levels/World_v6/LevelData.ld", kHighStart);
        })) << frame;
        EXPECT_GT(steepest, 0.8f) << "the dive was not steep at " << frame;
        EXPECT_GT(mostLean, 10.0f) << "the picture did not lean with the turn at " << frame;
        EXPECT_LE(mostLean, QV::PlayerLogic::kMaxRoll + 1.0f) << frame;
    }
}

}  // namespace
