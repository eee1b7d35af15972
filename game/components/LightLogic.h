#pragma once
// Lights that animate themselves: one bobs up and down, one pulses its brightness, one fades in
// as the player approaches. Each keeps its bulb (geometry) colour equal to its light colour, and
// a light whose object's group is inactive goes dark (or out of sight).
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/UpdateComponent.h"
#include "game/components/Bobbing.h"

namespace QV {

class FloatingLightLogic : public SD::IUpdateComponent, public RTTIUser<FloatingLightLogic> {
public:
    FloatingLightLogic() { SetID(SD::kFloatingLightLogicID); }
    SD::ComponentID VGetID() const override { return SD::kFloatingLightLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    float GetExtents() const { return extents_; }
    void SetExtents(float extents) { extents_ = extents; }
    float GetSpeed() const { return speed_; }
    void SetSpeed(float speed) { speed_ = speed; }

private:
    float extents_ = 0.0f;
    float speed_ = 0.0f;
    Bobbing bob_;
};

class PulsingLightLogic : public SD::IUpdateComponent, public RTTIUser<PulsingLightLogic> {
public:
    PulsingLightLogic() { SetID(SD::CID_PulsingLightLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_PulsingLightLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    float GetLightPulseSpeed() const { return speed_; }
    void SetLightPulseSpeed(float speed) { speed_ = speed; }
    float GetLightPulseIntensity() const { return maxIntensity_; }
    void SetLightPulseIntensity(float intensity) { maxIntensity_ = intensity; }
    bool GetPulseStart() const { return pulsing_; }
    void SetPulseStart(bool pulsing) { pulsing_ = pulsing; }

private:
    // The phase at which the sine is lowest: the pulse starts dark.
    float ResetPhase() const;

    float speed_ = 0.0f;
    float maxIntensity_ = 0.0f;
    SD::Vec4 captured_;
    bool pulsing_ = false;
    float phase_ = 0.0f;
};

class FadeInLightLogic : public SD::IUpdateComponent, public RTTIUser<FadeInLightLogic> {
public:
    FadeInLightLogic() { SetID(SD::kFadeInLightLogicID); }
    SD::ComponentID VGetID() const override { return SD::kFadeInLightLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    float GetLightFadeTime() const { return fadeTime_; }
    void SetLightFadeTime(float seconds) { fadeTime_ = seconds; }
    float GetFadeLightDistanceCheck() const { return startDistance_; }
    void SetFadeLightDistanceCheck(float distance) { startDistance_ = distance; }

private:
    SD::Vec4 captured_;
    float elapsed_ = 0.0f;
    float fadeTime_ = 0.0f;
    float startDistance_ = 0.0f;
};

}  // namespace QV
