#include "game/editor/LevelEditor.h"

#include <cstdlib>

#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Singleton.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "engine/SuperialDataMap.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/EditorLayout.h"
#include "game/editor/EditorScene.h"
#include "game/editor/NameText.h"
#include "game/editor/ObjectLabel.h"
#include "game/systems/TweakableSystem.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/Window.h"
#include "runtime/WindowMessages.h"

namespace QV {
namespace layout = editorlayout;
namespace {

SD::GameObject* FindObject(const char* name) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    return factory ? factory->GetGameObject(std::string(name)) : nullptr;
}

SD::Input_* Input() { return SD::Input_::GetInstance(); }

bool Triggered(const char* binding) { return Input() && Input()->GetDigitalTriggered(binding); }
bool Held(const char* binding) { return Input() && Input()->GetDigital(binding); }
// Developer keys: read only while the input system's developer-keys flag is on.
bool KeyTriggered(uint32_t code) { return Input() && Input()->GetKeyStateTriggered(code); }
bool KeyHeld(uint32_t code) { return Input() && Input()->GetKeyState(code); }

}  // namespace

LevelEditor& LevelEditor::GetInstance() { return *SD::Singleton<LevelEditor>::Get(); }
LevelEditor* LevelEditor::Peek() { return SD::Singleton<LevelEditor>::Peek(); }
void LevelEditor::DestroyInstance() { SD::Singleton<LevelEditor>::Destroy(); }

LevelEditor::LevelEditor() { Reset(); }

LevelEditor::~LevelEditor() {
    if (fileDropRegistered_) SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::FileDrop, this);
    std::free(nameText_);
    std::free(actionName_);
}

void LevelEditor::ReadConfig(SD::ConfigFile& config) {
    config.SetSection("LevelEditor");
    manifestPath_ = config.GetString("LevelManifest", "");
    autoSaveDuration_ = config.GetFloat("AutoSaveDuration", 300.0f);
}

void LevelEditor::Initialize() {
    Reset();
    std::free(actionName_);
    actionName_ = nullptr;
    TweakableSystem::CopyCDString(&actionName_, "ScaleIn");
    bindings_.BindAnalog("LE_Camera_ZoomInOut", SD::key_MINUS, SD::key_PLUS, 3.0f);
    bindings_.BindDigital("LE_FnCtrl", SD::key_CONTROL);
    bindings_.BindDigital("LE_Save", SD::key_S);
    bindings_.BindDigital("LE_Load", SD::key_O);
    bindings_.BindDigital("LE_GroupPlacement", SD::key_G);
    bindings_.BindDigital("LE_RotateLeft", SD::key_R);
    bindings_.BindDigital("LE_RotateRight", SD::key_F);
    bindings_.BindDigital("LE_EscapeMenu", SD::key_ESCAPE);
    bindings_.BindDigital("LE_CreateObject", SD::xpad1_A);
    bindings_.BindDigital("LE_CreateObject", SD::key_SPACE);
    bindings_.BindDigital("LE_DeleteObject", SD::xpad1_X);
    bindings_.BindDigital("LE_DeleteObject", SD::key_DELETE);
    bindings_.BindDigital("LE_SelectObject", SD::xpad1_X);
    bindings_.BindDigital("LE_SelectObject", SD::key_RETURN);
    bindings_.BindDigital("LE_NextObject", SD::xpad1_KVAD_R);
    bindings_.BindDigital("LE_NextObject", SD::key_RIGHT);
    bindings_.BindDigital("LE_PrevObject", SD::xpad1_KVAD_L);
    bindings_.BindDigital("LE_PrevObject", SD::key_LEFT);
}

void LevelEditor::Shutdown() {
    // The objects go with the factory, which a later run makes afresh: no handle to them may
    // outlive this run, or the next one would resolve it against a table that is gone.
    objectHandles_.clear();
    mainRecords_.clear();
    templateRecords_.clear();
    groups_.clear();
    loadedObjects_.reset();
    selected_ = SD::GameObjectHandle();
    touched_ = SD::GameObjectHandle();
    for (CameraSlot& slot : cameras_) slot = CameraSlot();
    bindings_.UnbindAll();
    std::free(nameText_);
    nameText_ = nullptr;
    std::free(actionName_);
    actionName_ = nullptr;
}

