// The light, camera and terrain components: their component text written and read back,
// malformed text, their factory names, the light's script class and the shadow-caster role.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "core/Logger.h"
#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ComponentTextSupport.h"
#include "engine/LuaTestSupport.h"
#include "engine/ObjectBindings.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialValue.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/components/Light.h"
#include "graphics/components/OrthoCamera.h"
#include "graphics/components/SphericalCamera.h"
#include "graphics/components/Terrain.h"
#include "runtime/Registration.h"
#include "support/CapturedLog.h"

namespace {

using Aperture::Light;
using Aperture::SphericalCamera;
using Aperture::Terrain;

constexpr float kPi = 3.14159265f;

std::string Record(const char* tag, int version, const std::string& fields) {
    return "<?xml version=\"1.0\" ?>\n<Components >\n<" + std::string(tag) + " version=\"" + std::to_string(version) +
           "\" >\n" + fields + "</" + tag + ">\n</Components>\n";
}

TEST(LightData, KindsWriteTheirFieldsAndReadBack) {
    Light fresh;
    EXPECT_EQ(fresh.GetType(), 0);
    EXPECT_EQ(fresh.GetDirection(), SD::Vec3(0, 0, 0));
    fresh.VInitialize(false);
    EXPECT_EQ(fresh.GetDirection(), SD::Vec3(0, -1, 0));

    const struct {
        float type;
        bool spotFields;
    } cases[] = {{0.0f, false}, {1.0f, false}, {1.6f, true}, {2.0f, true}, {3.0f, false}};
    for (const auto& c : cases) {
        Light source;
        source.SetTypeValue(c.type);
        source.SetColor(0.25f, 0.5f, 0.75f, 1.0f);
        source.SetAttenNear(2.0f);
        source.SetAttenFar(40.0f);
        source.SetInnerAngle(45.0f);
        source.SetOuterAngle(90.0f);
        source.SetSpotExponent(8.0f);
        const std::string xml = enginetest::WriteComponentText(source, "Light");
        EXPECT_EQ(xml.find("Inner Radius") != std::string::npos, c.spotFields) << c.type << xml;
        EXPECT_EQ(xml.find("Spot Exponent") != std::string::npos, c.spotFields) << c.type;
        auto copy = enginetest::ReadComponentText<Light>(xml, "Light");
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetType(), static_cast<int>(std::floor(c.type + 0.5f)));
        EXPECT_EQ(copy->GetColor(), SD::Vec4(0.25f, 0.5f, 0.75f, 1.0f));
        EXPECT_EQ(copy->GetAttenNear(), 2.0f);
        EXPECT_EQ(copy->GetAttenFar(), 40.0f);
        if (c.spotFields) {
            EXPECT_NEAR(copy->GetInnerAngle(), kPi / 4.0f, 1e-5f);
            EXPECT_NEAR(copy->GetOuterAngle(), kPi / 2.0f, 1e-5f);
            EXPECT_EQ(copy->GetSpotExponent(), 8.0f);
        } else {
            EXPECT_EQ(copy->GetInnerAngle(), 0.0f);
            EXPECT_EQ(copy->GetSpotExponent(), 0.0f);
        }
    }
    Light spot;
    spot.SetType(Light::kSpot);
    spot.SetInnerAngle(45.0f);
    const std::string xml = enginetest::WriteComponentText(spot, "Light");
    auto at = xml.find("\"Inner Radius\"");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(xml.find("45", at), std::string::npos) << xml;
}

TEST(LightData, MalformedComponentTextDoesNoHarm) {
    Debug::GlobalLogger logger;
    const std::string cases[] = {
        Record("Light", 1, ""),
        Record("Light", 1, "<Float name=\"Light Type\" value=\"abc\" />\n"),
        Record("Light", 1,
               "<Integer name=\"Light Type\" value=\"2\" />\n<Vector4 name=\"color\" >\n<Float value=\"1\" "
               "/>\n</Vector4>\n"),
        Record("Light", 1,
               "<Integer name=\"Light Type\" value=\"2\" />\n<Float name=\"Inner Radius\" value=\"1e40\" />\n"),
        Record("Light", 1, "<Integer name=\"Light Type\" value=\"2147483647\" />\n"),
        Record("Light", 1, "<Integer name=\"Light Type\" value=\"2\" />\n<Vector4 name=\"color\" >\n"),
    };
    for (const std::string& xml : cases) {
        auto light = enginetest::ReadComponentText<Light>(xml, "Light");
        if (!light) continue;
        const SD::Vec4& c = light->GetColor();
        for (float channel : {c.x, c.y, c.z, c.w}) EXPECT_TRUE(channel == channel) << xml;
    }
}

