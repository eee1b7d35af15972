#include "game/components/WorldLogic.h"

#include <cmath>

#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"

namespace QV {

bool IsRunning() { return SD::GetCurrentPlayState() == SD::kPlayStatePlay; }

SD::GameObject* FindPlayer() { return SD::Factory_::GetGameObjectByName("Player"); }

float SquaredDistance(SD::GameObject* a, SD::GameObject* b) {
    return (a->GetTransform().GetLocalPos() - b->GetTransform().GetLocalPos()).LengthSq();
}

void SetBulbAlpha(SD::GameObject* object, float alpha) { looks::SetGeometryAlpha(object, alpha); }

float RandomAngle(float limit) { return std::fmod(static_cast<float>(SD::RandomRaw()), 2.0f * limit) - limit; }

}  // namespace QV