void LevelEditor::Reset() {
    autoSaveCountdown_ = autoSaveDuration_;
    setupDone_ = false;
    cameraSlotIndex_ = 0;
    mode_ = kModeMain;
    modeStack_.clear();
    active_ = false;
    for (CameraSlot& slot : cameras_) slot = CameraSlot();
    levelName_ = kDefaultLevelName;
    templates_.clear();
    templateIndex_ = 0;
    ClearLevel();
    selected_ = SD::GameObjectHandle();
    touched_ = SD::GameObjectHandle();
    spawnPosition_ = SD::Vec3();
    spawnAngles_ = SD::Vec3();
    modeBarName_.clear();
    firstFloat_ = secondFloat_ = 0.0f;
    std::free(nameText_);
    nameText_ = nullptr;
    std::free(actionName_);
    actionName_ = nullptr;
    addsSpawnLogic_ = false;
    menusVisible_ = false;
}

void LevelEditor::ClearLevel() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (const SD::GameObjectHandle& handle : objectHandles_)
        if (SD::GameObject* object = handle.get(); object && factory) factory->DestroyGameObject(object);
    if (platform::tweak::Bar* bar = ObjectsBar()) platform::tweak::RemoveAllVars(bar);
    objectHandles_.clear();
    buttonCounter_ = 0;
    mainRecords_.clear();
    templateRecords_.clear();
    groups_.clear();
    loadedObjects_.reset();
}

void LevelEditor::Setup() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return;
    const char* blueprints[] = {"LevelEditor/MainCamera", "LevelEditor/3DCamera", "LevelEditor/Cursor"};
    const char* names[] = {"LE_CursorCamera", "LE_3DCursorCamera", "LE_Cursor"};
    SD::GameObject* made[3] = {};
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    for (int i = 0; i < 3; ++i) {
        made[i] = factory->CreateObject(blueprints[i], nullptr);
        if (!made[i]) continue;
        if (states && states->GetCurrentLevel()) states->GetCurrentLevel()->RemoveObject(made[i]);
        made[i]->Initialize(false);
        made[i]->NameObject(names[i]);
    }
    if (made[0]) SetCameraSlot(0, made[0]->GetComponent(SD::CID_SphericalCamera));
    if (made[1]) SetCameraSlot(1, made[1]->GetComponent(SD::CID_PimselMouse));
    CreateBars();
    LoadTemplates();
    setupDone_ = true;
}

void LevelEditor::SetCameraSlot(uint32_t slot, SD::Component* camera) {
    if (slot >= 3) return;
    cameras_[slot].camera = camera;
    cameras_[slot].owner = camera && camera->GetOwner() ? camera->GetOwner()->GetHandle() : SD::GameObjectHandle();
}

SD::Component* LevelEditor::GetCameraSlot(uint32_t slot) const {
    // A camera whose object is gone is no camera.
    if (slot >= 3 || !cameras_[slot].camera || !cameras_[slot].owner.get()) return nullptr;
    return cameras_[slot].camera;
}

void LevelEditor::ActivateCamera(uint32_t slot) {
    SD::Component* camera = GetCameraSlot(slot);
    if (camera) editorscene::ActivateCamera(camera);
}

void LevelEditor::SetActive(bool on) {
    if (!setupDone_ || active_ == on) return;
    active_ = on;
    SD::Message_System* messages = SD::Message_System::GetInstance();
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (on) {
        SetMenusVisible(true);
        if (!fileDropRegistered_) messages->RegisterHandler(SD::MessageIds::FileDrop, this, &LevelEditor::OnFileDrop);
        fileDropRegistered_ = true;
        if (SD::Window_* window = SD::Window_::GetInstance()) window->ShowCursor(true);
        savedAmbient_ = editorscene::AmbientColor();
        editorscene::SetAmbientColor(SD::Vec3(165.0f / 255.0f, 210.0f / 255.0f, 229.0f / 255.0f));
        editorscene::SetFogEnabled(false);
        if (states) {
            savedPlayState_ = states->GetPlayState();
            states->SetPlayState(SD::GameStateManager_::kDevPause);
        }
        ActivateCamera(0);
        return;
    }
    SetMenusVisible(false);
    if (fileDropRegistered_) messages->RemoveHandlerOf(SD::MessageIds::FileDrop, this);
    fileDropRegistered_ = false;
    if (SD::Window_* window = SD::Window_::GetInstance()) window->ShowCursor(false);
    if (states) states->SetPlayState(savedPlayState_);
    editorscene::SetAmbientColor(savedAmbient_);
    editorscene::SetFogEnabled(true);
    ActivateCamera(2);
}

