// The menu's sensor step: guide prompts that show the player where to stand, rings that follow
// the hands, and the push of both hands held for two seconds that starts the world.
#include <algorithm>
#include <cmath>

#include "core/Matrix.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/hud/HudSprites.h"
#include "game/player/KinectControl.h"
#include "game/states/MainMenu.h"
#include "game/states/StateObjects.h"
#include "runtime/Kinect.h"

namespace QV {
namespace {

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

void AddOpacity(const char* name, float delta, float high) {
    SD::GameObject* object = FindNamed(name);
    if (!object) return;
    SetSpriteOpacity(object, std::clamp(GetSpriteOpacity(object) + delta, 0.0f, high));
}

struct Ring {
    const char* name;
    float turn;  // radians per frame
    float rise;  // opacity per frame while the push runs
};
const Ring kLeftRings[] = {
    {"KinectImage", -0.075f, 0.015f}, {"KinectImage1_2", 0.035f, 0.01f}, {"KinectImage1_3", -0.015f, 0.007f}};
const Ring kRightRings[] = {
    {"KinectImage2", 0.07f, 0.015f}, {"KinectImage2_2", -0.04f, 0.01f}, {"KinectImage2_3", 0.01f, 0.007f}};

void TurnAboutZ(SD::Transform& t, float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    SD::Mtx33 turn = SD::Mtx33::Identity();
    turn(0, 0) = c;
    turn(0, 1) = -s;
    turn(1, 0) = s;
    turn(1, 1) = c;
    t.SetOrient(turn * t.GetOrient());
}

}  // namespace

void MainMenu::KinectStep(float dt) {
    SD::Kinect_* kinect = SD::Kinect_::GetInstance();
    if (!IsKinectPlayerTracked()) {
        AddOpacity("KinectCircle", -0.25f, 1.0f);
        AddOpacity("KinectTriangle", -0.075f, 1.0f);
        pushTimer_ = 0.0f;
        return;
    }
    const SD::Vec3 centre = kinect->GetJointMidpoint();
    const SD::Vec3 left = kinect->GetJointPosition(SD::Kinect_::kLeftHand) - centre;
    const SD::Vec3 right = kinect->GetJointPosition(SD::Kinect_::kRightHand) - centre;

    const float depth = Clamp01((centre.z - 1.25f) / 3.0f) * 0.1f;
    const float side = Clamp01(centre.x + 0.5f) * 0.1f;
    const float across = centre.x + 0.5f;
    if (across > 0.7f || across < 0.3f || depth > 0.09f || depth < 0.01f) {
        inPosition_ = false;
        AddOpacity("KinectCircle", 0.075f, 1.0f);
        AddOpacity("KinectTriangle", 0.075f, 0.85f);
    } else {
        inPosition_ = true;
        AddOpacity("KinectCircle", -0.015f, 1.0f);
        AddOpacity("KinectTriangle", -0.015f, 1.0f);
    }
    if (SD::GameObject* circle = FindNamed("KinectCircle")) {
        if (depth >= 0.0f && depth <= 0.1f && side >= 0.0f && side <= 0.1f)
            circle->GetTransform().SetPos(SD::Vec3(side + 0.8f, depth + 0.1f, circle->GetTransform().GetPosZ()));
        else
            AddOpacity("KinectCircle", -0.25f, 1.0f);
    }

    if (left.z < -0.17f && right.z < -0.17f)
        pushTimer_ += dt;
    else
        pushTimer_ = 0.0f;
    if (pushTimer_ > kPushSeconds && startCoolDown_ <= 0.0f) {
        StartWorld();
        pushTimer_ = 0.0f;
    }

    leftHand_[0] = 0.8f * leftHand_[0] + 0.2f * left.x;
    leftHand_[1] = 0.8f * leftHand_[1] + 0.2f * left.y;
    rightHand_[0] = 0.8f * rightHand_[0] + 0.2f * right.x;
    rightHand_[1] = 0.8f * rightHand_[1] + 0.2f * right.y;

    const bool pushing = pushTimer_ > 0.0001f;
    for (int hand = 0; hand < 2; ++hand) {
        const Ring* rings = hand == 0 ? kLeftRings : kRightRings;
        const float* smoothed = hand == 0 ? leftHand_ : rightHand_;
        for (int i = 0; i < 3; ++i) {
            SD::GameObject* ring = FindNamed(rings[i].name);
            if (!ring) continue;
            SD::Transform& t = ring->GetTransform();
            t.SetPos(SD::Vec3(smoothed[0] + 0.5f, smoothed[1] + 0.5f, t.GetPosZ()));
            t.SetScale(SD::Vec3(0.12f, 0.192f, 1.0f));
            TurnAboutZ(t, rings[i].turn);
            const float opacity = GetSpriteOpacity(ring);
            if (pushing)
                SetSpriteOpacity(ring, std::min(opacity + rings[i].rise, 0.9f));
            else if (!(opacity <= 0.3f && inPosition_))
                SetSpriteOpacity(ring, Clamp01(opacity - 0.035f));
        }
    }
}

}  // namespace QV
