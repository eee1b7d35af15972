#pragma once
// The level editor as start-up builds it, over a temporary install holding the sample level,
// its templates and the editor's own blueprints, with keys held by the test and hooks that
// stand in for the renderer, the physics and the player.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "GameTestSupport.h"
#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/LevelLayerManager.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/systems/TweakableSystem.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "support/TempTree.h"
#include "support/HeldKeys.h"

namespace gametest {

// A camera that only has to be there: the renderer's spherical camera is not built yet.
class Lens : public SD::Component {
public:
    SD::ComponentID VGetID() const override { return SD::CID_SphericalCamera; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
};

using HeldKeys = qvtest::HeldKeys;

struct HookRecord {
    SD::Component* activeCamera = nullptr;
    std::map<SD::Component*, float> radius;
    SD::Vec3 ambient{0.1f, 0.2f, 0.3f};
    bool fog = true;
    std::map<SD::GameObject*, SD::Vec4> colors;
    bool havePlayerReset = false;
    SD::Vec3 playerPosition, playerAngles;
    int collisionPasses = 0;
};

class TestHooks : public QV::EditorHooks {
public:
    explicit TestHooks(HookRecord* r) : r_(r) {}
    SD::Component* GetActiveCamera() override { return r_->activeCamera; }
    void SetActiveCamera(SD::Component* camera) override { r_->activeCamera = camera; }
    bool GetCameraRadius(SD::Component* camera, float* radius) override {
        auto it = r_->radius.find(camera);
        if (it == r_->radius.end()) return false;
        *radius = it->second;
        return true;
    }
    void SetCameraRadius(SD::Component* camera, float radius) override { r_->radius[camera] = radius; }
    SD::Vec3 GetAmbientColor() override { return r_->ambient; }
    void SetAmbientColor(const SD::Vec3& color) override { r_->ambient = color; }
    void SetGeometryColor(SD::GameObject* object, const SD::Vec4& color) override { r_->colors[object] = color; }
    void CheckCollisionsNow() override { ++r_->collisionPasses; }
    bool GetFogEnabled() override { return r_->fog; }
    void SetFogEnabled(bool enabled) override { r_->fog = enabled; }
    bool GetPlayerReset(SD::GameObject*, SD::Vec3* position, SD::Vec3* angles) override {
        if (!r_->havePlayerReset) return false;
        *position = r_->playerPosition;
        *angles = r_->playerAngles;
        return true;
    }

private:
    HookRecord* r_;
};

inline std::string TransformXml(float x, float y, float z) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Vector3 name=\"position\">"
                  "<Float value=\"%g\"/><Float value=\"%g\"/><Float value=\"%g\"/></Vector3></Transform>",
                  x, y, z);
    return text;
}

class EditorFixture : public FactoryFixture {
protected:
    static constexpr const char* kConfig =
        "[LevelEditor]\nLevelManifest=../Assets/Objects/LevelTemplates.man\nAutoSaveDuration=300\n";

    explicit EditorFixture(const std::string& config = kConfig) {
        namespace fs = std::filesystem;
        const std::string source = qvtest::SourceDir();
        fs::copy(source + "/Assets/Objects", tree.Path("Assets/Objects"), fs::copy_options::recursive);
        fs::copy(source + "/Assets/Levels", tree.Path("Assets/Levels"), fs::copy_options::recursive);
        // The editor's blueprints with a camera component the renderer will own.
        tree.Write("Assets/Objects/LevelEditor/LevelEditor.xml",
                   "<GameObjectBlueprints>"
                   "<GameObjectBlueprint name=\"LevelEditor/MainCamera\"><Components>" +
                       TransformXml(0, 20, -40) +
                       "<SphericalCamera version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components>"
                       "</GameObjectBlueprint>"
                       "<GameObjectBlueprint name=\"LevelEditor/Cursor\"><Components>" +
                       TransformXml(0, 0, 0) +
                       "<CursorLogic version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components>"
                       "</GameObjectBlueprint></GameObjectBlueprints>");
        tree.Write("Assets/Config/config.ini", config);
        factory.RegisterComponentCreator("CursorLogic", SD::CID_CursorLogic, new SD::ComponentCreator<QV::CursorLogic>);
        factory.RegisterComponentCreator("SphericalCamera", SD::CID_SphericalCamera, new SD::ComponentCreator<Lens>);
        factory.SetObjectInFormat("xml");
        factory.LoadObjectManifest("../Assets/Objects/Objects.man");
        layers.Initialize();
        input.Initialize();
        input.SetDevKeysEnabled(true);
        input.AddInjector(std::make_unique<HeldKeys>(&keys));
        tweakables.Initialize();
        editor = &QV::LevelEditor::GetInstance();
        editor->SetHooks(std::make_unique<TestHooks>(&hooks));
        SD::ConfigFile settings("../Assets/Config/config.ini");
        editor->ReadConfig(settings);
        editor->Initialize();
        editor->Setup();
    }
    ~EditorFixture() override {
        editor->Shutdown();
        QV::LevelEditor::DestroyInstance();
        tweakables.Shutdown();
        layers.Shutdown();
        input.Shutdown();
    }

    // One frame in the engine's order for these systems.
    void Frame(float dt = 0.016f) {
        input.Update(dt);
        components.Update(dt);
        tweakables.Update(dt);
        editor->Update(dt);
        factory.Update(dt);
    }
    // Holds the keys for one frame, then lets them go for one.
    void Tap(std::initializer_list<uint32_t> codes) {
        for (uint32_t code : codes) keys.insert(code);
        Frame();
        for (uint32_t code : codes) keys.erase(code);
        Frame();
    }
    void SwitchOn() {
        Tap({SD::key_F2});
        ASSERT_TRUE(editor->IsActive());
    }
    SD::GameObject* Named(const char* name) { return factory.GetGameObject(std::string(name)); }
    SD::GameObject* Cursor() { return Named("LE_Cursor"); }

    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    SD::GameStateManager_ states;
    SD::LevelLayerManager layers;
    SD::Input_ input;
    std::set<uint32_t> keys;
    QV::TweakableSystem tweakables;
    HookRecord hooks;
    QV::LevelEditor* editor = nullptr;
};

}  // namespace gametest
