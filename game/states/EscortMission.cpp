#include "game/states/EscortMission.h"

#include "engine/GameObject.h"
#include "game/components/EffectFollow.h"
#include "game/editor/LevelEditor.h"
#include "game/states/PlayObjects.h"
#include "game/states/StateObjects.h"

namespace QV {

void World_EscortMission::Load() {
    BindPauseKeys(bindings_);
    if (LevelEditor* editor = LevelEditor::Peek()) editor->LoadLevel("World_EscortMission");
    if (SD::GameObject* player = CreatePlayerWithWings(nullptr)) player->Initialize(false);
    CreatePlayerCamera();
    CreateNamed("Hud/Wbar1", "Wbar1");
    CreateNamed("Hud/Wbar2", "Wbar2");
    SD::GameObject* stars = CreateNamed("World/TwinklingStars", nullptr);
    SD::GameObject* player = FindNamed("Player");
    if (stars && player) SetEffectFollow(*stars, *player);
}

void World_EscortMission::Unload() {
    bindings_.UnbindAll();
    if (LevelEditor* editor = LevelEditor::Peek()) editor->SetReturnCamera(nullptr);
}

void World_EscortMission::Update(float) { StepPauseKeys(); }

}  // namespace QV
