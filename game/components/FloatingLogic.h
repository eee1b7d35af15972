#pragma once
// Bobs its object up and down about the position it had when its start state was captured.
#include "core/RTTI.h"
#include "engine/UpdateComponent.h"
#include "game/components/Bobbing.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class FloatingLogic : public ReflectedLogic<FloatingLogic, SD::CID_Floating> {
public:
    int VGetVersion() const override { return 1; }
    bool VReadsVersion(int version) const override { return version == 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VRestoreStartState() override;
    void VCaptureStartState() override;
    void RegisterFunctions() override;

    // The move extent: how far above and below its start the object goes.
    float GetMoveDelta() const { return moveExtent_; }
    void SetMoveDelta(float extent) { moveExtent_ = extent; }
    // Radians per second.
    float GetMoveSpeed() const { return moveSpeed_; }
    void SetMoveSpeed(float speed) { moveSpeed_ = speed; }

private:
    float moveExtent_ = 5.0f;
    float moveSpeed_ = 5.0f;
    Bobbing bob_;
};

}  // namespace QV