// A light's kind outside the four it can be is the kind that lights nothing, said once for the
// light; the four are kept.
TEST(LightData, AKindOutsideTheKnownOnesIsOffAndTold) {
    Debug::GlobalLogger logger;
    const struct {
        const char* stored;
        int kind;
    } cases[] = {{"0", Light::kNone},          {"1", Light::kPoint},         {"2", Light::kSpot},
                 {"3", Light::kDirectional},   {"4", Light::kNone},          {"-1", Light::kNone},
                 {"2147483647", Light::kNone}, {"-2147483648", Light::kNone}};
    for (const auto& c : cases) {
        qvtest::CapturedLog log;
        auto light = enginetest::ReadComponentText<Light>(
            Record("Light", 1, std::string("<Integer name=\"Light Type\" value=\"") + c.stored + "\" />\n"), "Light");
        ASSERT_NE(light, nullptr);
        EXPECT_EQ(light->GetType(), c.kind) << c.stored;
        const std::string said = std::string("\"Light Type\" ") + c.stored + " is not 0 to 3; the light is off";
        EXPECT_EQ(qvtest::Occurrences(log.Text(), said), c.kind == Light::kNone && c.stored[0] != '0' ? 1u : 0u)
            << log.Text();
    }
}

TEST(CameraData, RecordVersionsReadTheirFields) {
    const std::string angles =
        "<Float name=\"Phi Angle\" value=\"0.5\" />\n<Float name=\"Theta Angle\" value=\"0.25\" />\n";
    const std::string fov = "<Float name=\"FOV\" value=\"40\" />\n";
    const std::string base =
        "<String name=\"Target Name\" >Player</String>\n"
        "<Vector2 name=\"Mouse Rotation Speed\" >\n<Float value=\"1\" />\n<Float value=\"2\" />\n</Vector2>\n"
        "<Vector2 name=\"Xbox Rotation Speed\" >\n<Float value=\"3\" />\n<Float value=\"4\" />\n</Vector2>\n"
        "<Float name=\"Radius\" value=\"30\" />\n";
    const struct {
        int version;
        std::string fields;
        float phi;
        float fov;
        const char* target;
        float radius;
    } cases[] = {{0, base, 0.0f, 25.0f, "Player", 30.0f},
                 {1, fov + base, 0.0f, 25.0f, "", 25.0f},
                 {2, fov + base, 0.0f, 40.0f, "Player", 30.0f},
                 {3, angles + fov + base, 0.5f, 40.0f, "Player", 30.0f},
                 {4, angles + fov + base, 0.0f, 25.0f, "", 25.0f}};
    for (const auto& c : cases) {
        auto camera = enginetest::ReadComponentText<SphericalCamera>(Record("SphericalCamera", c.version, c.fields),
                                                                     "SphericalCamera");
        ASSERT_NE(camera, nullptr);
        EXPECT_EQ(camera->GetPhi(), c.phi) << c.version;
        EXPECT_EQ(camera->GetFov(), c.fov) << c.version;
        EXPECT_EQ(camera->GetTargetName(), c.target) << c.version;
        EXPECT_EQ(camera->GetRadius(), c.radius) << c.version;
    }
    // Written and read back at the current version.
    SphericalCamera source;
    source.SetTargetName("Moon");
    source.SetTheta(1.0f);
    source.SetRadius(12.0f);
    source.SetFov(50.0f);
    auto copy = enginetest::ReadComponentText<SphericalCamera>(
        enginetest::WriteComponentText(source, "SphericalCamera"), "SphericalCamera");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTargetName(), "Moon");
    EXPECT_EQ(copy->GetTheta(), 1.0f);
    EXPECT_EQ(copy->GetRadius(), 12.0f);
    EXPECT_EQ(copy->GetFov(), 50.0f);

    Aperture::OrthoCamera ortho;
    ortho.SetFov(70.0f);
    ortho.SetPosition({1, 2, 3});
    auto orthoCopy = enginetest::ReadComponentText<Aperture::OrthoCamera>(
        enginetest::WriteComponentText(ortho, "OrthoCamera"), "OrthoCamera");
    ASSERT_NE(orthoCopy, nullptr);
    EXPECT_EQ(orthoCopy->GetFov(), 70.0f);
    EXPECT_EQ(orthoCopy->GetPosition(), SD::Vec3(1, 2, 3));
}

TEST(CameraData, OutOfRangeValuesAreHeld) {
    Debug::GlobalLogger logger;
    const std::string fields =
        "<Float name=\"FOV\" value=\"400\" />\n<String name=\"Target Name\" >P</String>\n"
        "<Vector2 name=\"Mouse Rotation Speed\" >\n</Vector2>\n"
        "<Vector2 name=\"Xbox Rotation Speed\" >\n</Vector2>\n<Float name=\"Radius\" value=\"-3\" />\n";
    auto camera =
        enginetest::ReadComponentText<SphericalCamera>(Record("SphericalCamera", 2, fields), "SphericalCamera");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetFov(), Aperture::Camera::kMaxFov);
    EXPECT_EQ(camera->GetRadius(), 0.0f);
    auto plain = enginetest::ReadComponentText<Aperture::Camera>(
        Record("Camera", 1, "<Float name=\"FOV\" value=\"180\" />\n"), "Camera");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetFov(), Aperture::Camera::kMaxFov);
}

