#include "game/components/SpinningLogic.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"

namespace QV {

void SpinningLogic::VInitialize(bool) {
    if (GetOwner()) startOrientation_ = GetOwner()->GetTransform().GetOrient();
    timeSinceStart_ = 0.0f;
}

void SpinningLogic::VCaptureStartState() { SpinningLogic::VInitialize(true); }

void SpinningLogic::VRestoreStartState() {
    if (GetOwner()) GetOwner()->GetTransform().SetOrient(startOrientation_);
    timeSinceStart_ = 0.0f;
}

void SpinningLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(spinAxis_, "Spin Axis", "Integer");
    stream.Serialize(spinSpeed_, "Spin Speed", "Float");
    stream.Serialize(spinning_, "Start Spinning", "Boolean");
    stream.Serialize(activationDistance_, "Activation Distance", "Float");
    stream.Serialize(activationTime_, "Activation Time", "Float");
}

void SpinningLogic::VUpdate(float dt) {
    if (!IsRunning() || !GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    if (!spinning_) {
        if (Near(GetOwner(), FindPlayer(), activationDistance_)) spinning_ = true;
        return;
    }
    // A ramp at or past 1, or not a number (no activation time), is full speed.
    float ramp = timeSinceStart_ / activationTime_;
    if (!(ramp < 1.0f)) ramp = 1.0f;
    const float angle = spinSpeed_ * ramp * dt;
    switch (spinAxis_) {
        case 0:
            transform.RotateLocalXRad(angle);
            break;
        case 1:
            transform.RotateLocalYRad(angle);
            break;
        case 2:
            transform.RotateLocalZRad(angle);
            break;
        default:
            break;
    }
    timeSinceStart_ += dt;
}

void SpinningLogic::RegisterFunctions() {
    RTTI_GETTER(&SpinningLogic::GetSpinAxis);
    RTTI_SETTER(&SpinningLogic::SetSpinAxis);
    RTTI_GETTER(&SpinningLogic::GetSpinSpeed);
    RTTI_SETTER(&SpinningLogic::SetSpinSpeed);
    RTTI_GETTER(&SpinningLogic::GetSpinActivationDistance);
    RTTI_SETTER(&SpinningLogic::SetSpinActivationDistance);
    RTTI_GETTER(&SpinningLogic::GetSpinTimeToActivate);
    RTTI_SETTER(&SpinningLogic::SetSpinTimeToActivate);
    RTTI_GETTER(&SpinningLogic::GetSpinStarted);
    RTTI_SETTER(&SpinningLogic::SetSpinStarted);
}

}  // namespace QV
