// How large the vehicle stands in the follow camera's picture at the speed the throttle ramps up
// to, with the chase pushed out as far as a whole playthrough pushes it (the yellow cloud's
// gathering and the nine orange ones): on every frame at 60, 20 and 8 frames a second the view
// keeps within its sane range and a unit either side of the vehicle's centre spans a readable part
// of the picture's width, not a speck.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "engine/Factory.h"
#include "engine/Transform.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/cameras/WorldCameras.h"
#include "game/player/PlayerLogic.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "physics/Body.h"
#include "runtime/InputCodes.h"
#include "tests/app/HeldFlight.h"
#include "tests/app/Newcomer.h"

namespace {

// The least part of the picture's width the vehicle's middle two units may span.
constexpr float kReadableSpan = 0.03f;

struct ChaseView {
    float narrowest = 1e9f, widest = 0.0f;  // the follow camera's field of view, degrees
    float smallestSpan = 1e9f;              // of the picture's width
    double filedRadius = 0.0;               // the chase radius as the camera was filed
    double radius = 0.0;                    // the chase radius the flight was flown with
    float fastest = 0.0f;
    bool clean = false;
};

ChaseView ThrottleAloneAfterAPlaythrough(double frame) {
    ChaseView view;
    bool grown = false;
    const auto throttle = [](double, SD::GameObject&, std::set<uint32_t>& keys) { keys = {SD::key_SPACE}; };
    const auto everyFrame = [&](double seconds, SD::GameObject& vehicle) {
        SD::GameObject* cameraObject = SD::Factory_::GetGameObjectByName("PlayerCam");
        const auto* follow =
            cameraObject
                ? static_cast<const QV::VernholmCameraLogic*>(cameraObject->GetComponent(SD::CID_VernholmCameraLogic))
                : nullptr;
        if (!follow) return;
        if (!grown) {
            view.filedRadius = follow->GetMaxRadius();
            QV::cameras::ScaleFollowDistance(cameraObject, 1.02);
            for (int gathering = 0; gathering < 9; ++gathering) QV::cameras::ScaleFollowDistance(cameraObject, 1.08);
            view.radius = follow->GetMaxRadius();
            grown = true;
        }
        const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
        // The first frames start from rest; the view is read once the flight is under way.
        if (!camera || seconds < 1.0) return;
        view.narrowest = std::min(view.narrowest, camera->GetFov());
        view.widest = std::max(view.widest, camera->GetFov());
        SD::Transform& at = vehicle.GetTransform();
        const SD::Vec3 side = at.GetRight().GetNormalized();
        const qvtest::OnScreen left = qvtest::ProjectOnScreen(*camera, at.GetPos() - side);
        const qvtest::OnScreen right = qvtest::ProjectOnScreen(*camera, at.GetPos() + side);
        // Screen x runs from -1 to 1 across the picture.
        if (left.inFront && right.inFront)
            view.smallestSpan = std::min(view.smallestSpan, std::fabs(right.x - left.x) / 2.0f);
        if (const auto* body = static_cast<const Gedankenexperiment::Body*>(vehicle.GetComponent(SD::CID_Body)))
            view.fastest = std::max(view.fastest, body->GetVelocity().Length());
    };
    view.clean = qvtest::FlyHeld(frame, 16.0, throttle, everyFrame);
    return view;
}

TEST(ChaseView, AtTheRampedSpeedAfterAPlaythroughTheVehicleStaysReadableInASaneViewAtEveryFrameRate) {
    for (double frame : qvtest::kFlightFrames) {
        const ChaseView view = ThrottleAloneAfterAPlaythrough(frame);
        ASSERT_TRUE(view.clean) << frame;
        EXPECT_GT(view.fastest, 200.0f) << "the speed did not ramp at " << frame;
        EXPECT_GT(view.radius, view.filedRadius) << "the gatherings pushed the chase out";
        EXPECT_LE(view.radius, view.filedRadius * QV::VernholmCameraLogic::kMostRadiusGrowth + 1e-9);
        EXPECT_GE(view.narrowest, QV::PlayerLogic::kRestFov) << frame;
        EXPECT_LE(view.widest, QV::PlayerLogic::kRestFov + QV::PlayerLogic::kFovWidening) << frame;
        EXPECT_GE(view.smallestSpan, kReadableSpan) << "the vehicle a speck at " << frame;
    }
}

}  // namespace