TEST(TerrainData, DefaultMaterialNameAndMalformedText) {
    Debug::GlobalLogger logger;
    Terrain fresh;
    EXPECT_EQ(fresh.VGetID(), SD::kTerrainID);
    const std::string xml = enginetest::WriteComponentText(fresh, "Aperture::Terrain");
    EXPECT_NE(xml.find("mountain_0_terrain"), std::string::npos) << xml;
    auto copy = enginetest::ReadComponentText<Terrain>(
        Record("Terrain", 0, "<String name=\"Material Name\" >rockface</String>\n"), "Terrain");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetMaterialName(), "rockface");
    auto wrong = enginetest::ReadComponentText<Terrain>(
        Record("Terrain", 0, "<Integer name=\"Material Name\" value=\"3\" />\n"), "Terrain");
    // A field of the wrong kind reads as empty; registering it finds no material and says so.
    if (wrong) {
        EXPECT_TRUE(wrong->GetMaterialName().empty());
    }
}

TEST(TerrainRegistration, TakesItsMaterialWhileRegistered) {
    gfxtest::GraphicsFixture f;
    f.tree.Write("Assets/Materials/rockface.mat", "rockface\npass_begin_empty Geometry\neffect " +
                                                      std::string(Aperture::Graphics_::kSharedEffectName) +
                                                      "\npass_end_empty x\n");
    ASSERT_EQ(f.graphics->LoadMaterial(SD::FilePath(f.tree.Path("Assets/Materials/rockface.mat").c_str())),
              Aperture::Graphics_::kLoaded);
    Terrain terrain;
    terrain.SetMaterialName("rockface");
    terrain.VRegister();
    EXPECT_EQ(terrain.GetMaterial(), f.graphics->FindMaterial("rockface"));
    EXPECT_EQ(f.graphics->GetSceneLists().Terrains().Size(), 1u);
    terrain.VUnregister();
    EXPECT_EQ(terrain.GetMaterial(), nullptr);
    EXPECT_EQ(f.graphics->GetSceneLists().Terrains().Size(), 0u);
    // A name that files no material: the terrain joins without one, and the lookup is logged.
    Terrain missing;
    missing.VRegister();
    EXPECT_EQ(missing.GetMaterial(), nullptr);
    EXPECT_EQ(f.graphics->GetSceneLists().Terrains().Size(), 1u);
    missing.VUnregister();
    terrain.VRegister();
    EXPECT_NE(terrain.GetMaterial(), nullptr);
    terrain.VUnregister();
}

TEST(LightRegistration, TheLastDirectionalLightCastsTheShadows) {
    gfxtest::GraphicsFixture f("", 1280, 800, false);
    SD::Registrations registrations;
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    registrations.RegisterComponents(factory);
    auto make = [&factory](int kind) {
        SD::GameObject* object = factory.NewGameObject();
        auto* light = static_cast<Light*>(object->AddComponent(SD::CID_Light));
        light->SetOwner(object);
        light->SetType(kind);
        return light;
    };
    Light* a = make(Light::kDirectional);
    Light* b = make(Light::kDirectional);
    Light* point = make(Light::kPoint);
    a->VRegister();
    ASSERT_NE(a->GetOwner(), nullptr);
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), a->GetOwner());
    b->VRegister();
    point->VRegister();
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), b->GetOwner());
    EXPECT_EQ(f.graphics->GetSceneLists().Lights().Size(), 3u);
    b->VUnregister();
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), a->GetOwner());
    point->VUnregister();
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), a->GetOwner());
    a->VUnregister();
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), nullptr);
    EXPECT_EQ(f.graphics->GetSceneLists().Lights().Size(), 0u);
    factory.Shutdown();
    RTTIClassRegistry::Destroy();
}

