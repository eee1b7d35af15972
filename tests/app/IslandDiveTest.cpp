// The vehicle dived into a grass island's slope stays out of it: flown from the island's shore up
// its slope, the climb (S) held for four seconds, then the dive (W) for four, at 60, 20 and 8
// frames a second. Its centre inside the island's solid ground for more than a couple of frames
// means it went through the mesh and the player sees grass and no vehicle.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/Transform.h"
#include "physics/PhysicsSystem.h"
#include "tests/app/HeldFlight.h"

namespace {

// A contact may leave the centre just behind a face for a frame before it pushes it out.
constexpr int kFramesInsideAllowed = 2;

struct Dive {
    int longestInside = 0;  // frames in a row with the vehicle's centre inside solid ground
    int framesInside = 0;
    bool clean = false;
};

Dive DiveIntoTheIsland(double frame) {
    Dive dive;
    int inside = 0;
    const auto everyFrame = [&](double, SD::GameObject& vehicle) {
        Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek();
        if (!physics) return;
        const bool now = physics->InsideStatic(vehicle.GetTransform().GetLocalPos(), 0.0f);
        inside = now ? inside + 1 : 0;
        dive.framesInside += now ? 1 : 0;
        dive.longestInside = std::max(dive.longestInside, inside);
    };
    dive.clean = qvtest::ClimbThenDiveFromTheIslandShore(frame, everyFrame);
    return dive;
}

TEST(IslandDive, HoldingTheDiveIntoAnIslandsSlopeNeverLeavesTheVehicleInsideItAtEveryFrameRate) {
    for (double frame : qvtest::kFlightFrames) {
        const Dive dive = DiveIntoTheIsland(frame);
        ASSERT_TRUE(dive.clean) << frame;
        EXPECT_LE(dive.longestInside, kFramesInsideAllowed)
            << "frames in a row inside the island at " << frame << " (" << dive.framesInside << " in all)";
    }
}

}  // namespace
