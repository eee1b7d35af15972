#include "game/components/WorldLogic.h"

#include <cmath>

#include "core/EngineCore.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"

namespace QV {

bool IsRunning() { return SD::GetCurrentPlayState() == SD::kPlayStatePlay; }

SD::GameObject* FindPlayer() { return SD::Factory_::GetGameObjectByName("Player"); }

float SquaredDistance(SD::GameObject* a, SD::GameObject* b) {
    return (a->GetTransform().GetLocalPos() - b->GetTransform().GetLocalPos()).LengthSq();
}

bool Near(SD::GameObject* object, SD::GameObject* other, float radius) {
    return other && radius * radius > SquaredDistance(object, other);
}

bool GroupInactive(SD::GameObject* object) {
    auto* group = static_cast<SD::Group*>(object->GetComponent(SD::CID_Group));
    return group && !group->IsActive();
}

void SetBulbAlpha(SD::GameObject* object, float alpha) { looks::SetGeometryAlpha(object, alpha); }

float CoreSeconds() { return static_cast<float>(SD::Core::GetTime()); }

float RandomAngle(float limit) { return std::fmod(static_cast<float>(SD::RandomRaw()), 2.0f * limit) - limit; }

}  // namespace QV