// The first directional light brings the "ShadowCaster" object from its blueprint; the last
// one to go takes it away.
TEST(LightRegistration, TheShadowCasterObjectComesAndGoesWithTheDirectionalLights) {
    gfxtest::GraphicsFixture f("", 1280, 800, false);
    f.tree.Write(
        "Assets/Objects/templates.xml",
        "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n"
        "<GameObjectBlueprint name=\"ObjectTemplates/ShadowCaster\"><Components>"
        "<Name version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"Name\">ShadowCaster</String></Name>"
        "</Components></GameObjectBlueprint>\n</GameObjectBlueprints>\n");
    SD::Registrations registrations;
    SD::SupplyEngineClasses(registrations);
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    factory.SetObjectInFormat("xml");
    registrations.RegisterComponents(factory);
    factory.AddBlueprint(f.tree.Path("Assets/Objects/templates.xml").c_str());
    auto make = [&factory](int kind) {
        SD::GameObject* object = factory.NewGameObject();
        auto* light = static_cast<Light*>(object->AddComponent(SD::CID_Light));
        light->SetOwner(object);
        light->SetType(kind);
        return light;
    };
    Light* a = make(Light::kDirectional);
    Light* b = make(Light::kDirectional);
    a->VRegister();
    SD::GameObject* caster = factory.GetGameObject(std::string("ShadowCaster"));
    ASSERT_NE(caster, nullptr);
    b->VRegister();
    EXPECT_EQ(factory.GetGameObject(std::string("ShadowCaster")), caster);  // one is enough
    b->VUnregister();
    EXPECT_EQ(factory.GetGameObject(std::string("ShadowCaster")), caster);
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), a->GetOwner());
    EXPECT_EQ(caster->GetName(), "ShadowCaster");
    a->VUnregister();
    EXPECT_EQ(f.graphics->GetShadowCasterLight(), nullptr);
    factory.Update(0.0f);  // destruction is carried out at the factory's update
    EXPECT_EQ(factory.GetGameObject(std::string("ShadowCaster")), nullptr);
    factory.Shutdown();
    RTTIClassRegistry::Destroy();
}

// Factory names and IDs, and the "Light" script class on a light of a live object.
TEST(LightScript, ScriptsSetAndReadTheLight) {
    SD::Registrations registrations;
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    const std::vector<std::string> registered = registrations.RegisterComponents(factory);
    const struct {
        const char* name;
        SD::ComponentID id;
    } names[] = {{"Light", SD::CID_Light},
                 {"Camera", SD::CID_Camera},
                 {"SphericalCamera", SD::CID_SphericalCamera},
                 {"OrthoCamera", SD::CID_OrthoCamera},
                 {"Terrain", SD::kTerrainID}};
    for (const auto& n : names) {
        SD::ComponentID id;
        ASSERT_TRUE(factory.FindComponentID(n.name, &id)) << n.name;
        EXPECT_EQ(id, n.id) << n.name;
    }
    {
        luatest::LuaHost lua;
        SD::GameObject* object = factory.NewGameObject();
        auto* light = static_cast<Light*>(object->AddComponent(SD::CID_Light));
        ASSERT_NE(light, nullptr);
        SD::PushComponent(lua.host.L, light);
        lua_setglobal(lua.host.L, "light");
        ASSERT_TRUE(
            lua.Run("local c = Vec4() c:SetX(0.5) c:SetY(0.25) c:SetZ(1) c:SetW(1)\n"
                    "local d = Vec3() d:SetX(1)\n"
                    "light:SetType(2)\n"
                    "light:SetColor(c)\n"
                    "light:SetDirection(d)\n"
                    "light:SetInnerAngle(90)\n"
                    "light:SetAttenFar(30)\n"
                    "light:SetLightColorG(0.75)\n"
                    "kind = light:GetType()\n"
                    "red = light:GetColor():GetX()\n"
                    "green = light:GetLightColorG()\n"
                    "far = light:GetAttenFar()\n"
                    "id = light:GetID()\n"
                    "vid = light:VGetID()\n"
                    "same = tostring(light:Base() ~= nil)\n"));
        EXPECT_EQ(lua.Number("kind"), 2.0);
        EXPECT_EQ(lua.Number("red"), 0.5);
        EXPECT_EQ(lua.Number("green"), 0.75);
        EXPECT_EQ(lua.Number("far"), 30.0);
        EXPECT_EQ(lua.Number("id"), 8.0);
        EXPECT_EQ(lua.Number("vid"), 8.0);
        EXPECT_EQ(lua.Text("same"), "true");
        EXPECT_EQ(light->GetDirection(), SD::Vec3(1, 0, 0));
        EXPECT_NEAR(light->GetInnerAngle(), kPi / 2.0f, 1e-5f);
        // Without a light: the call is reported once and gives nil.
        const std::string printed = lua.RunPrinted("none = Light.GetColor(nil)\nisnil = tostring(none == nil)\n");
        EXPECT_NE(printed.find("Attempting to call 'Light::GetColor' with this pointer being NULL.\n"),
                  std::string::npos);
        EXPECT_EQ(printed.find("Attempting", printed.find("Attempting") + 1), std::string::npos) << printed;
        EXPECT_EQ(lua.Text("isnil"), "true");
    }
    factory.Shutdown();
    RTTIClassRegistry::Destroy();
}

}  // namespace
