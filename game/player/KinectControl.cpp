#include "game/player/KinectControl.h"

#include <algorithm>
#include <cmath>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/hud/HudSprites.h"
#include "runtime/Kinect.h"

namespace QV {
namespace {

float Clamp(float v, float low, float high) { return std::clamp(v, low, high); }

struct CursorImage {
    const char* name;
    float turn;  // radians per call
    float gain;  // alpha per call while the hand moves fast
};
const CursorImage kCursors[2][3] = {
    {{"KinectImage", -0.075f, 0.035f}, {"KinectImage1_2", 0.035f, 0.03f}, {"KinectImage1_3", -0.015f, 0.025f}},
    {{"KinectImage2", 0.07f, 0.035f}, {"KinectImage2_2", -0.04f, 0.03f}, {"KinectImage2_3", 0.01f, 0.025f}},
};

void AddAlpha(SD::GameObject* object, float delta) {
    if (object) SetSpriteOpacity(object, Clamp(GetSpriteOpacity(object) + delta, 0.0f, 1.0f));
}

float SquaredLength(const SD::Vec2& v) { return v.x * v.x + v.y * v.y; }

}  // namespace

KinectGesture ReadKinectGesture(const SD::Vec3& l, const SD::Vec3& r, float& ramp) {
    const bool handsUp = l.y > 0.02f && r.y > 0.02f;
    const bool handsDown = l.y < -0.02f && r.y < -0.02f;
    const bool bothRight = l.x > 0.0f && r.x > 0.0f;
    const bool bothLeft = l.x < 0.0f && r.x < 0.0f;
    const bool crossed = l.x > 0.0f && r.x < 0.0f;

    KinectGesture g;
    if (crossed) {
        g.yaw = r.y > l.y ? 1.0f : -1.0f;
    } else if (r.x != l.x) {
        // Hands one above the other (no run across) give no slope to steer by.
        const float slope = (r.y - l.y) / (r.x - l.x) * 0.333f;
        if (std::fabs(slope) > 0.05f) g.yaw = Clamp(slope, -1.0f, 1.0f);
    }
    if (bothLeft)
        g.yaw = Clamp(l.x * 7.0f, -1.0f, 1.0f);
    else if (bothRight)
        g.yaw = Clamp(r.x * 7.0f, -1.0f, 1.0f);

    const float depth = (l.z + r.z) * 0.5f;
    const bool pushed = depth < -0.15f;
    if (pushed || bothLeft || bothRight || (handsDown && std::fabs(r.x - l.x) < 0.3f)) {
        ramp = Clamp(ramp + 0.0075f, 0.0f, 1.0f);
        g.throttle = ramp;
    } else {
        ramp = 0.5f;
        g.throttle = 0.0f;
    }
    if (pushed) {
        g.throttle = Clamp(-3.0f * depth, 0.0f, 1.75f);
    } else if (bothLeft || bothRight) {
        const float reach = std::max(l.x * l.x + l.y * l.y + l.z * l.z, r.x * r.x + r.y * r.y + r.z * r.z);
        g.throttle = Clamp(3.0f * reach, -1.0f, 1.75f);
    }

    const float m = (l.y + r.y) * 0.5f;
    if (handsDown)
        g.pitch = Clamp(-2.3f * m * m, -1.0f, 1.0f);
    else if (handsUp)
        g.pitch = pushed ? Clamp(2.3f * m * m, -1.0f, 1.0f) : 0.0f;
    return g;
}

bool IsKinectPlayerTracked() {
    SD::Kinect_* kinect = SD::Kinect_::GetInstance();
    return kinect && kinect->IsConnected() && kinect->GetTrackedSkeleton() >= 0 &&
           (kinect->IsFirstPlayerTracked() || kinect->IsSecondPlayerTracked());
}

void KinectControl::CreatePulseRings() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (Ring& ring : rings_) {
        SD::GameObject* object = factory ? factory->CreateObject("Hud/KinectPulse", nullptr) : nullptr;
        if (object) {
            object->Initialize(false);
            SetSpriteOpacity(object, 0.0f);
        }
        ring = Ring{object ? object->GetHandle() : SD::GameObjectHandle(), nullptr};
    }
    nextRing_ = 0;
}

KinectGesture KinectControl::StepInput(float dt) {
    const bool tracked = IsKinectPlayerTracked();
    KinectGesture gesture;
    SD::Vec3 l, r;
    if (tracked && centred_ != 0.0f) {
        SD::Kinect_* kinect = SD::Kinect_::GetInstance();
        const SD::Vec3 centre = kinect->GetJointMidpoint();
        l = kinect->GetJointPosition(SD::Kinect_::kLeftHand) - centre;
        r = kinect->GetJointPosition(SD::Kinect_::kRightHand) - centre;
        gesture = ReadKinectGesture(l, r, ramp_);
    }
    const SD::Vec2 offsets[2] = {SD::Vec2(l.x, l.y), SD::Vec2(r.x, r.y)};
    for (int hand = 0; hand < 2; ++hand) {
        smoothed_[hand] = smoothed_[hand] * 0.8f + offsets[hand] * 0.2f;
        UpdateHandCursor(hand, smoothed_[hand] + SD::Vec2(0.5f, 0.5f), dt, tracked);
    }
    for (int hand = 0; hand < 2; ++hand) {
        if (SquaredLength(offsets[hand] - lastNote_[hand]) <= kNoteDistanceSquared) continue;
        if (playNote) playNote();
        lastNote_[hand] = offsets[hand];
        SpawnNotePulse(offsets[hand], hand == 0);
    }
    return gesture;
}

void KinectControl::UpdateHandCursor(int hand, const SD::Vec2& cursor, float dt, bool tracked) {
    // A paused frame has no time to measure a speed in.
    const float speed = dt > 0.0f ? std::sqrt(SquaredLength(cursor - previousCursor_[hand])) / dt : 0.0f;
    for (const CursorImage& image : kCursors[hand]) {
        SD::GameObject* object = SD::Factory_::GetGameObjectByName(image.name);
        if (!object) continue;
        SD::Transform& t = object->GetTransform();
        t.SetPos(SD::Vec3(cursor.x, cursor.y, t.GetPosZ()));
        t.RotateLocalZRad(image.turn);
        t.SetScale(SD::Vec3(0.12f, 0.192f, 1.0f));
        const float alpha = GetSpriteOpacity(object);
        if (speed > 0.3f) {
            if (alpha < 0.7f) AddAlpha(object, image.gain);
        } else if (alpha > 0.3f || !tracked || centred_ == 0.0f) {
            AddAlpha(object, -0.035f);
        }
    }
    previousCursor_[hand] = cursor;
}

void KinectControl::SpawnNotePulse(const SD::Vec2& offset, bool left) {
    Ring& ring = rings_[nextRing_];
    ring.follows = left ? "KinectImage" : "KinectImage2";
    if (SD::GameObject* object = ring.object.get()) {
        SD::Transform& t = object->GetTransform();
        t.SetPos(SD::Vec3(offset.x + 0.5f, offset.y + 0.5f, t.GetPosZ()));
        t.SetScale(SD::Vec3(0.12f, 0.192f, 1.0f));
        SetSpriteOpacity(object, 1.0f);
    }
    nextRing_ = (nextRing_ + 1) % kRingCount;
}

}  // namespace QV
