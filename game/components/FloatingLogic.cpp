#include "game/components/FloatingLogic.h"

#include <cmath>

#include "engine/IStream.h"
#include "game/components/WorldLogic.h"

namespace QV {

void FloatingLogic::VInitialize(bool) { VCaptureStartState(); }

void FloatingLogic::VCaptureStartState() { bob_.Capture(GetOwner()); }

void FloatingLogic::VRestoreStartState() { bob_.Restore(GetOwner()); }

void FloatingLogic::VSerialize(SD::IStream& stream, int version) {
    if (version != 1) return;
    stream.Serialize(moveExtent_, "Move Extent", "Float");
    stream.Serialize(moveSpeed_, "Move Speed", "Float");
}

void FloatingLogic::VUpdate(float dt) {
    if (!IsRunning() || !GetOwner()) return;
    bob_.Lift(GetOwner(), moveExtent_ * std::sin(moveSpeed_ * bob_.time));
    bob_.time += dt;
}

void FloatingLogic::RegisterFunctions() {
    RTTI_GETTER(&FloatingLogic::GetMoveDelta);
    RTTI_SETTER(&FloatingLogic::SetMoveDelta);
    RTTI_GETTER(&FloatingLogic::GetMoveSpeed);
    RTTI_SETTER(&FloatingLogic::SetMoveSpeed);
}

}  // namespace QV