float LevelEditor::FrameTime(float dt) const {
    const SD::Core* core = SD::Core::GetInstance();
    return core ? static_cast<float>(core->GetFrameTime()) : dt;
}

int LevelEditor::WindowWidth() const { return layout::WindowWidth(); }

int LevelEditor::WindowHeight() const { return layout::WindowHeight(); }

void LevelEditor::DrawText(int x, int y, const std::string& text) {
    debugText_.push_back(DebugText{x, y, text});
    editorscene::DrawDebugText(x, y, text);
}

void LevelEditor::Update(float dt) {
    debugText_.clear();
    const float frameTime = FrameTime(dt);
    if (active_) {
        editorscene::CheckCollisionsNow();
        editorscene::UseDebugTextStyle();
        switch (mode_) {
            case kModeMain:
                UpdateMainMode();
                break;
            case kModeObjectEdit:
                UpdateObjectEditMode(frameTime);
                break;
            case kModeGroup:
                UpdateGroupMode();
                break;
            case kModeSpline:
                UpdateSplineMode();
                break;
        }
    }
    // Escape in Main mode may have switched the editor off.
    if (active_) {
        UpdateCameraZoom();
        UpdatePlayerKeys();
        UpdateBarKeys();
        AutoSave(frameTime);
        PruneObjectList(mainRecords_);
        PruneObjectList(templateRecords_);
        for (auto& group : groups_) PruneObjectList(group.second);
    }
    if (KeyTriggered(SD::key_F2) || KeyTriggered(SD::xpad1_BACK)) SetActive(!active_);
    touched_ = SD::GameObjectHandle();
}

void LevelEditor::OnCursorContact(SD::GameObject* other) {
    if (other) touched_ = other->GetHandle();
}

void LevelEditor::OnFileDrop(SD::IMessage* message) {
    if (selected_.get() || !message || message->GetType() != SD::MessageIds::FileDrop) return;
    auto* drop = static_cast<SD::FileDrop*>(message);
    if ((drop->extensionIndex != 1 && drop->extensionIndex != 7) || !FindObject("LE_Cursor")) return;
    const std::string base = drop->GetFileName();
    for (const std::string& name : templates_) {
        const std::string shortName = name.size() > kTemplatePrefixLength ? name.substr(kTemplatePrefixLength) : name;
        if (shortName != base) continue;
        SD::Factory_* factory = SD::Factory_::GetInstance();
        SD::GameObject* object = factory ? factory->CreateObject(name.c_str(), nullptr) : nullptr;
        if (object && !PlaceInCurrentMode(object)) object->Destroy();
        return;
    }
}

void LevelEditor::PushMode(EditMode mode) {
    if (mode == mode_) return;
    modeStack_.push_back(mode_);
    mode_ = mode;
}

void LevelEditor::PopMode() {
    if (modeStack_.empty()) return;
    mode_ = modeStack_.back();
    modeStack_.pop_back();
}

void LevelEditor::CycleCamera(int step) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        cameraSlotIndex_ = static_cast<uint32_t>((static_cast<int>(cameraSlotIndex_) + step + 3) % 3);
        SD::Component* camera = GetCameraSlot(cameraSlotIndex_);
        if (!camera) continue;
        editorscene::ActivateCamera(camera);
        return;
    }
}

