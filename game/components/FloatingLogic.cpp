#include "game/components/FloatingLogic.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"

namespace QV {

void FloatingLogic::VInitialize(bool) { VCaptureStartState(); }

void FloatingLogic::VCaptureStartState() {
    if (GetOwner()) start_ = GetOwner()->GetTransform().GetLocalPos();
    time_ = 0.0f;
}

void FloatingLogic::VRestoreStartState() {
    if (GetOwner()) GetOwner()->GetTransform().SetPos(start_);
    time_ = 0.0f;
}

void FloatingLogic::VSerialize(SD::IStream& stream, int version) {
    if (version != 1) return;
    stream.Serialize(moveExtent_, "Move Extent", "Float");
    stream.Serialize(moveSpeed_, "Move Speed", "Float");
}

void FloatingLogic::VUpdate(float dt) {
    if (!IsRunning() || !GetOwner()) return;
    GetOwner()->GetTransform().SetPos(
        SD::Vec3(start_.x, start_.y + moveExtent_ * std::sin(moveSpeed_ * time_), start_.z));
    time_ += dt;
}

void FloatingLogic::RegisterFunctions() {
    RTTI_GETTER(&FloatingLogic::GetMoveDelta);
    RTTI_SETTER(&FloatingLogic::SetMoveDelta);
    RTTI_GETTER(&FloatingLogic::GetMoveSpeed);
    RTTI_SETTER(&FloatingLogic::SetMoveSpeed);
}

}  // namespace QV
