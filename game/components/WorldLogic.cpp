#include "game/components/WorldLogic.h"

#include "engine/Factory.h"
#include "engine/PlayStateQuery.h"

namespace QV {

bool IsRunning() { return SD::GetCurrentPlayState() == SD::kPlayStatePlay; }

SD::GameObject* FindPlayer() { return SD::Factory_::GetGameObjectByName("Player"); }

}  // namespace QV
