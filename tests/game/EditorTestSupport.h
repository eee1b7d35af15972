#pragma once
// The level editor as start-up builds it, over a temporary install holding the sample level,
// its templates and the editor's own blueprints, with keys held by the test, and the renderer
// (no device) and the season cycle the editor works on.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "GameTestSupport.h"
#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/LevelLayerManager.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/SphericalCamera.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/systems/SowlarSystem.h"
#include "game/systems/TweakableSystem.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "support/TempTree.h"
#include "support/HeldKeys.h"

namespace gametest {

using HeldKeys = qvtest::HeldKeys;

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
                       "<Geometry version=\"0\" Play=\"0\" Pause=\"0\" DevPause=\"1\"><String name=\"Model Name\">"
                       "sphere</String></Geometry>"
                       "<CursorLogic version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components>"
                       "</GameObjectBlueprint></GameObjectBlueprints>");
        tree.Write("Assets/Config/config.ini", config);
        factory.RegisterComponentCreator("CursorLogic", SD::CID_CursorLogic, new SD::ComponentCreator<QV::CursorLogic>);
        factory.RegisterComponentCreator("SphericalCamera", SD::CID_SphericalCamera,
                                         new SD::ComponentCreator<Aperture::SphericalCamera>);
        factory.RegisterComponentCreator("Camera", SD::CID_Camera, new SD::ComponentCreator<Aperture::Camera>);
        factory.RegisterComponentCreator("Geometry", SD::CID_Geometry, new SD::ComponentCreator<Aperture::Geometry>);
        graphics.GetSeasonLook().SetAmbientColor(SD::Vec3(0.1f, 0.2f, 0.3f));
        factory.SetObjectInFormat("xml");
        factory.LoadObjectManifest("../Assets/Objects/Objects.man");
        layers.Initialize();
        input.Initialize();
        input.SetDevKeysEnabled(true);
        input.AddInjector(std::make_unique<HeldKeys>(&keys));
        tweakables.Initialize();
        editor = &QV::LevelEditor::GetInstance();
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
        QV::SowlarSystem_::DestroyInstance();
        // The cameras leave the renderer before it goes.
        factory.Shutdown();
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
    static SD::Vec4 GeometryColor(SD::GameObject* object) {
        auto* geometry = static_cast<Aperture::Geometry*>(object->GetComponent(SD::CID_Geometry));
        return geometry ? geometry->GetColor() : SD::Vec4();
    }  // Another camera, made the renderer's active one.
    SD::Component* ActivateOtherCamera() {
        SD::GameObject* object = factory.NewGameObject();
        auto* camera = static_cast<Aperture::Camera*>(object->AddComponent(SD::CID_Camera));
        object->Initialize(false);
        Aperture::SetActiveCamera(camera);
        return camera;
    }

    Aperture::Graphics_ graphics;
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    SD::GameStateManager_ states;
    SD::LevelLayerManager layers;
    SD::Input_ input;
    std::set<uint32_t> keys;
    QV::TweakableSystem tweakables;
    QV::LevelEditor* editor = nullptr;
};

}  // namespace gametest
