#pragma once
// A newcomer at the controls, for the tests that play the whole game as a person would: he reads
// the frame, picks the nearest gathering of fireflies it shows and steers so that the gathering
// stands where his vehicle stands on the screen; with none in sight he flies on level and, after
// a while, turns to look for one, to the side he last saw one on. He holds the throttle all the time, climbs away from the ground
// he sees coming, never points the vehicle steeply up or down, and keeps each choice of keys for a
// while, as a person holds keys, not a frame at a time.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "core/Vector.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/Spawner.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"

namespace qvtest {

// The keys a person holds: the throttle, a turn and a climb or a dive.
struct HeldControls {
    bool throttle = false;
    int turn = 0;   // -1 left, +1 right
    int climb = 0;  // +1 climb, -1 dive
};

// Where a point stands on the last frame's screen: x and y from -1 to 1, up positive.
struct OnScreen {
    float x = 0.0f, y = 0.0f;
    bool inFront = false;
    bool Shown() const { return inFront && std::fabs(x) < 1.0f && std::fabs(y) < 1.0f; }
};

inline OnScreen ProjectOnScreen(const Aperture::Camera& camera, const SD::Vec3& p) {
    // The frustum's matrix is view times projection for row vectors.
    const SD::Mtx44& m = camera.GetFrustum().matrix;
    float clip[4];
    for (int c = 0; c < 4; ++c) clip[c] = p.x * m(0, c) + p.y * m(1, c) + p.z * m(2, c) + m(3, c);
    OnScreen at;
    at.inFront = clip[3] > 1e-3f;
    if (at.inFront) {
        at.x = clip[0] / clip[3];
        at.y = clip[1] / clip[3];
    }
    return at;
}

// A gathering shows as its fireflies: one counts while its spawner holds any.
inline bool FirefliesOut(SD::GameObject& gathering) {
    auto* spawner = static_cast<QV::Spawner*>(gathering.GetComponent(SD::CID_Spawner));
    return spawner && !spawner->GetSpawnedObjects().empty();
}

// The name of the nearest gathering the frame shows with its fireflies out; none when the frame
// shows none.
inline std::optional<std::string> NearestGatheringInSight(const Aperture::Camera& camera, const SD::Vec3& from) {
    std::optional<std::string> nearest;
    float best = 0.0f;
    for (int i = 0; i <= 8; ++i) {
        const std::string name = "Gathering_" + std::to_string(i);
        SD::GameObject* gathering = SD::Factory_::GetGameObjectByName(name.c_str());
        if (!gathering || !FirefliesOut(*gathering)) continue;
        const SD::Vec3 at = gathering->GetTransform().GetPos();
        if (!ProjectOnScreen(camera, at).Shown()) continue;
        const float distance = (at - from).Length();
        if (!nearest || distance < best) {
            nearest = name;
            best = distance;
        }
    }
    return nearest;
}

struct Newcomer {
    // Seconds a choice of keys is held before the frame is read again.
    static constexpr float kHoldSeconds = 0.1f;
    // The heights he keeps to with nothing in sight: below the lower one he sees the ground
    // coming, above the upper one the world falls away.
    static constexpr float kLowest = 10.0f;
    static constexpr float kHighest = 60.0f;
    // How far off the vehicle on the screen a gathering may stand before he turns.
    static constexpr float kSlack = 0.06f;
    // The steepest he points the vehicle up or down, and how near he holds the nose to that.
    static constexpr float kSteep = 0.3f;
    static constexpr float kNoseSlack = 0.05f;
    // How far ahead he sees the nose swing: he lets go before it gets where he wants it.
    static constexpr float kLookAhead = 0.3f;
    // How long he flies on with nothing in sight before he turns to look around.
    static constexpr float kPatience = 3.0f;

    HeldControls held;
    std::optional<std::string> goal;
    float sinceChoice = kHoldSeconds;
    float nothingInSight = 0.0f;
    float lastPitch = 0.0f;
    // Where the goal stood across the screen from the vehicle when he last looked, and the side
    // he last saw it on (he turns that way to find it again).
    float lastAcross = 0.0f;
    int lastSide = 1;

    // After a frame of dt seconds: the keys to hold now.
    const HeldControls& Look(float dt) {
        sinceChoice += dt;
        if (sinceChoice < kHoldSeconds) return held;
        const float waited = sinceChoice;
        sinceChoice = 0.0f;
        held = HeldControls();
        Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
        const Aperture::Camera* camera = graphics ? graphics->GetActiveCamera() : nullptr;
        SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
        if (!camera || !vehicle) return held;
        held.throttle = true;
        const SD::Vec3 at = vehicle->GetTransform().GetPos();
        const SD::Vec3 facing = vehicle->GetTransform().GetDir();
        // Where the nose points up or down, and where it is swinging to.
        const float pitch = facing.y / std::max(facing.Length(), 1e-3f);
        const float swinging = pitch + (pitch - lastPitch) * kLookAhead / std::max(waited, 1e-3f);
        lastPitch = pitch;
        float wanted = 0.0f;
        goal = NearestGatheringInSight(*camera, at);
        if (goal) {
            nothingInSight = 0.0f;
            const SD::Vec3 target = SD::Factory_::GetGameObjectByName(goal->c_str())->GetTransform().GetPos();
            const OnScreen there = ProjectOnScreen(*camera, target);
            const OnScreen self = ProjectOnScreen(*camera, at);
            const float across = there.x - self.x;
            const float drifting = across + (across - lastAcross) * kLookAhead / std::max(waited, 1e-3f);
            lastAcross = across;
            lastSide = across < 0.0f ? -1 : 1;
            if (drifting > kSlack) held.turn = 1;
            if (drifting < -kSlack) held.turn = -1;
            const SD::Vec3 to = target - at;
            wanted = to.y / std::max(to.Length(), 1e-3f);
        } else {
            // Level within his heights, and after a while a turn to look around.
            nothingInSight += waited;
            if (at.y > kHighest) wanted = -kSteep;
            if (at.y < 2.0f * kLowest) wanted = kSteep;
            lastAcross = 0.0f;
            if (nothingInSight > kPatience) held.turn = lastSide;
        }
        if (at.y < kLowest) wanted = kSteep;
        wanted = std::clamp(wanted, -kSteep, kSteep);
        if (swinging < wanted - kNoseSlack) held.climb = 1;
        if (swinging > wanted + kNoseSlack) held.climb = -1;
        return held;
    }
};

}  // namespace qvtest
