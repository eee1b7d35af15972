#pragma once
// Components that act once when the player comes near their object: one wakes its object's
// spawning when the season has armed it, one turns the player camera towards its object, and
// one queues a HUD fade and plays the narration lines of the story.
#include "core/RTTI.h"
#include "core/SharedString.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class HackProximitySpawn : public ReflectedLogic<HackProximitySpawn, SD::kHackProximitySpawnID> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    // Set by the season's group activation in place of waking the object at once.
    void Arm() { armed_ = 1; }
    bool IsArmed() const { return armed_ == 1; }
    bool IsDone() const { return done_; }
    float GetProximity() const { return radius_; }
    void SetProximity(float radius) { radius_ = radius; }

private:
    float radius_ = 0.0f;
    int armed_ = 0;
    bool done_ = false;
};

class CameraTransitionTrigger : public ReflectedLogic<CameraTransitionTrigger, SD::kCameraTransitionTriggerID> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override { fired_ = false; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    bool IsFired() const { return fired_; }
    float GetTransRadius() const { return radius_; }
    void SetTransRadius(float radius) { radius_ = radius; }

private:
    bool fired_ = false;
    float radius_ = 0.0f;
};

class HudFadeTrigger : public SD::IUpdateComponent {
public:
    static constexpr int kNarrationSteps = 9;

    HudFadeTrigger() { SetID(SD::CID_HudFadeTrigger); }
    SD::ComponentID VGetID() const override { return SD::CID_HudFadeTrigger; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    // Plays the narration line of the story's step once and starts the fade of its text.
    void PlayNarration(int step);
    bool IsDone() const { return done_; }
    bool IsQueued() const { return queued_; }

private:
    float distance_ = 0.0f;
    SD::SharedString hudName_;
    bool narrated_[kNarrationSteps] = {};
    bool done_ = false;
    bool queued_ = false;
};

}  // namespace QV
