#include "game/hud/HudSystem.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/LuaState.h"
#include "engine/Transform.h"
#include "game/hud/HudCollector.h"
#include "graphics/GraphicsMessages.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"

namespace QV {
namespace {

HudSystem* g_instance = nullptr;

const char* const kWidgetScripts[] = {"ButtonLogic.lua", "CheckBoxLogic.lua"};
const char kResolutionPrefix[] = "Hud/Res_";

void Destroy(SD::GameObject* root) {
    if (SD::Factory_* factory = SD::Factory_::GetInstance()) factory->DestroyGameObject(root);
}

SD::GameObject* Create(const std::string& blueprint) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    return factory ? factory->CreateObject(blueprint.c_str(), nullptr) : nullptr;
}

}  // namespace

HudSystem::HudSystem() { g_instance = this; }

HudSystem::~HudSystem() {
    if (g_instance == this) g_instance = nullptr;
}

HudSystem* HudSystem::GetInstance() { return g_instance; }

void HudSystem::RunWidgetScripts() {
    SD::LuaState* lua = SD::GetLuaState();
    if (!lua) return;
    for (const char* script : kWidgetScripts) lua->executeFile(script);
}

void HudSystem::Initialize() {
    collectorAdded_ = false;
    RunWidgetScripts();
    bindings_.BindDigital("HS_Select", SD::key_RETURN);
    bindings_.BindDigital("HS_Select", SD::key_SPACE);
    const char* const moves[] = {"HS_Up", "HS_Down", "HS_Left", "HS_Right"};
    const uint32_t codes[][4] = {
        {SD::key_UP, SD::key_DOWN, SD::key_LEFT, SD::key_RIGHT},
        {SD::key_W, SD::key_S, SD::key_A, SD::key_D},
        {SD::xpad1_AXIS_LY_P, SD::xpad1_AXIS_LY_N, SD::xpad1_AXIS_LX_N, SD::xpad1_AXIS_LX_P},
        {SD::xpad1_KVAD_U, SD::xpad1_KVAD_D, SD::xpad1_KVAD_L, SD::xpad1_KVAD_R},
    };
    for (int set = 0; set < 2; ++set)
        for (int m = 0; m < 4; ++m) bindings_.BindDigital(moves[m], codes[set][m]);
    bindings_.BindDigital("HS_Select", SD::xpad1_A);
    for (int set = 2; set < 4; ++set)
        for (int m = 0; m < 4; ++m) bindings_.BindDigital(moves[m], codes[set][m]);
}

void HudSystem::Shutdown() { bindings_.UnbindAll(); }

namespace {

// While the level editor is on (the developer pause) the keys are the editor's.
bool EditorHasTheKeys() {
    const SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    return states && states->GetPlayState() == SD::GameStateManager_::kDevPause;
}

}  // namespace

bool HudSystem::HasFocusedWidget() const {
    const HudCollector* front = FrontCollector();
    return front && !front->Items().empty() && !EditorHasTheKeys();
}

void HudSystem::Update(float dt) {
    SD::Input_* input = SD::Input_::GetInstance();
    if (input && input->GetDevKeysEnabled() && input->GetKeyState(SD::key_F3)) ReloadAll();
    if (HudCollector* front = FrontCollector(); front && !EditorHasTheKeys()) front->Update(dt);
    collectorAdded_ = false;
}

SD::GameObject* HudSystem::CreateHud(const std::string& name) {
    const std::string path = "../Assets/HudFiles/" + name + ".hud";
    SD::GameObject* root = ReadHudFile(path);
    if (!root) {
        SD_WARNING(Debug::kLogData, "HUD file [%s] could not be built; no HUD created.", path.c_str());
        return nullptr;
    }
    loaded_.push_back({root->GetHandle(), path});
    return root;
}

// An entry is used only once every token of it has been read; a blueprint that does not
// exist is reported and its entry passed over, so one bad line costs only itself.
SD::GameObject* HudSystem::ReadHudFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) return nullptr;
    std::string token;
    if (!(in >> token)) {
        SD_WARNING(Debug::kLogData, "HUD file [%s] is empty.", path.c_str());
        return nullptr;
    }
    SD::GameObject* root = Create(token);
    if (!root) {
        SD_WARNING(Debug::kLogData, "HUD file [%s]: unknown root blueprint [%s].", path.c_str(), token.c_str());
        return nullptr;
    }
    SD::GameObject* layer = root;
    while (in >> token) {
        if (token == "[NextLayer]") {
            std::string blueprint;
            SD::GameObject* next = (in >> blueprint) ? Create(blueprint) : nullptr;
            if (!next) {
                SD_WARNING(Debug::kLogData,
                           "HUD file [%s]: layer blueprint [%s] missing or unknown; the HUD is dropped.", path.c_str(),
                           blueprint.c_str());
                Destroy(root);
                return nullptr;
            }
            layer->AttachChild(next);
            layer = next;
            continue;
        }
        float x = 0.0f, y = 0.0f, z = 0.0f;
        if (!(in >> x >> y >> z)) {
            SD_WARNING(Debug::kLogData, "HUD file [%s]: entry [%s] is cut short; the entries before it are kept.",
                       path.c_str(), token.c_str());
            return root;
        }
        SD::GameObject* object = Create(token);
        if (!object) {
            SD_WARNING(Debug::kLogData, "HUD file [%s]: unknown blueprint [%s] passed over.", path.c_str(),
                       token.c_str());
            continue;
        }
        layer->AttachChild(object);
        object->GetTransform().SetPos(SD::Vec3(x, y, z));
    }
    return root;
}

bool HudSystem::ParseResolution(const std::string& blueprintName, uint32_t* width, uint32_t* height) {
    if (blueprintName.compare(0, sizeof kResolutionPrefix - 1, kResolutionPrefix) != 0) return false;
    unsigned w = 0, h = 0;
    char tail = 0;
    // Both numbers are required, and nothing may follow them.
    if (std::sscanf(blueprintName.c_str(), "Hud/Res_%ux%u%c", &w, &h, &tail) != 2) return false;
    *width = w;
    *height = h;
    return true;
}

void HudSystem::ChangeRes(SD::GameObject* object) {
    uint32_t width = 0, height = 0;
    if (!object || !ParseResolution(object->GetBlueprintName(), &width, &height)) return;
    SD::ResolutionChange change(width, height);
    SD::Message_System::GetInstance()->SendMessage(change);
}

void HudSystem::ReloadAll() {
    RunWidgetScripts();
    for (LoadedHud& hud : loaded_) {
        SD::GameObject* old = hud.root.get();
        if (!old) continue;
        old->UpdateBlueprints();
        SD::GameObject* fresh = ReadHudFile(hud.path);
        if (!fresh) continue;
        Destroy(old);
        hud.root = fresh->GetHandle();
        fresh->Initialize(false);
    }
}

void HudSystem::RegisterCollector(HudCollector* collector) {
    collectorAdded_ = true;
    collectors_.insert(collectors_.begin(), collector);
}

void HudSystem::UnregisterCollector(HudCollector* collector) {
    auto found = std::find(collectors_.begin(), collectors_.end(), collector);
    if (found != collectors_.end()) collectors_.erase(found);
}

void HudSystem::RegisterCollider2D(Collider2D* collider) { colliders2D_.insert(colliders2D_.begin(), collider); }

void HudSystem::UnregisterCollider2D(Collider2D* collider) {
    auto found = std::find(colliders2D_.begin(), colliders2D_.end(), collider);
    if (found != colliders2D_.end()) colliders2D_.erase(found);
}

}  // namespace QV
