#pragma once
// The world's seasons and weather on placed objects: a volume that switches the audio season
// and its ambience while the player is inside (summer also drives the graphics season blend), a
// model tinted between the spring and summer colours by that blend, a recurring rain storm, the
// moon that turns the sky in 20-degree steps, and an object that copies another's placement.
#include <string>

#include "core/RTTI.h"
#include "core/SharedString.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "game/systems/SoundZones.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

// A season volume is also one of the world's sound zones.
class SeasonTransitionLogic : public SD::IUpdateComponent, public SoundZone {
public:
    enum VolumeType { kSphere = 0, kBox = 1 };

    SeasonTransitionLogic() { SetID(SD::CID_SeasonTransitionLogic); }
    ~SeasonTransitionLogic() override { RemoveSoundZone(this); }
    SD::ComponentID VGetID() const override { return SD::CID_SeasonTransitionLogic; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool) override { AddSoundZone(this); }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    bool Touches(const SD::Vec3& at, float radius) const override;

    int GetVolumeType() const { return volumeType_; }
    const SD::SharedString& GetSeason() const { return season_; }

private:
    // Where the player stands across the volume (0 to 1); false when outside.
    bool Blend(SD::GameObject* player, float* blend) const;

    int volumeType_ = kBox;
    SD::SharedString season_;
};

class SeasonalColorInterpLogic : public SD::IUpdateComponent {
public:
    SeasonalColorInterpLogic() { SetID(SD::CID_SeasonalColorInterpLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SeasonalColorInterpLogic; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    SD::Vec4 spring_;
    SD::Vec4 summer_;
    SD::Vec4 fall_;
    SD::Vec4 winter_;
};

class RainLogic : public SD::IUpdateComponent {
public:
    static constexpr float kPause = 20.0f;
    static constexpr float kStorm = 42.0f;

    RainLogic() { SetID(SD::kRainLogicID); }
    SD::ComponentID VGetID() const override { return SD::kRainLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override { particlesOn_ = false; }
    void VUpdate(float dt) override;

    // Storms run only while enabled; the sky clears and the rain stops at once either way.
    void Enable(bool enabled);
    bool IsRaining() const { return raining_; }
    bool ParticlesOn() const { return particlesOn_; }
    float GetCountdown() const { return countdown_; }
    float GetStormTime() const { return stormTime_; }

private:
    void SetParticles(bool on);

    float countdown_ = kPause;
    bool raining_ = false;
    float stormTime_ = 0.0f;
    SD::InterpolatorF darkness_{0.0f, 1.0f};
    bool particlesOn_ = false;
    float thunderCountdown_ = 0.0f;
    bool enabled_ = false;
};

class MoonLogic : public SD::IUpdateComponent, public RTTIUser<MoonLogic> {
public:
    static constexpr float kStepRadians = 0.34906584f;
    static constexpr float kStepDelay = 9.0f;
    static constexpr float kTurnRate = 0.0175f;

    MoonLogic() { SetID(SD::kMoonLogicID); }
    SD::ComponentID VGetID() const override { return SD::kMoonLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override { Layout(true); }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    // One 20-degree step more, after a fresh delay.
    void Step();
    SD::GameObject* GetMoon() const { return moon_.get(); }
    float GetCurrentTurn() const { return currentTurn_; }
    float GetTargetTurn() const { return targetTurn_; }

    float GetRadius() const { return radius_; }
    void SetRadius(float radius) { radius_ = radius; }
    float GetStartingZRotation() const { return startRotation_; }
    void SetStartingZRotation(float degrees) { startRotation_ = degrees; }
    float GetMoonScale() const { return moonScale_; }
    void SetMoonScale(float scale) { moonScale_ = scale; }

private:
    void Layout(bool create);

    float radius_ = 0.0f;
    int steps_ = 0;
    float currentTurn_ = 0.0f;
    float targetTurn_ = 0.0f;
    float startRotation_ = 0.0f;
    float moonScale_ = 0.0f;
    float stepDelay_ = 0.0f;
    SD::GameObjectHandle moon_;
};

class SyncLogic : public SD::IUpdateComponent {
public:
    SyncLogic() { SetID(SD::kSyncLogicID); }
    SD::ComponentID VGetID() const override { return SD::kSyncLogicID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    bool syncPosition_ = true;
    bool syncOrientation_ = true;
    std::string target_;
};

}  // namespace QV
