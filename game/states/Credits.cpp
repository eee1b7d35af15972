#include "game/states/Credits.h"

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/LevelEditor.h"
#include "game/states/StateObjects.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"

namespace QV {

void Credits::Load() {
    for (uint32_t code : {SD::key_ESCAPE, SD::xpad1_BACK, SD::xpad1_START, SD::key_SPACE, SD::xpad1_A, SD::xpad1_Y,
                          SD::xpad1_X, SD::xpad1_B, SD::key_RETURN})
        bindings_.BindDigital("Quit", code);
    bindings_.BindAnalog("Credits_UpDown", SD::xpad1_AXIS_LY_N, 0, 1.0f);
    bindings_.BindAnalog("Credits_UpDown", SD::xpad1_AXIS_RY_N, 0, 1.0f);
    bindings_.BindAnalog("Credits_UpDown", SD::key_DOWN, SD::key_UP, 1.0f);
    bindings_.BindAnalog("Credits_UpDown", SD::key_S, SD::key_W, 1.0f);
    if (LevelEditor* editor = LevelEditor::Peek()) editor->LoadLevel("MainMenu");
    CreateNamed("Hud/Credits_Screen", "Credits");
    CreateNamed("Hud/Credits_BlackScreen", nullptr);
    if (SD::GameStateManager_* states = SD::GameStateManager_::GetInstance())
        states->SetPlayState(SD::GameStateManager_::kPlay);
    CreateNamed("MainMenu/Water", "Water");
    CreateNamed("MainMenu/CameraTarget", "MM_Target");
    CreateNamed("MainMenu/Camera", nullptr);
    CreateNamed("World/ParticleTest", nullptr);
}

void Credits::Unload() {
    if (SD::Input_* input = SD::Input_::GetInstance()) input->ClearDigital("Quit");
    bindings_.UnbindAll();
}

void Credits::Update(float dt) {
    SD::Input_* input = SD::Input_::GetInstance();
    SD::GameObject* credits = FindNamed("Credits");
    // Without its credits there is nothing to roll: back to the menu.
    bool done = !credits;
    if (credits) {
        SD::Transform& t = credits->GetTransform();
        if (t.GetPosY() > kEndY) {
            const float push = input ? input->GetAnalog("Credits_UpDown") * 0.05f : 0.0f;
            t.SetPosY(t.GetPosY() - dt * kScrollRate + push);
        }
        done = t.GetPosY() <= kEndY;
    }
    if (done || (input && input->GetDigitalTriggered("Quit"))) SD::GameStateManager_::ChangeLevel("MainMenu");
}

}  // namespace QV
