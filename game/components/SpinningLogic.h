#pragma once
// Starts spinning its object about one of its local axes once the player comes near, ramping
// the speed up over the activation time.
#include "core/Matrix.h"
#include "core/RTTI.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class SpinningLogic : public ReflectedLogic<SpinningLogic, SD::kSpinningLogicID> {
public:
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;

    // 0 local X, 1 local Y, 2 local Z; any other value spins nothing.
    int GetSpinAxis() const { return spinAxis_; }
    void SetSpinAxis(int axis) { spinAxis_ = axis; }
    float GetSpinSpeed() const { return spinSpeed_; }
    void SetSpinSpeed(float speed) { spinSpeed_ = speed; }
    float GetSpinActivationDistance() const { return activationDistance_; }
    void SetSpinActivationDistance(float distance) { activationDistance_ = distance; }
    float GetSpinTimeToActivate() const { return activationTime_; }
    void SetSpinTimeToActivate(float seconds) { activationTime_ = seconds; }
    bool GetSpinStarted() const { return spinning_; }
    void SetSpinStarted(bool started) { spinning_ = started; }

private:
    int spinAxis_ = 0;
    float spinSpeed_ = 0.0f;
    SD::Mtx33 startOrientation_ = SD::Mtx33::Diagonal(0.0f, 0.0f, 0.0f);
    float activationDistance_ = 0.0f;
    float activationTime_ = 0.0f;
    float timeSinceStart_ = 0.0f;
    bool spinning_ = false;
};

}  // namespace QV