SD::GameObject* LevelEditor::PlaceObject(SD::Transform* cursor, SD::GameObject* object, LevelObjectRecords* records,
                                         const std::string& layer) {
    if (!object) return nullptr;
    if (cursor) object->GetTransform().SetPos(cursor->GetPos());
    selected_ = object->GetHandle();
    if (records) {
        object->Initialize(false);
        LevelObjectRecord record;
        record.handle = object->GetHandle();
        record.label = SD::SharedString(ObjectLabel(object));
        records->push_back(record);
        objectHandles_.push_back(object->GetHandle());
        AddObjectButton(record, layer, objectHandles_.size());
    }
    if (TweakableSystem* tweakables = TweakableSystem::GetInstance()) tweakables->ShowObject(object);
    PushMode(kModeObjectEdit);
    return object;
}

SD::GameObject* LevelEditor::PlaceInCurrentMode(SD::GameObject* object) {
    if (mode_ == kModeMain) {
        SD::GameObject* cursor = FindObject("LE_Cursor");
        return PlaceObject(cursor ? &cursor->GetTransform() : nullptr, object, &mainRecords_, "Main");
    }
    if (mode_ == kModeGroup) {
        const std::string name = CleanName(nameText_, true);
        return name.empty() ? nullptr : PlaceInGroup(object, name);
    }
    return nullptr;
}

void LevelEditor::SelectObject(SD::GameObject* object) {
    SD::GameObject* cursor = FindObject("LE_Cursor");
    if (!object || !cursor) return;
    TweakableSystem* tweakables = TweakableSystem::GetInstance();
    if (mode_ == kModeObjectEdit) {
        if (tweakables) tweakables->HideObject(selected_.get());
    } else {
        PushMode(kModeObjectEdit);
    }
    selected_ = object->GetHandle();
    NoteSelected(object);
    if (tweakables && !tweakables->IsShown(object)) tweakables->ShowObject(object);
    cursor->GetTransform().SetPos(object->GetTransform().GetPos());
}

SD::GameObject* LevelEditor::UpdateTemplateChoice() {
    const uint32_t count = static_cast<uint32_t>(templates_.size());
    if (count > 0) {
        if (Triggered("LE_NextObject")) templateIndex_ = (templateIndex_ + 1) % count;
        if (Triggered("LE_PrevObject")) templateIndex_ = templateIndex_ == 0 ? count - 1 : (templateIndex_ - 1) % count;
    }
    DrawText(layout::kMargin, layout::FootRow(WindowHeight()),
             count == 0 ? "No objects found!" : templates_[templateIndex_ % count]);
    if (count == 0 || templateIndex_ >= count || Held("LE_FnCtrl") || !Triggered("LE_CreateObject")) return nullptr;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    return factory ? factory->CreateObject(templates_[templateIndex_].c_str(), nullptr) : nullptr;
}

void LevelEditor::UpdateMainMode() {
    if (Triggered("LE_EscapeMenu")) {
        SetActive(false);
        return;
    }
    DrawText(layout::kMargin, layout::kTitleRow, "Edit Mode:");
    if (Held("LE_FnCtrl")) {
        if (Triggered("LE_Load")) LoadLevel(levelName_.c_str());
        if (Triggered("LE_GroupPlacement")) PushMode(kModeGroup);
        if (KeyTriggered(SD::key_K)) PushMode(kModeSpline);
        if (mode_ != kModeMain) return;
    }
    SD::GameObject* cursor = FindObject("LE_Cursor");
    SD::GameObject* touched = touched_.get();
    if (cursor) {
        looks::SetGeometryColor(cursor, touched ? SD::Vec4(1, 0, 0, 1) : SD::Vec4(1, 1, 1, 1));
        if (touched && !Held("LE_FnCtrl") && Triggered("LE_SelectObject")) SelectObject(touched);
    }
    if (mode_ != kModeMain) return;
    if (SD::GameObject* created = UpdateTemplateChoice())
        PlaceObject(cursor ? &cursor->GetTransform() : nullptr, created, &mainRecords_, "Main");
    if (mode_ == kModeMain && KeyTriggered(SD::key_C)) CycleCamera(KeyHeld(SD::key_SHIFT) ? -1 : 1);
}

