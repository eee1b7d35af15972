#include "game/states/TestStates.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/EditorScene.h"
#include "game/editor/LevelEditor.h"
#include "game/states/PlayObjects.h"
#include "game/states/StateObjects.h"
#include "game/systems/SowlarSystem.h"
#include "physics/PhysicsSystem.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"

namespace QV {
namespace {

SD::GameObjectHandle HandleOf(SD::GameObject* object) { return object ? object->GetHandle() : SD::GameObjectHandle(); }

void ClearQuit(SD::InputBindingSet& bindings) {
    if (SD::Input_* input = SD::Input_::GetInstance()) input->ClearDigital("Quit");
    bindings.UnbindAll();
}

// A part of the vehicle at a local position and scale, as a child of `parent` when given.
SD::GameObject* CreatePart(const char* name, SD::GameObject* parent, const SD::Vec3& at, const SD::Vec3& scale) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* part = factory ? factory->CreateObject("World/QuorvantaPart", parent) : nullptr;
    if (!part) return nullptr;
    part->NameObject(name);
    part->GetTransform().SetPos(at);
    part->GetTransform().SetScale(scale);
    return part;
}

}  // namespace

SD::GameObjectHandle TestLevel::first_;
SD::GameObjectHandle TestLevel::second_;

void QuitOnRequest() {
    SD::Input_* input = SD::Input_::GetInstance();
    if (input && input->GetDigitalTriggered("Quit")) SD::GameStateManager_::ChangeLevel("Quit");
}

void TestLevel::Load() {
    first_ = HandleOf(CreateNamed("PrettyObject", nullptr));
    second_ = HandleOf(CreateNamed("PrettyObject01", nullptr));
    bindings_.BindDigital("Quit", SD::key_ESCAPE);
}

void TestLevel::Unload() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (SD::GameObjectHandle* handle : {&first_, &second_}) {
        if (SD::GameObject* object = handle->get(); object && factory) factory->DestroyGameObject(object);
        *handle = SD::GameObjectHandle();
    }
    bindings_.UnbindAll();
}

void BuildMode::Load() {
    if (LevelEditor* editor = LevelEditor::Peek()) editor->SetActive(true);
    bindings_.BindDigital("Quit", SD::key_ESCAPE);
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* body = factory ? factory->CreateObject("World/QuorvantaBody", nullptr) : nullptr;
    if (!body) return;
    body->NameObject("QuorvantaBody");
    const SD::Vec3 s = body->GetTransform().GetScale();
    const SD::Vec3 wheel(2.0f / s.x, 7.0f / s.y, 7.0f / s.z);
    // All four wheels ride on the body alike.
    CreatePart("QuorvantaFrontLeftWheel", body, SD::Vec3(-0.6f, -0.5f, 0.4f), wheel);
    CreatePart("QuorvantaFrontRightWheel", body, SD::Vec3(0.6f, -0.5f, 0.4f), wheel);
    CreatePart("QuorvantaBackLeftWheel", body, SD::Vec3(-0.6f, -0.5f, -0.4f), wheel);
    CreatePart("QuorvantaBackRightWheel", body, SD::Vec3(0.6f, -0.5f, -0.4f), wheel);
    if (SD::GameObject* turret =
            CreatePart("QuorvantaTurret", body, SD::Vec3(0.0f, 0.75f, 0.0f), SD::Vec3(1.0f, 0.6f, 0.4f)))
        CreatePart("QuorvantaGun", turret, SD::Vec3(0.0f, 0.0f, 1.2f), SD::Vec3(0.2f, 0.4f, 1.5f));
    body->Initialize(false);
}

void BuildMode::Unload() {
    if (LevelEditor* editor = LevelEditor::Peek()) editor->SetActive(false);
    ClearQuit(bindings_);
}

void SowlarTestBed::Load() { bindings_.BindDigital("Quit", SD::key_ESCAPE); }

void Graphics_Test::Load() {
    LevelEditor* editor = LevelEditor::Peek();
    if (editor) editor->LoadLevel("Graphics_Test");
    SD::Component* camera = CameraOf(CreateNamed("ViewSpace/Camera", nullptr));
    if (editor && camera) editorscene::ActivateCamera(camera);
    CreateNamed("ObjectTemplates/Point", "mannequin");
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek()) physics->BuildTree();
}

void Logic_Test::Load() {
    LevelEditor* editor = LevelEditor::Peek();
    if (editor) editor->LoadLevel("Logic_Test");
    SowlarSystem_::GetInstance().ResetCycle();
    SD::Vec3 start;
    if (editor) start = editor->GetPlayerSpawnPos();
    if (SD::GameObject* player = CreatePlayerWithWings(&start)) player->Initialize(false);
    SD::Component* camera = CameraOf(CreateNamed("World/Camera", "PlayerCam"));
    if (editor && camera) editorscene::ActivateCamera(camera);
}

}  // namespace QV
