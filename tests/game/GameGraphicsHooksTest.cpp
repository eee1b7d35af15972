// The graphics the game reaches: world logic tints and dims objects' lights and geometry, and the
// level editor switches and zooms the cameras and tints geometry.
#include <gtest/gtest.h>

#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/components/ObjectLooks.h"
#include "game/editor/EditorScene.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/components/Light.h"
#include "graphics/components/SphericalCamera.h"
#include "runtime/Registration.h"

namespace {

struct HookWorld {
    HookWorld() : factory(16) {
        Aperture::InstallGraphics(registrations);
        registrations.RegisterComponents(factory);
    }
    ~HookWorld() {
        factory.Shutdown();
        RTTIClassRegistry::Destroy();
    }
    SD::Registrations registrations;
    Aperture::Graphics_ graphics;
    SD::ComponentManager_ components;
    SD::Factory_ factory;
};

TEST(GameGraphicsHooks, LightsAndGeometryOfObjects) {
    HookWorld world;
    SD::GameObject* lamp = world.factory.NewGameObject();
    auto* light = static_cast<Aperture::Light*>(lamp->AddComponent(SD::CID_Light));
    lamp->AddComponent(SD::CID_Geometry);
    SD::GameObject* bare = world.factory.NewGameObject();
    namespace looks = QV::looks;

    looks::SetLightColor(lamp, {1, 0.5f, 0.25f, 1});
    looks::SetLightAttenuation(lamp, 2, 30);
    SD::Vec4 colour;
    ASSERT_TRUE(looks::LightColor(lamp, &colour));
    EXPECT_EQ(colour, SD::Vec4(1, 0.5f, 0.25f, 1));
    EXPECT_EQ(light->GetAttenNear(), 2.0f);
    EXPECT_EQ(light->GetAttenFar(), 30.0f);
    looks::SetGeometryColor(lamp, {0, 1, 0, 0.5f});
    ASSERT_TRUE(looks::GeometryColor(lamp, &colour));
    EXPECT_EQ(colour, SD::Vec4(0, 1, 0, 0.5f));
    // Objects without them, and no object at all, answer "none" and change nothing.
    for (SD::GameObject* object : {bare, static_cast<SD::GameObject*>(nullptr)}) {
        EXPECT_FALSE(looks::LightColor(object, &colour));
        EXPECT_FALSE(looks::GeometryColor(object, &colour));
        looks::SetLightColor(object, {1, 1, 1, 1});
        looks::SetLightAttenuation(object, 1, 1);
        looks::SetGeometryColor(object, {1, 1, 1, 1});
    }
}

TEST(GameGraphicsHooks, TheEditorSwitchesAndZoomsCameras) {
    HookWorld world;
    SD::GameObject* a = world.factory.NewGameObject();
    SD::GameObject* b = world.factory.NewGameObject();
    auto* first = static_cast<Aperture::Camera*>(a->AddComponent(SD::CID_Camera));
    auto* orbit = static_cast<Aperture::SphericalCamera*>(b->AddComponent(SD::CID_SphericalCamera));
    first->VRegister();
    orbit->VRegister();
    namespace editor = QV::editorscene;
    EXPECT_EQ(editor::ActiveCamera(), first);
    editor::ActivateCamera(orbit);
    EXPECT_EQ(editor::ActiveCamera(), orbit);
    editor::ActivateCamera(b->AddComponent(SD::CID_Light));  // no camera: nothing changes
    EXPECT_EQ(editor::ActiveCamera(), orbit);

    float radius = 0.0f;
    EXPECT_FALSE(editor::CameraRadius(first, &radius));
    ASSERT_TRUE(editor::CameraRadius(orbit, &radius));
    EXPECT_EQ(radius, 25.0f);
    editor::SetCameraRadius(orbit, 7.5f);
    EXPECT_EQ(orbit->GetRadius(), 7.5f);
    first->VUnregister();
    orbit->VUnregister();
}

}  // namespace
