// The sensor HUD of the vehicle: an error sign while nobody is tracked, a circle that shows where
// the player stands and a triangle that turns green once they stand where they can be read, and
// the pulse rings fading out on the hands.
#include <algorithm>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/hud/HudSprites.h"
#include "game/player/KinectControl.h"
#include "runtime/GameStateManager.h"
#include "runtime/Kinect.h"

namespace QV {
namespace {

// Alpha changes are clamped to [0, 1]; `below` bounds a rise (it only rises while under it).
void Fade(SD::GameObject* object, float delta) {
    SetSpriteOpacity(object, std::clamp(GetSpriteOpacity(object) + delta, 0.0f, 1.0f));
}
void RiseWhileBelow(SD::GameObject* object, float delta, float below) {
    if (GetSpriteOpacity(object) < below) Fade(object, delta);
}

bool AtEdge(float v) { return v == 0.0f || v == 0.1f; }

}  // namespace

bool KinectControl::StepHud(float dt, bool controlsEnabled) {
    SD::GameObject* error = SD::Factory_::GetGameObjectByName("KinectError");
    SD::GameObject* circle = SD::Factory_::GetGameObjectByName("KinectCircle");
    SD::GameObject* triangle = SD::Factory_::GetGameObjectByName("KinectTriangle");
    if (!error || !circle || !triangle) return false;

    SD::Kinect_* kinect = SD::Kinect_::GetInstance();
    if (IsKinectPlayerTracked()) {
        idle_ = 0.0f;
        Fade(error, -0.075f);
        const SD::Vec3 centre = kinect->GetJointMidpoint();
        const float across = centre.x + 0.5f;
        const float dx = std::clamp(across, 0.0f, 1.0f) * 0.1f;
        const float dz = std::clamp((centre.z - 1.25f) / 3.0f, 0.0f, 1.0f) * 0.1f;
        if (across >= 0.3f && across <= 0.7f && dz >= 0.01f && dz <= 0.09f) {
            centred_ = 1.0f;
            Fade(circle, -0.015f);
            Fade(triangle, -0.015f);
            SetSpriteColor(triangle, 0.0f, 7.5f, 0.0f);
        } else {
            centred_ = 0.0f;
            RiseWhileBelow(circle, 0.075f, 1.0f);
            RiseWhileBelow(triangle, 0.075f, 0.85f);
            SetSpriteColor(triangle, 0.65f, 0.0f, 0.0f);
        }
        if (AtEdge(dx) || AtEdge(dz)) {
            Fade(circle, -0.25f);
        } else {
            SD::Transform& t = circle->GetTransform();
            t.SetPos(SD::Vec3(0.8f + dx, 0.1f + dz, t.GetPosZ()));
        }
    } else {
        if (controlsEnabled) idle_ += dt;
        if (!kinect || !kinect->IsConnected()) return true;
        RiseWhileBelow(triangle, 0.075f, 0.85f);
        if (controlsEnabled) RiseWhileBelow(error, 0.075f, 1.0f);
        centred_ = 0.0f;
    }

    for (const Ring& ring : rings_) {
        SD::GameObject* object = ring.object.get();
        if (!object || GetSpriteOpacity(object) <= 0.0f) continue;
        Fade(object, -0.09f);
        SD::Transform& t = object->GetTransform();
        const SD::Vec3 scale = t.GetScale();
        t.SetScale(SD::Vec3(scale.x + 0.009f, scale.y + 0.0144f, 1.0f));
        if (SD::GameObject* image = ring.follows ? SD::Factory_::GetGameObjectByName(ring.follows) : nullptr)
            t.SetPos(image->GetTransform().GetPos());
    }

    if (idle_ >= kIdleSecondsToMenu) {
        idle_ = 0.0f;
        SD::GameStateManager_::ChangeLevel("MainMenu");
    }
    return true;
}

}  // namespace QV
