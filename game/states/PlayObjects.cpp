#include "game/states/PlayObjects.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/EditorScene.h"
#include "game/editor/LevelEditor.h"
#include "game/hud/HudSystem.h"
#include "game/states/StateObjects.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputBindingSet.h"
#include "runtime/InputCodes.h"

namespace QV {
namespace {

struct Wing {
    const char* blueprint;
    const char* name;
};
const Wing kWings[] = {{"World/FlyWingBackLeft", "WingBackLeft"},
                       {"World/FlyWingFrontLeft", "WingFrontLeft"},
                       {"World/FlyWingBackRight", "WingBackRight"},
                       {"World/FlyWingFrontRight", "WingFrontRight"}};

}  // namespace

SD::GameObject* CreatePlayerWithWings(const SD::Vec3* start) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* player = factory ? factory->CreateObject("World/Player", nullptr) : nullptr;
    if (!player) return nullptr;
    player->NameObject("Player");
    if (start) player->GetTransform().SetPos(*start);
    player->GetTransform().RotateLocalXRad(kPlayerTilt);
    for (const Wing& wing : kWings) {
        SD::GameObject* child = factory->CreateObject(wing.blueprint, player);
        if (!child) continue;
        child->NameObject(wing.name);
        child->GetTransform().RotateLocalXRad(kPlayerTilt);
    }
    return player;
}

SD::Component* CameraOf(SD::GameObject* object) { return object ? object->GetComponent(SD::CID_Camera) : nullptr; }

void MakeActiveCamera(SD::Component* camera) {
    LevelEditor* editor = LevelEditor::Peek();
    if (!editor || !camera) return;
    editorscene::ActivateCamera(camera);
    editor->SetReturnCamera(camera);
}

SD::GameObject* CreatePlayerCamera() {
    SD::GameObject* camera = CreateNamed("World/Camera", "PlayerCam");
    MakeActiveCamera(CameraOf(camera));
    return camera;
}

void BindPauseKeys(SD::InputBindingSet& bindings) {
    bindings.BindDigital("TogglePause", SD::key_ESCAPE);
    bindings.BindDigital("TogglePause", SD::xpad1_START);
    bindings.BindDigital("Unpause", SD::xpad1_BACK);
    bindings.BindDigital("Unpause", SD::xpad1_B);
}

void StepPauseKeys() {
    SD::Input_* input = SD::Input_::GetInstance();
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (!input || !states) return;
    const int32_t play = states->GetPlayState();
    if (input->GetDigitalTriggered("TogglePause")) {
        if (FindNamed("QuitPrompt"))
            DestroyNamed("QuitPrompt");
        else if (play == SD::GameStateManager_::kPlay)
            states->SetPlayState(SD::GameStateManager_::kPause);
        else if (play == SD::GameStateManager_::kPause)
            states->SetPlayState(SD::GameStateManager_::kPlay);
    } else if (input->GetDigitalTriggered("Unpause")) {
        if (FindNamed("QuitPrompt"))
            DestroyNamed("QuitPrompt");
        else if (play == SD::GameStateManager_::kPause)
            states->SetPlayState(SD::GameStateManager_::kPlay);
    }
    ShowPauseMenu(states->GetPlayState() == SD::GameStateManager_::kPause);
}

void ShowPauseMenu(bool shown) {
    SD::GameObject* menu = FindNamed(kPauseMenuName);
    if (!shown) {
        if (menu) DestroyNamed(kPauseMenuName);
        return;
    }
    if (menu) return;
    HudSystem* hud = HudSystem::GetInstance();
    if (SD::GameObject* created = hud ? hud->CreateHud("PauseMenu") : nullptr) {
        created->NameObject(kPauseMenuName);
        created->Initialize(false);
    }
}

}  // namespace QV
