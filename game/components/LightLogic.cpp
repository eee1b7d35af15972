#include "game/components/LightLogic.h"

#include <cmath>
#include <limits>

#include "core/MathUtil.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"

namespace QV {
namespace {

SD::Vec4 LightColour(SD::GameObject* owner) {
    SD::Vec4 colour;
    looks::LightColor(owner, &colour);
    return colour;
}

void SetBothColours(SD::GameObject* owner, const SD::Vec4& colour) {
    looks::SetLightColor(owner, colour);
    looks::SetGeometryColor(owner, colour);
}

}  // namespace

void FloatingLightLogic::VInitialize(bool) { bob_.Capture(GetOwner()); }

void FloatingLightLogic::VRestoreStartState() { bob_.Restore(GetOwner()); }

void FloatingLightLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(extents_, "Extents", "Float");
    stream.Serialize(speed_, "Speed", "Float");
}

void FloatingLightLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    // While the level is edited the bob follows the object wherever it is moved.
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) {
        VInitialize(false);
        return;
    }
    if (GroupInactive(owner)) {
        const float far = std::numeric_limits<float>::max();
        owner->GetTransform().SetPos(SD::Vec3(far, far, far));
        return;
    }
    bob_.time += dt;
    bob_.Lift(owner, (std::sin(speed_ * bob_.time) * 0.5f + 0.5f) * extents_);
    looks::SetGeometryColor(owner, LightColour(owner));
}

void FloatingLightLogic::RegisterFunctions() {
    RTTI_GETTER(&FloatingLightLogic::GetExtents);
    RTTI_SETTER(&FloatingLightLogic::SetExtents);
    RTTI_GETTER(&FloatingLightLogic::GetSpeed);
    RTTI_SETTER(&FloatingLightLogic::SetSpeed);
}

float PulsingLightLogic::ResetPhase() const { return 1.5f * SD::kPi / speed_; }

void PulsingLightLogic::VInitialize(bool) {
    phase_ = ResetPhase();
    if (!GetOwner()) return;
    captured_ = LightColour(GetOwner());
    looks::SetGeometryColor(GetOwner(), captured_);
}

void PulsingLightLogic::VCaptureStartState() { PulsingLightLogic::VInitialize(false); }

void PulsingLightLogic::VRestoreStartState() {
    phase_ = ResetPhase();
    if (GetOwner()) SetBothColours(GetOwner(), captured_);
}

void PulsingLightLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(speed_, "Pulsing Speed", "Float");
    stream.Serialize(maxIntensity_, "Max Light Intensity", "Float");
    stream.Serialize(pulsing_, "Pulse Start", "Boolean");
}

void PulsingLightLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner || !IsRunning()) return;
    if (GroupInactive(owner) || !pulsing_) {
        SetBothColours(owner, SD::Vec4());
        return;
    }
    phase_ += dt;
    const float k = (std::sin(speed_ * phase_) + 1.0f) * 0.5f * maxIntensity_;
    SetBothColours(owner, captured_ * k);
}

void PulsingLightLogic::RegisterFunctions() {
    RTTI_GETTER(&PulsingLightLogic::GetLightPulseSpeed);
    RTTI_SETTER(&PulsingLightLogic::SetLightPulseSpeed);
    RTTI_GETTER(&PulsingLightLogic::GetLightPulseIntensity);
    RTTI_SETTER(&PulsingLightLogic::SetLightPulseIntensity);
    RTTI_GETTER(&PulsingLightLogic::GetPulseStart);
    RTTI_SETTER(&PulsingLightLogic::SetPulseStart);
}

void FadeInLightLogic::VInitialize(bool) {
    if (GetOwner()) captured_ = LightColour(GetOwner());
    elapsed_ = 0.0f;
}

void FadeInLightLogic::VCaptureStartState() { FadeInLightLogic::VInitialize(false); }

void FadeInLightLogic::VRestoreStartState() {
    if (GetOwner()) SetBothColours(GetOwner(), captured_);
}

void FadeInLightLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(startDistance_, "Distance To Start Fading In", "Float");
    stream.Serialize(fadeTime_, "Fading In Time", "Float");
}

void FadeInLightLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner || !IsRunning()) return;
    if (GroupInactive(owner)) {
        SetBothColours(owner, SD::Vec4());
        return;
    }
    SD::GameObject* player = FindPlayer();
    if (!player) return;
    if (elapsed_ < 0.0001f && Near(owner, player, startDistance_)) elapsed_ += dt;
    if (elapsed_ > 0.0001f && fadeTime_ > elapsed_) elapsed_ += dt;
    SetBothColours(owner, captured_ * (elapsed_ / fadeTime_));
}

void FadeInLightLogic::RegisterFunctions() {
    RTTI_GETTER(&FadeInLightLogic::GetLightFadeTime);
    RTTI_SETTER(&FadeInLightLogic::SetLightFadeTime);
    RTTI_GETTER(&FadeInLightLogic::GetFadeLightDistanceCheck);
    RTTI_SETTER(&FadeInLightLogic::SetFadeLightDistanceCheck);
}

}  // namespace QV
