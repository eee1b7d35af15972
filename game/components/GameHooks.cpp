#include "game/components/GameHooks.h"

#include "engine/GameObject.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"

namespace QV {

SD::GameObject* GameHooks::SpawnFirefly(const SD::Vec3& at, const SD::Vec3& spawnerPosition, int colour,
                                        const char* behaviour) {
    return Firefly_Manager::GetInstance().SpawnFirefly(at, spawnerPosition, colour,
                                                       SD::SharedString(behaviour ? behaviour : ""));
}

void GameHooks::ConfigureFirefly(SD::GameObject* object, const SD::Vec3& pathScale, const SD::Vec3& pathForce,
                                 const char* idleBehaviour) {
    auto* firefly = object ? static_cast<Firefly*>(object->GetComponent(SD::CID_Firefly)) : nullptr;
    if (!firefly) return;
    firefly->SetPathScale(pathScale);
    firefly->SetPathForce(pathForce);
    firefly->DoAction(Firefly::ActionMode::kIdle, SD::SharedString(idleBehaviour ? idleBehaviour : ""));
}

}  // namespace QV
