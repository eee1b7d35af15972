#include "game/states/MainMenu.h"

#include "engine/GameObject.h"
#include "game/editor/LevelEditor.h"
#include "game/hud/HudSystem.h"
#include "game/states/StateObjects.h"
#include "game/systems/AudioLogic.h"
#include "graphics/Graphics.h"
#include "physics/PhysicsSystem.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Kinect.h"

namespace QV {

void MainMenu::Load() {
    for (uint32_t code : {SD::key_ESCAPE, SD::xpad1_BACK, SD::xpad1_B}) bindings_.BindDigital("Quit", code);
    for (uint32_t code : {SD::key_SPACE, SD::key_RETURN, SD::xpad1_A}) bindings_.BindDigital("Go", code);
    bindings_.BindDigital("KinectTiltHigh", SD::key_PLUS);
    bindings_.BindDigital("KinectTiltCenter", SD::key_0);
    bindings_.BindDigital("KinectTiltLow", SD::key_MINUS);

    if (HudSystem* hud = HudSystem::GetInstance())
        if (SD::GameObject* menu = hud->CreateHud("MainMenu")) menu->Initialize(false);
    if (LevelEditor* editor = LevelEditor::Peek()) editor->LoadLevel("MainMenu");
    // The menu's scene is drawn under its sky.
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSkyEnabled(true);

    const char* const prompts[][2] = {
        {"Hud/KinectImage", "KinectImage"},       {"Hud/KinectImage2", "KinectImage1_2"},
        {"Hud/KinectImage3", "KinectImage1_3"},   {"Hud/KinectImage", "KinectImage2"},
        {"Hud/KinectImage2", "KinectImage2_2"},   {"Hud/KinectImage3", "KinectImage2_3"},
        {"Hud/KinectTriangle", "KinectTriangle"}, {"Hud/KinectCircle", "KinectCircle"},
    };
    for (const auto& prompt : prompts) CreateNamed(prompt[0], prompt[1]);

    if (SD::GameStateManager_* states = SD::GameStateManager_::GetInstance())
        states->SetPlayState(SD::GameStateManager_::kPlay);
    CreateNamed("MainMenu/CameraTarget", "MM_Target");
    CreateNamed("MainMenu/Camera", nullptr);
    CreateNamed("World/TwinklingStars", nullptr);
    CreateNamed("World/ParticleTest", nullptr);

    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::GetInstance())
        physics->BuildTree();
    AudioLogic_::PostEvent("Play_Spring_Ambient", nullptr);
    AudioLogic_::PostEvent("Resume_Master_Audio_Bus", nullptr);
    AudioLogic_::GetInstance().SetMusicState(1);
    startCoolDown_ = kStartCoolDown;
    pushTimer_ = 0.0f;
}

void MainMenu::Unload() {
    if (SD::Input_* input = SD::Input_::GetInstance()) input->ClearDigital("StartGame");
    bindings_.UnbindAll();
    if (LevelEditor* editor = LevelEditor::Peek()) editor->SetReturnCamera(nullptr);
}

void MainMenu::StartWorld() {
    AudioLogic_::PostEvent("Play_FireflyMainMenu", nullptr);
    SD::GameStateManager_::ChangeLevel("World");
}

void MainMenu::Update(float dt) {
    if (startCoolDown_ > 0.0f) startCoolDown_ -= dt;
    SD::Kinect_* kinect = SD::Kinect_::GetInstance();
    const bool sensor = kinect && kinect->IsConnected();
    KinectStep(dt);
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input) return;
    // One press, one action: while a menu widget has the focus (the menu's own entries, the quit
    // prompt's answers) the select keys are the widget's, and "Go" starts only without one; while
    // the level editor is on they are the editor's.
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    const bool editorOn = states && states->GetPlayState() == SD::GameStateManager_::kDevPause;
    HudSystem* hud = HudSystem::GetInstance();
    const bool widgetTakesKeys = hud && hud->HasFocusedWidget();
    if (!sensor && !widgetTakesKeys && !editorOn && input->GetDigitalTriggered("Go") && startCoolDown_ <= 0.0f &&
        !FindNamed("QuitPrompt"))
        StartWorld();
    if (sensor) {
        if (input->GetDigitalTriggered("KinectTiltLow")) kinect->SetElevation(-9);
        if (input->GetDigitalTriggered("KinectTiltCenter")) kinect->SetElevation(3);
        if (input->GetDigitalTriggered("KinectTiltHigh")) kinect->SetElevation(11);
    }
    if (input->GetDigitalTriggered("Quit") && states && !editorOn) {
        if (!FindNamed("QuitPrompt")) {
            if (SD::GameObject* prompt = hud ? hud->CreateHud("PromptToQuit") : nullptr) {
                prompt->NameObject("QuitPrompt");
                prompt->Initialize(false);
            }
        } else {
            DestroyNamed("QuitPrompt");
        }
    }
}

}  // namespace QV