void LevelEditor::UpdateObjectEditMode(float frameTime) {
    SD::GameObject* cursor = FindObject("LE_Cursor");
    SD::GameObject* object = selected_.get();
    if (!cursor || !object) {
        PopMode();
        return;
    }
    DrawText(layout::kMargin, layout::kTitleRow, "Object editing:");
    // The template the edited object was made from, where the main mode names the one Space places.
    DrawText(layout::kMargin, layout::FootRow(WindowHeight()), object->GetBlueprintName());
    if (GetCameraSlot(0)) {
        SD::Input_* input = Input();
        CursorLogic::MoveTransform(cameras_[0].owner.get()->GetTransform(), object->GetTransform(), frameTime, 10.0f,
                                   input ? input->GetAnalog("LE_Cursor_Accelerate") : 0.0f);
    }
    cursor->GetTransform().SetPos(object->GetTransform().GetPos());
    const float turn = frameTime * 3.0f;
    if (Held("LE_RotateLeft")) object->GetTransform().RotateLocalYRad(-turn);
    if (Held("LE_RotateRight")) object->GetTransform().RotateLocalYRad(turn);
    TweakableSystem* tweakables = TweakableSystem::GetInstance();
    if (Triggered("LE_CreateObject") || Triggered("LE_EscapeMenu")) {
        if (tweakables) tweakables->HideObject(object);
        PopMode();
    } else if (Triggered("LE_DeleteObject")) {
        if (tweakables) tweakables->HideObject(object);
        if (LevelObjectRecord* record = FindRecord(object)) record->deleted = true;
        object->Destroy();
        PopMode();
    }
}

void LevelEditor::UpdateCameraZoom() {
    SD::Component* camera = GetCameraSlot(0);
    float radius = 0.0f;
    if (!camera || !editorscene::CameraRadius(camera, &radius)) return;
    SD::Input_* input = Input();
    if (!input) return;
    float a = input->GetAnalog("LE_Cursor_Accelerate");
    if (a == 0.0f) a = 1.0f;
    if (SD::GameObject* object = selected_.get()) a = object->GetTransform().GetScaleX() * a * 0.1f;
    float zoom = input->GetAnalog("LE_Camera_ZoomInOut") * a;
    if (KeyHeld(SD::mouse_BUTTON2)) zoom = static_cast<float>(input->GetMouseDeltaY()) * 0.075f;
    radius += zoom;
    editorscene::SetCameraRadius(camera, radius < 1.0f ? 1.0f : radius);
}

void LevelEditor::MoveOnto(SD::GameObject* moved, SD::GameObject* target) {
    SD::Vec3 at = target->GetTransform().GetPos();
    editorscene::ColliderPosition(target, &at);
    editorscene::SetColliderPosition(moved, at);
    moved->GetTransform().SetPos(at);
}

void LevelEditor::UpdatePlayerKeys() {
    SD::GameObject* player = FindObject("Player");
    SD::GameObject* cursor = FindObject("LE_Cursor");
    if (!player || !cursor) return;
    if (KeyHeld(SD::key_CONTROL) && KeyTriggered(SD::key_P)) {
        SD::Vec3 angles = spawnAngles_;
        editorscene::PlayerAngles(player, &angles);
        spawnPosition_ = player->GetTransform().GetPos();
        spawnAngles_ = angles;
        editorscene::SetPlayerReset(player, spawnPosition_, spawnAngles_);
    }
    // F7 brings the cursor to the player, F8 the player to the cursor.
    if (KeyTriggered(SD::key_F7)) MoveOnto(cursor, player);
    if (KeyTriggered(SD::key_F8)) MoveOnto(player, cursor);
}

void LevelEditor::UpdateBarKeys() {
    if (KeyTriggered(SD::key_TAB)) SetMenusVisible(!menusVisible_);
    if (!menusVisible_) {
        const std::string hint = "Tab shows the menus";
        const layout::TextPlace place = layout::BesideTheMode(WindowWidth(), static_cast<int>(hint.size()));
        DrawText(place.x, place.y, hint);
    }
    if (!KeyHeld(SD::key_CONTROL)) return;
    if (Triggered("LE_Save")) SaveLevel(levelName_.c_str());
    if (Triggered("LE_Load")) LoadLevel(levelName_.c_str());
    if (KeyTriggered(SD::key_F)) editorscene::SetFogEnabled(!editorscene::FogEnabled());
}

}  // namespace QV
