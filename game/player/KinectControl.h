#pragma once
// Flying with both hands before the body-tracking sensor: the hands' places relative to the
// body give throttle, yaw and pitch; each hand is shown by three spinning cursor images; a hand
// that moves far enough plays a note and starts one of ten pulse rings; and a small HUD shows
// whether the player stands where the sensor can read them. The vehicle's logic owns one and
// runs its flight step with the gesture it reads.
#include <functional>

#include "core/Vector.h"
#include "engine/GameObjectHandle.h"

namespace QV {

struct KinectGesture {
    float throttle = 0.0f;
    float yaw = 0.0f;
    float pitch = 0.0f;
};

// The gesture of the hands `l` and `r` relative to the body centre; `ramp` is the throttle
// ramp, kept between frames.
KinectGesture ReadKinectGesture(const SD::Vec3& l, const SD::Vec3& r, float& ramp);

// Whether the sensor is connected and follows a player.
bool IsKinectPlayerTracked();

class KinectControl {
public:
    static constexpr int kRingCount = 10;
    static constexpr float kIdleSecondsToMenu = 20.0f;
    static constexpr float kNoteDistanceSquared = 0.04f;

    // Creates the ten pulse rings from "Hud/KinectPulse" (those that can be made).
    void CreatePulseRings();
    // The control mode's reading: the gesture while a player is tracked and centred (else
    // none), then the hand cursors and the notes.
    KinectGesture StepInput(float dt);
    // The HUD: error, guide circle and triangle, the rings; after 20 s of enabled control
    // without a tracked player (with a sensor connected) the game goes back to the menu.
    // False when a HUD piece is missing, which ends the step.
    bool StepHud(float dt, bool controlsEnabled);

    float GetRamp() const { return ramp_; }
    bool IsCentred() const { return centred_ != 0.0f; }
    float GetIdleTime() const { return idle_; }
    int GetNextRing() const { return nextRing_; }
    SD::GameObject* GetRing(int index) const { return rings_[index].object.get(); }

    // Queues the piano note of a hand for the next beat on the vehicle's sound.
    std::function<void()> playNote;

private:
    void UpdateHandCursor(int hand, const SD::Vec2& cursor, float dt, bool tracked);
    void SpawnNotePulse(const SD::Vec2& offset, bool left);

    struct Ring {
        SD::GameObjectHandle object;
        const char* follows = nullptr;
    };
    float ramp_ = 0.2f;
    float centred_ = 0.0f;
    SD::Vec2 smoothed_[2];
    SD::Vec2 lastNote_[2];
    SD::Vec2 previousCursor_[2];
    float idle_ = 0.0f;
    Ring rings_[kRingCount];
    int nextRing_ = 0;
};

}  // namespace QV
