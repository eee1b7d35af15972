#include "game/components/SafeZone.h"

#include "core/Delegate.h"
#include "core/Logger.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "physics/Collider.h"

namespace QV {

void SafeZone::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    auto* collider =
        owner ? static_cast<Gedankenexperiment::Collider*>(owner->GetComponent(SD::CID_Collider)) : nullptr;
    if (!collider) {
        SD_WARNING(Debug::kLogError, "Safe zone of object %s has no collider; no firefly will find it",
                   owner ? owner->GetName().c_str() : "");
        return;
    }
    collider->SetCallback(new MFCore::GuardedFunction(
        new MFCore::Delegate_1Parameters<void, SafeZone, Gedankenexperiment::Collider*>(this, &SafeZone::OnContact),
        lifetime_.Token()));
}

void SafeZone::OnContact(Gedankenexperiment::Collider* other) {
    SD::GameObject* object = other ? other->GetOwner() : nullptr;
    auto* firefly = object ? static_cast<Firefly*>(object->GetComponent(SD::CID_Firefly)) : nullptr;
    if (!firefly || !GetOwner()) return;
    Firefly_Manager::GetInstance().CreateGroupFor(GetOwner()->GetTransform().GetPos(), firefly, SD::SharedString());
    firefly->DoAction(Firefly::ActionMode::kBlink, SD::SharedString("Blink"));
    firefly->SetArrivalRadius(kArrivalRadius);
}

}  // namespace QV
