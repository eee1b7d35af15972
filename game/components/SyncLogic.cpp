#include "game/components/SyncLogic.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"

namespace QV {

void SyncLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(target_, "Target", "String");
    stream.Serialize(syncPosition_, "Sync Pos", "Boolean");
    stream.Serialize(syncOrientation_, "Sync Orient", "Boolean");
}

void SyncLogic::VUpdate(float) {
    SD::GameObject* target = SD::Factory_::GetGameObjectByName(target_.c_str());
    if (!target || !GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    if (syncPosition_) transform.SetPos(target->GetTransform().GetLocalPos());
    if (syncOrientation_) transform.SetOrient(target->GetTransform().GetOrient());
}

}  // namespace QV
