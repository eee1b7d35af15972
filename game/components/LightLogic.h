#pragma once
// Lights that animate themselves: one bobs up and down, one pulses its brightness, one fades in
// as the player approaches. Each keeps its bulb (geometry) colour equal to its light colour, and
// a light whose object's group is inactive goes dark (or out of sight).
#include "core/Vector.h"
#include "game/components/Bobbing.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class FloatingLightLogic : public ReflectedLogic<FloatingLightLogic, SD::kFloatingLightLogicID> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void RegisterFunctions() override;

    float GetExtents() const { return extents_; }
    void SetExtents(float extents) { extents_ = extents; }
    float GetSpeed() const { return speed_; }
    void SetSpeed(float speed) { speed_ = speed; }

private:
    float extents_ = 0.0f;
    float speed_ = 0.0f;
    Bobbing bob_;
};

class PulsingLightLogic : public ReflectedLogic<PulsingLightLogic, SD::CID_PulsingLightLogic> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;

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

class FadeInLightLogic : public ReflectedLogic<FadeInLightLogic, SD::kFadeInLightLogicID> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;

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
