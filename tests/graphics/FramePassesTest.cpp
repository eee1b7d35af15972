#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "SceneTestSupport.h"
#include "core/MessageSystem.h"
#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "graphics/GraphicsMessages.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/ImageFile.h"
#include "runtime/Registration.h"
#include "tests/graphics/GrassFieldProbe.h"

namespace {

using Aperture::Graphics_;
using Aperture::GrassField;
using Aperture::Light;
using gfxtest::SceneFixture;
using platform::gfx::Command;
using platform::gfx::Op;

// The recorded frame as short lines: "target WxH" for every bound colour target, "begin T" for
// every effect begun (T its technique), "draw" or "draw xN" (N instances), "copy" and "text".
std::vector<std::string> Trace(const std::vector<Command>& frame) {
    std::vector<std::string> lines;
    uint32_t instances = 0;
    for (const Command& c : frame) {
        switch (c.op) {
            case Op::kSetRenderTarget:
                if (c.a[0] == 0) lines.push_back("target " + std::to_string(c.a[1]) + "x" + std::to_string(c.a[2]));
                break;
            case Op::kSetDepthStencilSurface:
                lines.push_back("depth " + std::to_string(c.a[0]) + "x" + std::to_string(c.a[1]));
                break;
            case Op::kSetViewport:
                lines.push_back("viewport " + std::to_string(c.a[0]) + "," + std::to_string(c.a[1]) + " " +
                                std::to_string(c.a[2]) + "x" + std::to_string(c.a[3]));
                break;
            case Op::kBeginEffect:
                lines.push_back("begin " + c.name);
                break;
            case Op::kSetStreamSourceFreq:
                if (c.a[0] == 0) instances = (c.a[1] & platform::gfx::kStreamIndexedData) ? (c.a[1] & 0xFFFFu) : 0;
                break;
            case Op::kDrawIndexedPrimitive:
            case Op::kDrawPrimitive:
                lines.push_back(instances ? "draw x" + std::to_string(instances) : "draw");
                break;
            case Op::kStretchRect:
                lines.push_back("copy");
                break;
            case Op::kDrawText:
                lines.push_back("text");
                break;
            default:
                break;
        }
    }
    return lines;
}

// The index just past `expected` found in order in `lines` from `from`, or -1 with the line
// that was not found.
::testing::AssertionResult InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    size_t at = 0;
    for (const std::string& line : expected) {
        auto found = std::find(lines.begin() + static_cast<long>(at), lines.end(), line);
        if (found == lines.end()) {
            std::string all;
            for (const std::string& l : lines) all += l + "\n";
            return ::testing::AssertionFailure() << "\"" << line << "\" not found after line " << at << " of\n" << all;
        }
        at = static_cast<size_t>(found - lines.begin()) + 1;
    }
    return ::testing::AssertionSuccess();
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// Whether the depth of field's mix drew the frame's scene into the back buffer (1280 x 800) and
// nothing copied over it: from the mix on only the sprites draw, and no copy follows.
::testing::AssertionResult ShowsTheMix(const std::vector<std::string>& lines) {
    const auto mix = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line == "begin LinearInterpolate" || line == "begin LinearInterpolateOverlay";
    });
    if (mix == lines.end() || mix == lines.begin() || *(mix - 1) != "target 1280x800")
        return ::testing::AssertionFailure() << "no mix into the back buffer";
    for (auto line = mix + 1; line != lines.end(); ++line)
        if (*line == "copy" || (line->rfind("begin ", 0) == 0 && *line != "begin SimpleDraw"))
            return ::testing::AssertionFailure() << "\"" << *line << "\" after the mix";
    return ::testing::AssertionSuccess();
}

// The values of every setting of a parameter in the frame, in order.
std::vector<std::vector<float>> ParameterValues(const std::vector<Command>& frame, const std::string& name) {
    std::vector<std::vector<float>> values;
    for (const Command& c : frame)
        if (c.op == Op::kSetParameter && c.name == name) values.emplace_back(c.v, c.v + std::min<uint32_t>(c.a[0], 16));
    return values;
}

// The tints' red of the sprites the sprite pass drew, in order (the tests' sprites are told
// apart by it, their tints' green 0).
std::vector<float> SpriteTintsDrawn(const std::vector<Command>& frame) {
    std::vector<float> drawn;
    for (const auto& value : ParameterValues(frame, "modColor"))
        if (value[1] == 0.0f) drawn.push_back(value[0]);
    return drawn;
}

// A scene with a factory (for the "ShadowCaster" object the sun brings), textures standing in
// for the grass and the sprites, and a brick material that every opaque pass draws.
struct FrameFixture : SceneFixture {
    explicit FrameFixture(const std::string& settings = "") : SceneFixture(settings), factory(64) {
        tree.Write("Assets/Objects/templates.xml",
                   "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n"
                   "<GameObjectBlueprint name=\"ObjectTemplates/ShadowCaster\"><Components>"
                   "<Name version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String "
                   "name=\"Name\">ShadowCaster</String></Name>"
                   "</Components></GameObjectBlueprint>\n</GameObjectBlueprints>\n");
        SD::SupplyEngineClasses(registrations);
        Aperture::InstallGraphics(registrations);
        factory.SetObjectInFormat("xml");
        registrations.RegisterComponents(factory);
        factory.AddBlueprint(tree.Path("Assets/Objects/templates.xml").c_str());
        brick = LoadMaterial("brick", {"Geometry", "Material", "Shadow"});
        brickMesh = Sphere(brick);
        AddModel("brick", {brickMesh});
        graphics->AddTexture("grass", Manager()->CreateRenderBuffer());
    }
    ~FrameFixture() {
        for (Light* light : factoryLights) light->VUnregister();
        factory.Shutdown();
        RTTIClassRegistry::Destroy();
    }
    Light* AddSun(SD::Vec3 position) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(position);
        auto* light = static_cast<Light*>(object->AddComponent(SD::CID_Light));
        light->SetOwner(object);
        light->SetType(Light::kDirectional);
        light->SetColor(1, 0.9f, 0.8f, 1);
        light->VRegister();
        factoryLights.push_back(light);
        return light;
    }
    // Five bricks (one instanced batch), two rocks (two single draws), two windows, a pond,
    // a point light, a spot light and the sun, grass of three blades, before a camera at the origin.
    void BuildSmallScene() {
        for (int i = 0; i < 5; ++i) Place("brick", {static_cast<float>(i) * 3.0f - 6.0f, 0, 30});
        Place("rock", {3, 0, 20});
        Place("rock", {-3, 0, 25});
        Place("window", {0, 0, 40}, {0.25f, 0, 0, 1});
        Place("window", {2, 0, 15}, {0.75f, 0, 0, 1});
        Place("pond", {5, 0, 40});
        AddLight(Light::kPoint, {0, 0, 20}, 10.0f)->SetColor(1, 1, 1, 1);
        Light* spot = AddLight(Light::kSpot, {0, 5, 20}, 10.0f);
        spot->SetColor(1, 0, 0, 1);
        spot->SetOuterAngle(60.0f);
        AddSun({0, 1000, 0});
        std::vector<Aperture::GrassInstance> blades(3);
        for (int i = 0; i < 3; ++i) blades[i].position = SD::Vec3(static_cast<float>(i), 0, 20);
        graphics->GetGrassField().SetGrass(geometries.front().get(), blades);
        LookFrom({0, 0, -1});
    }

    SD::Registrations registrations;
    SD::ComponentManager_ components;
    SD::Factory_ factory;
    std::vector<Light*> factoryLights;
    Aperture::Resource::Material* brick = nullptr;
    Aperture::Resource::Mesh* brickMesh = nullptr;
};

// The frame of a small scene, pass by pass, in the order the frame draws them.
TEST(FramePasses, SmallSceneDrawsEveryPassInOrder) {
    FrameFixture f;
    f.BuildSmallScene();
    f.graphics->DrawGrass("GrassGeometry", {});  // the first grass pass draws nothing
    f.graphics->Update(0.016f);
    const std::vector<Command>& frame = f.Frame();
    const std::vector<std::string> trace = Trace(frame);
    EXPECT_TRUE(InOrder(
        trace,
        {// Shadow cascades, each in its square of the atlas, depth-tested against the atlas's own
         // depth surface: the bricks in one instanced draw, the rocks singly. Then the back
         // buffer's depth surface again.
         "target 1536x512", "depth 1536x512", "viewport 0,0 512x512", "begin SingleInstance", "draw", "draw",
         "begin MultiInstance", "draw x5", "viewport 512,0 512x512", "viewport 1024,0 512x512", "depth 1280x800",
         // The reflection: geometry buffer, materials (lit by the sun themselves: no light pre-pass
         // without point or spot lights), sky.
         "target 1280x720", "begin MultiInstance", "draw x5", "begin MultiInstance", "draw x5", "begin draw_sky",
         // The main view: geometry buffer, light pre-pass (one point and one spot volume),
         // materials, the sky behind them, grass depth, grass, reflective, transparent.
         "begin MultiInstance", "draw x5", "begin RenderLightBuffer", "draw x1", "begin RenderLightBuffer", "draw x1",
         "begin MultiInstance", "draw x5", "begin draw_sky", "draw", "begin GrassGeometry", "draw x3",
         "begin InstancedGrass", "draw x3",
         // Post-processing: the glow captured at a quarter of the size, its sixteenth, each level
         // blurred in one pass (the quarter's adding the sixteenth's), the depth of field's far
         // field blurred at half size in one pass with the bloom added, then mixed straight into
         // the back buffer (1280 x 720 within 1280 x 800): no copy.
         "target 320x180", "begin CaptureGlow", "target 80x45", "begin DownScaleQuarter", "target 80x45", "begin Blur",
         "target 320x180", "begin BlurAdded", "target 640x360", "begin BlurFarField", "target 1280x800",
         "begin LinearInterpolate"}));
    EXPECT_TRUE(ShowsTheMix(trace));
    // The bricks draw instanced in every pass that names them: three cascades at most, the
    // geometry and material phases of both views.
    EXPECT_GE(Count(trace, "draw x5"), 4u + 1u);
    // Instanced draws put the streams back to one repetition afterwards.
    EXPECT_EQ(f.Device().GetStreamSourceFreq(0), 1u);

    // Effect parameters of the passes.
    const auto shadowViews = ParameterValues(frame, "shadow_view");
    ASSERT_FALSE(shadowViews.empty());
    EXPECT_EQ(shadowViews.front(),
              std::vector<float>(f.graphics->GetShadowView().m, f.graphics->GetShadowView().m + 16));
    const auto nears = ParameterValues(frame, "ortho_near");
    ASSERT_EQ(nears.size(), 3u);
    EXPECT_EQ(nears[0], nears[2]);  // one near plane for all three cascades
    EXPECT_LT(f.graphics->GetCascadeFar(0), f.graphics->GetCascadeFar(2));
    const auto directions = ParameterValues(frame, "sun_direction");
    ASSERT_EQ(directions.size(), 2u);  // reflection and main view
    EXPECT_NEAR(std::hypot(directions[1][0], directions[1][1], directions[1][2]), 1.0f, 1e-5f);
    EXPECT_EQ(ParameterValues(frame, "sun_color").back(), (std::vector<float>{1, 0.9f, 0.8f, 0}));
    // The reflection's sun casts no shadows, the main view's does.
    EXPECT_EQ(ParameterValues(frame, "sun_shadows"), (std::vector<std::vector<float>>{{0}, {1}}));
    // Single items get their colour and transposed world matrix: a rock at x = 3 has its
    // translation in float 12 of the transposed matrix.
    const auto worlds = ParameterValues(frame, "local_world");
    EXPECT_TRUE(std::any_of(worlds.begin(), worlds.end(),
                            [](const std::vector<float>& m) { return m[12] == 3.0f && m[14] == 20.0f; }));
    // The forward lights of each view, a first record holding the point light's type and its
    // position in the view (the camera 1 unit back from the origin makes it 21 away).
    const auto forward = ParameterValues(frame, "light_info");
    ASSERT_EQ(forward.size(), 2u);
    EXPECT_EQ(forward[1][0], 1.0f);
    EXPECT_EQ(std::vector<float>(forward[1].begin() + 5, forward[1].begin() + 8), (std::vector<float>{0, 0, 21}));
    EXPECT_EQ(ParameterValues(frame, "cFocal").size(), 1u);
    // The blurs' three filtered taps a direction weigh the source texels as a Gaussian of sigma 3
    // at 0, 1 and 2 texels: within the sixteenth level (its pixels on texel centres) and from the
    // scene to half its size (its pixels on the corners of 2 x 2 texels, the six texels across
    // weighed as [g2, g1 + g2, g0 + g1, g0 + g1, g1 + g2, g2]). The glow's taps keep 0.8 of the
    // normalised Gaussian's samples a direction; the depth of field's sum to one.
    const auto weights = ParameterValues(frame, "weights");
    const auto offsets = ParameterValues(frame, "offsets");
    ASSERT_EQ(weights.size(), 3u);
    ASSERT_EQ(offsets.size(), 3u);
    auto g = [](float x) { return std::exp(-x * x / 18.0f); };
    const float glowSum = 0.8f * (g(0) + 2.0f * (g(1) + g(2))) / std::sqrt(2.0f * 3.14159265f * 9.0f);
    struct Kernel {
        size_t pass;
        float width;  // of the source, in texels
        bool corner;
        float texels[3];  // the weights of the texels at 0, 1, 2 (or 0.5, 1.5, 2.5) each way
        float sum;
    } kernels[] = {{0, 80.0f, false, {g(0), g(1), g(2)}, glowSum},
                   {1, 320.0f, false, {g(0), g(1), g(2)}, glowSum},
                   {2, 1280.0f, true, {g(0) + g(1), g(1) + g(2), g(2)}, 1.0f}};
    for (const Kernel& k : kernels) {
        const std::vector<float>& w = weights[k.pass];
        ASSERT_EQ(w.size(), 3u);
        EXPECT_EQ(w[0], w[2]) << k.width;
        EXPECT_NEAR(w[0] + w[1] + w[2], k.sum, 1e-5f) << k.width;
        // The outer tap lies between the texels at 1 and 2 from the nearest texel of the middle.
        const float nearest = k.corner ? 0.5f : 0.0f;
        const float outer = -offsets[k.pass][0] * k.width - nearest;
        EXPECT_EQ(offsets[k.pass][0], -offsets[k.pass][8]) << k.width;
        const float middle = k.corner ? w[1] / 2.0f : w[1];
        const float total = (k.corner ? 2.0f : 1.0f) * k.texels[0] + 2.0f * (k.texels[1] + k.texels[2]);
        const float shown[3] = {middle, w[0] * (2.0f - outer), w[0] * (outer - 1.0f)};
        for (int t = 0; t < 3; ++t)
            EXPECT_NEAR(shown[t], k.sum * k.texels[t] / total, 1e-5f) << k.width << " texel " << t;
    }
    EXPECT_NEAR(glowSum, 0.478f, 0.001f) << "about half the light a direction";
    EXPECT_EQ(GrassFieldProbe::Drawn(f.graphics->GetGrassField()), 3u);
}

// The "ShadowCaster" stands on the sun and faces the fixed target whatever the level did with
// it; without a sun no map is drawn.
TEST(FramePasses, ShadowCasterFollowsTheSunAndFacesItsTarget) {
    {
        FrameFixture f;
        f.BuildSmallScene();
        SD::GameObject* caster = f.factory.GetGameObject(std::string("ShadowCaster"));
        ASSERT_NE(caster, nullptr);
        caster->GetTransform().SetPos({7, 7, 7});
        f.graphics->Update(0.016f);
        EXPECT_EQ(caster->GetTransform().GetPos(), SD::Vec3(0, 1000, 0));
        const SD::Vec3 facing = SD::Vec3(-1000, -1000, -2500).GetNormalized();
        const SD::Vec3 dir = caster->GetTransform().GetDir();
        EXPECT_NEAR(dir.x, facing.x, 1e-5f);
        EXPECT_NEAR(dir.y, facing.y, 1e-5f);
        EXPECT_NEAR(dir.z, facing.z, 1e-5f);
        EXPECT_EQ(Count(Trace(f.Frame()), "target 1536x512"), 1u);
    }
    // One graphics system at a time: components join the live one.
    FrameFixture dark;
    dark.Place("rock", {0, 0, 20});
    dark.LookFrom({0, 0, 0});
    dark.graphics->Update(0.016f);
    const std::vector<std::string> trace = Trace(dark.Frame());
    EXPECT_EQ(Count(trace, "target 1536x512"), 0u);
    EXPECT_EQ(Count(trace, "begin RenderLightBuffer"), 0u);  // no lights: no pre-pass at all
}

// Each switch takes its step out of the frame and leaves the others.
TEST(FramePasses, SettingsSwitchStepsOff) {
    struct Case {
        const char* settings;
        size_t shadowAtlas, skies, glow, depthOfField, downscales;
        float sunShadows;   // in the main view
        float bloomAmount;  // as the far field is given it; -1: no mix
    } cases[] = {
        {"", 1, 2, 1, 1, 1, 1.0f, 1.0f},
        {"render_shadows=false\n", 0, 2, 1, 1, 1, 0.0f, 1.0f},
        {"render_bloom=false\n", 1, 2, 0, 1, 0, 1.0f, 0.0f},
        {"render_depth_of_field=false\n", 1, 2, 1, 0, 1, 1.0f, -1.0f},
        {"reflection_quality=no\n", 1, 1, 1, 1, 1, 1.0f, 1.0f},
        {"no_post_process=true\n", 1, 2, 0, 0, 0, 1.0f, -1.0f},
    };
    for (const Case& c : cases) {
        FrameFixture f(c.settings);
        f.BuildSmallScene();
        f.graphics->Update(0.016f);
        const std::vector<std::string> trace = Trace(f.Frame());
        EXPECT_EQ(Count(trace, "target 1536x512"), c.shadowAtlas) << c.settings;
        EXPECT_EQ(Count(trace, "begin draw_sky"), c.skies) << c.settings;
        EXPECT_EQ(Count(trace, "begin CaptureGlow"), c.glow) << c.settings;
        EXPECT_EQ(Count(trace, "begin LinearInterpolate"), c.depthOfField) << c.settings;
        EXPECT_EQ(Count(trace, "begin DownScaleQuarter"), c.downscales) << c.settings;
        EXPECT_EQ(ParameterValues(f.Frame(), "sun_shadows").back(), std::vector<float>{c.sunShadows}) << c.settings;
        // The scene reaches the back buffer: mixed into it, or copied at the end.
        if (c.bloomAmount < 0.0f) {
            EXPECT_EQ(trace.back(), "copy") << c.settings;
        } else {
            EXPECT_TRUE(ShowsTheMix(trace)) << c.settings;
            EXPECT_EQ(ParameterValues(f.Frame(), "bloomAmount"), (std::vector<std::vector<float>>{{c.bloomAmount}}))
                << c.settings;
        }
    }
}

// The main view's wide point sprites go into the particle target. With the bloom running its
// quarter level (of the target's size) carries them to the scene and its capture lets them glow,
// so no full-size pass adds the target; without the bloom that pass does. Only a frame with
// sprites in the target has the capture and the blur read it.
TEST(FramePasses, TheWideSpritesReachTheSceneThroughTheBloomWhenItRuns) {
    struct Points : Aperture::Photon::ParticleSystem {
        Points() {
            particleCount = 4;
            active = true;
        }
    };
    const struct Case {
        const char* settings;
        size_t additive;
        size_t carried;  // the capture and the blur that read the target, each
    } cases[] = {
        {"", 0, 1},
        {"render_depth_of_field=false\n", 1, 1},  // the bloom's own addition
        {"render_bloom=false\n", 1, 0},
        {"no_post_process=true\n", 1, 0},
    };
    for (const Case& c : cases) {
        FrameFixture f(c.settings);
        f.BuildSmallScene();
        Points points;
        f.graphics->GetSceneLists().PointParticles().PushBack(&points);
        f.graphics->Update(0.016f);
        const std::vector<std::string> trace = Trace(f.Frame());
        EXPECT_EQ(Count(trace, "begin PrepareFromGeometry"), 1u) << c.settings;
        EXPECT_EQ(Count(trace, "begin Additive"), c.additive) << c.settings;
        EXPECT_EQ(Count(trace, "begin CaptureGlowAndSprites"), c.carried) << c.settings;
        EXPECT_EQ(Count(trace, "begin BlurAddedAndSprites"), c.carried) << c.settings;
        f.graphics->GetSceneLists().PointParticles().Remove(&points);
        // A frame without sprites reads nothing stale from the target.
        f.graphics->Update(0.016f);
        const std::vector<std::string> after = Trace(f.Frame());
        EXPECT_EQ(Count(after, "begin CaptureGlowAndSprites") + Count(after, "begin BlurAddedAndSprites"), 0u)
            << c.settings;
        EXPECT_EQ(Count(after, "begin CaptureGlow") + Count(after, "begin BlurAdded"), 2 * c.carried) << c.settings;
    }
}

// The sky off: the colour target is cleared to the background colour and no sky is drawn. The
// sky on fills every pixel the surfaces leave, so the colour target is not cleared.
TEST(FramePasses, WithoutTheSkyTheTargetShowsTheBackground) {
    for (const bool sky : {false, true}) {
        FrameFixture f("render_depth_of_field=false\n");
        f.graphics->SetSkyEnabled(sky);
        Aperture::BackgroundColorMessage blue(0.0f, 0.0f, 1.0f);
        SD::Message_System::GetInstance()->SendMessage(blue);
        f.graphics->Update(0.016f);
        EXPECT_EQ(Count(Trace(f.Frame()), "begin draw_sky"), sky ? 1u : 0u) << "sky " << sky;
        const size_t backgroundClears = std::count_if(f.Frame().begin(), f.Frame().end(), [](const Command& c) {
            return c.op == Op::kClear && (c.a[0] & platform::gfx::kClearTarget) && c.a[1] == 0x000000FFu;
        });
        EXPECT_EQ(backgroundClears, sky ? 0u : 1u) << "sky " << sky;
    }
}

// The reflection is drawn only while a reflective surface is in the main view.
TEST(FramePasses, TheReflectionIsDrawnOnlyForAReflectiveSurfaceInView) {
    for (const float pondZ : {40.0f, -40.0f}) {
        FrameFixture f;
        f.Place("rock", {0, 0, 20});
        f.Place("pond", {0, 0, pondZ});
        f.LookFrom({0, 0, 0});
        f.graphics->Update(0.016f);
        EXPECT_EQ(Count(Trace(f.Frame()), "begin draw_sky"), pondZ > 0 ? 2u : 1u) << "pond at z " << pondZ;
    }
}

// Transparent items are drawn from the smallest view depth up, and each keeps its true
// view-space position (the eye's translation included) as its sort key.
TEST(FramePasses, TransparentItemsByTrueViewDepth) {
    FrameFixture f;
    f.Place("window", {0, 0, 40}, {0.25f, 0, 0, 1});
    f.Place("window", {2, 0, 15}, {0.75f, 0, 0, 1});
    f.Place("window", {-2, 0, 30}, {0.5f, 0, 0, 1});
    f.LookFrom({0, 0, -10});
    f.graphics->Update(0.016f);
    std::vector<float> order;
    for (const auto& value : ParameterValues(f.Frame(), "geometry_color")) order.push_back(value[0]);
    // The main view draws the three windows (nothing reflective asks for the reflection).
    EXPECT_EQ(order, (std::vector<float>{0.75f, 0.5f, 0.25f}));
    const auto& items = f.graphics->GetScene(Graphics_::kMainScene).transparent;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_FLOAT_EQ(items[0].sortData[2], 25.0f);
    EXPECT_FLOAT_EQ(items[0].sortData[0], 2.0f);
    EXPECT_FLOAT_EQ(items[2].sortData[2], 50.0f);
}

// The geometry pass of each view tests depth against its own surfaces only: the clear that
// empties the geometry buffer (alpha 1: depth at the far distance) clears the depth to 1 with it.
// The clears of the light buffer and the colour target keep that depth up to the sky: the light
// volumes and the materials test against it.
TEST(FramePasses, EachGeometryPassStartsFromClearedDepth) {
    FrameFixture f;
    f.BuildSmallScene();
    f.graphics->Update(0.016f);
    const std::vector<Command>& frame = f.Frame();
    const auto isDraw = [](const Command& c) {
        return c.op == Op::kDrawIndexedPrimitive || c.op == Op::kDrawPrimitive;
    };
    const uint32_t both = platform::gfx::kClearTarget | platform::gfx::kClearZBuffer;
    size_t clears = 0;
    bool inView = false;
    for (auto c = frame.begin(); c != frame.end(); ++c) {
        // From the view's geometry clear to its sky.
        if (c->op == Op::kBeginEffect && c->name == "draw_sky") inView = false;
        if (inView && c->op == Op::kClear) {
            EXPECT_EQ(c->a[0] & platform::gfx::kClearZBuffer, 0u) << "clear after geometry " << clears;
        }
        if (c->op != Op::kClear || c->a[1] != 0xFF000000u) continue;
        ++clears;
        inView = true;
        EXPECT_EQ(c->a[0] & both, both) << "geometry clear " << clears;
        EXPECT_EQ(c->v[0], 1.0f) << "geometry clear " << clears;
        EXPECT_NE(std::find_if(c + 1, frame.end(), isDraw), frame.end());
    }
    EXPECT_EQ(clears, 2u);  // the reflection and the main view
}

// The reflective and transparent passes bind the single-draw vertex declaration, so they draw
// with a single-draw technique even when an instanced batch of the same effect came before. The
// reflective draw takes the effect's blended single-draw technique where it has one (the lit
// material, whose opaque draws do not blend), else its single-draw one.
TEST(FramePasses, ReflectiveAndTransparentItemsDrawSingly) {
    struct Case {
        const char* effect;
        const char* reflective;
    };
    const Case cases[] = {{Graphics_::kSharedEffectName, "begin SingleInstance"},
                          {"lit_material", "begin SingleInstanceBlended"}};
    for (const Case& c : cases) {
        FrameFixture f;
        f.graphics->GetGrassField().SetEnabled(false);
        f.pond = f.LoadMaterial("pond", {"Reflective", "Transparent"}, c.effect);
        f.pondMesh->SetMaterial(f.pond);
        for (int i = 0; i < 4; ++i) f.Place("brick", {static_cast<float>(i) * 3.0f - 6.0f, 0, 30});
        f.Place("pond", {0, 0, 20});
        f.LookFrom({0, 0, 0});
        f.graphics->Update(0.016f);
        const std::vector<std::string> trace = Trace(f.Frame());
        // The main view's material batch, then past the sky the pond as reflective and as
        // transparent item.
        const auto materials = std::find(trace.rbegin(), trace.rend(), "draw x4");
        ASSERT_NE(materials, trace.rend());
        const auto sky = std::find(materials.base(), trace.end(), "begin draw_sky");
        ASSERT_NE(sky, trace.end());
        std::vector<std::string> after;
        std::copy_if(sky + 2, trace.end(), std::back_inserter(after),
                     [](const std::string& line) { return line.rfind("target", 0) != 0; });
        after.resize(std::min<size_t>(after.size(), 4));
        EXPECT_EQ(after, (std::vector<std::string>{c.reflective, "draw", "begin SingleInstance", "draw"})) << c.effect;
    }
}

// Batches of 1 and 2 items draw singly, 3 to 128 in one instanced draw, more in runs of 128.
TEST(FramePasses, BatchesDrawSinglyInstancedOrInRuns) {
    struct Case {
        int items;
        std::vector<std::string> draws;
    } cases[] = {
        {2, {"draw", "draw"}},
        {3, {"draw x3"}},
        {128, {"draw x128"}},
        {300, {"draw x128", "draw x128", "draw x44"}},
    };
    for (const Case& c : cases) {
        FrameFixture f;
        for (int i = 0; i < c.items; ++i)
            f.Place("brick", {static_cast<float>(i % 20) - 10.0f, 0, 30.0f + static_cast<float>(i / 20)});
        f.LookFrom({0, 0, 0});
        f.graphics->PrepareScene(0.016f);
        f.Device().BeginScene();
        f.graphics->DrawBatches("Material", f.graphics->GetScene(Graphics_::kMainScene).opaque);
        f.Device().EndScene();
        f.Device().Present();
        std::vector<std::string> draws;
        for (const std::string& line : Trace(f.Frame()))
            if (line.rfind("draw", 0) == 0) draws.push_back(line);
        EXPECT_EQ(draws, c.draws) << c.items;
        const std::string technique = c.items < 3 ? "begin SingleInstance" : "begin MultiInstance";
        EXPECT_GT(Count(Trace(f.Frame()), technique), 0u) << c.items;
    }
}

// Grass beyond one buffer's worth is drawn in chunks of 2048 from alternating buffers; the
// fade of growing grass and grown grass.
TEST(FramePasses, GrassChunksAndGrowth) {
    FrameFixture f;
    std::vector<Aperture::GrassInstance> blades(4097);
    f.graphics->DrawGrass("InstancedGrass", {});  // the first grass pass draws nothing
    f.Device().BeginScene();
    f.graphics->DrawGrass("InstancedGrass", blades);  // the first pass only sets the wind area
    f.Device().EndScene();
    f.Device().Present();
    f.Device().BeginScene();
    f.graphics->DrawGrass("InstancedGrass", blades);
    f.Device().EndScene();
    f.Device().Present();
    std::vector<std::string> draws;
    for (const std::string& line : Trace(f.Frame()))
        if (line.rfind("draw", 0) == 0) draws.push_back(line);
    EXPECT_EQ(draws, (std::vector<std::string>{"draw x2048", "draw x2048", "draw x1"}));
    EXPECT_EQ(GrassFieldProbe::Drawn(f.graphics->GetGrassField()), 4097u);

    EXPECT_EQ(GrassField::Paint(0.0f, 0.0f), 1.0f);  // no growth time: grown
    EXPECT_EQ(GrassField::Paint(0.0f, 5.0f), 0.0f);
    EXPECT_EQ(GrassField::Paint(5.0f, 5.0f), 1.0f);
    EXPECT_NEAR(GrassField::Paint(0.905f, 1.0f), 1.0f, 0.01f);
    EXPECT_GT(GrassField::Paint(0.5f, 1.0f), 0.0f);
    EXPECT_LT(GrassField::Paint(0.5f, 1.0f), 1.0f);
    // While growing, the blades blend.
    f.graphics->GetGrassField().StartGrowth(10.0f);
    f.Device().BeginScene();
    f.graphics->DrawGrass("InstancedGrass", blades);
    EXPECT_EQ(f.Device().GetRenderState(platform::gfx::kRsAlphaBlendEnable), 1u);
    f.graphics->UpdateGrassWave(20.0f);
    f.graphics->DrawGrass("InstancedGrass", blades);
    EXPECT_EQ(f.Device().GetRenderState(platform::gfx::kRsAlphaBlendEnable), 0u);
    f.Device().EndScene();
}

// The first grass pass only tells the wind field its area, once, through the writer the field
// installed; a pass without a writer still counts as the first. Later passes draw.
SD::Vec2 g_windArea[2];
int g_windAreaWrites = 0;
void RecordWindArea(const SD::Vec2& minimum, const SD::Vec2& maximum) {
    g_windArea[0] = minimum;
    g_windArea[1] = maximum;
    ++g_windAreaWrites;
}

TEST(FramePasses, TheFirstGrassPassWritesTheWindAreaAndDrawsNothing) {
    g_windAreaWrites = 0;
    std::vector<Aperture::GrassInstance> blades(3);
    for (bool withWriter : {true, false}) {
        FrameFixture f;
        if (withWriter) f.graphics->GetGrassField().SetWindAreaWriter(&RecordWindArea);
        f.Device().BeginScene();
        f.graphics->DrawGrass("InstancedGrass", blades);
        EXPECT_EQ(GrassFieldProbe::Drawn(f.graphics->GetGrassField()), 0u);
        f.graphics->DrawGrass("InstancedGrass", blades);
        f.graphics->DrawGrass("InstancedGrass", blades);
        f.Device().EndScene();
        f.Device().Present();
        EXPECT_EQ(GrassFieldProbe::Drawn(f.graphics->GetGrassField()), 3u);
        EXPECT_EQ(Count(Trace(f.Frame()), "draw x3"), 2u) << withWriter;
    }
    EXPECT_EQ(g_windAreaWrites, 1);
    EXPECT_EQ(g_windArea[0].x, -20.0f);
    EXPECT_EQ(g_windArea[0].y, -20.0f);
    EXPECT_EQ(g_windArea[1].x, 20.0f);
    EXPECT_EQ(g_windArea[1].y, 20.0f);
}

// Without the grass texture (or effect) the pass draws nothing and says so once.
TEST(FramePasses, MissingGrassTextureSkipsThePassAndLogsOnce) {
    gfxtest::GraphicsFixture f;
    std::vector<Aperture::GrassInstance> blades(3);
    f.Device().BeginScene();
    f.graphics->DrawGrass("InstancedGrass", blades);
    f.graphics->DrawGrass("InstancedGrass", blades);
    f.Device().EndScene();
    EXPECT_EQ(GrassFieldProbe::Drawn(f.graphics->GetGrassField()), 0u);
    const std::string log = f.logger.Buffer();
    const auto first = log.find("\"grass\" is not loaded");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("\"grass\" is not loaded", first + 1), std::string::npos);
}

// The wave value stays within its legs and reaches every grass record.
TEST(FramePasses, GrassWaveSwaysEveryRecord) {
    FrameFixture f;
    f.Place("rock", {0, 0, 20});
    std::vector<Aperture::GrassInstance> blades(50);
    for (size_t i = 0; i < blades.size(); ++i) blades[i].position = SD::Vec3(static_cast<float>(i) * 10.0f, 0, 0);
    f.graphics->GetGrassField().SetGrass(f.geometries.front().get(), blades);
    for (int i = 0; i < 200; ++i) {
        f.graphics->UpdateGrassWave(0.1f);
        const float v = GrassFieldProbe::Wave(f.graphics->GetGrassField());
        EXPECT_GT(v, 0.1f);
        EXPECT_LT(v, 1.0f);
    }
    const auto expected = static_cast<uint8_t>(std::floor(GrassFieldProbe::Wave(f.graphics->GetGrassField()) * 255.0f));
    size_t seen = 0;
    Aperture::GrassTree::VisitAll(f.graphics->GetGrassField().FindTree(f.geometries.front().get())->GetRoot(),
                                  [&](Aperture::GrassTree::Node* node) {
                                      for (const auto& blade : node->instances) {
                                          EXPECT_EQ(blade.params[0], expected);
                                          ++seen;
                                      }
                                  });
    EXPECT_EQ(seen, blades.size());
}

// The light pre-pass: at most 256 lights, black point lights dropped, black spot lights kept,
// nothing at all for an empty list.
TEST(FramePasses, LightPrePassCountsAndSkips) {
    FrameFixture f;
    f.LookFrom({0, 0, 0});
    for (int i = 0; i < 300; ++i) f.AddLight(Light::kPoint, {0, 0, 20}, 5.0f)->SetColor(1, 1, 1, 1);
    f.AddLight(Light::kPoint, {0, 0, 20}, 5.0f);  // black
    f.AddLight(Light::kSpot, {0, 0, 20}, 5.0f);   // black, still drawn
    std::vector<Light*> lights;
    for (auto& l : f.lights) lights.push_back(l.get());
    std::rotate(lights.begin(), lights.begin() + 300, lights.end());  // the black ones first
    auto run = [&](const std::vector<Light*>& list) {
        f.Device().BeginScene();
        f.graphics->RenderLightPrePass(f.graphics->GetLightBuffer(), f.graphics->GetGeometryBuffer(), list);
        f.Device().EndScene();
        f.Device().Present();
        return Trace(f.Frame());
    };
    EXPECT_EQ(run(lights), (std::vector<std::string>{"target 1280x720", "begin RenderLightBuffer", "draw x254",
                                                     "begin RenderLightBuffer", "draw x1"}));
    EXPECT_TRUE(run({}).empty());
}

// A UI sprite given in reference pixels lands on the same share of the screen at every
// render size: its quad's corners, carried through the recorded world and projection.
TEST(FramePasses, SpriteLandsAtReferencePixelsOnTwoRenderSizes) {
    struct Case {
        uint32_t windowWidth, windowHeight;
        float left, top, right, bottom;
    } cases[] = {
        {1280, 800, 256, 140, 384, 220},   // render 1280 x 720
        {1920, 1200, 384, 210, 576, 330},  // render 1920 x 1080
    };
    for (const Case& c : cases) {
        gfxtest::GraphicsFixture f("no_post_process=true\n", c.windowWidth, c.windowHeight);
        auto* manager = f.graphics->GetDeviceLayer().GetResourceManager();
        f.graphics->AddTexture("logo", manager->CreateRenderBuffer());
        SD::GameObject owner;
        owner.GetTransform().SetPos({480, 300, 1});
        owner.GetTransform().SetScale({192, 120, 1});
        Aperture::UISprite sprite;
        sprite.SetOwner(&owner);
        sprite.SetTexture("logo");
        sprite.SetAnchor({0.5f, 0.5f});
        sprite.SetConvertPixelPosition(true);
        sprite.SetConvertPixelScale(true);
        sprite.VInitialize(false);
        EXPECT_FLOAT_EQ(owner.GetTransform().GetLocalPos().x, 0.25f);
        EXPECT_FALSE(sprite.GetConvertPixelPosition());
        sprite.VRegister();
        f.graphics->Update(0.016f);
        sprite.VUnregister();
        const auto worlds = ParameterValues(f.Frame(), "world");
        const auto projections = ParameterValues(f.Frame(), "projection");
        ASSERT_FALSE(worlds.empty());
        ASSERT_FALSE(projections.empty());
        const std::vector<float>& w = worlds.back();
        const std::vector<float>& p = projections.back();
        const float width = f.graphics->GetRenderSize().x, height = f.graphics->GetRenderSize().y;
        // Row vector times the transposed world, then the projection, to pixels.
        auto pixel = [&](float x, float y) {
            float world[4], clip[4];
            const float in[4] = {x, y, 0, 1};
            for (int j = 0; j < 4; ++j)
                world[j] = in[0] * w[j] + in[1] * w[4 + j] + in[2] * w[8 + j] + in[3] * w[12 + j];
            for (int j = 0; j < 4; ++j)
                clip[j] = world[0] * p[j] + world[1] * p[4 + j] + world[2] * p[8 + j] + world[3] * p[12 + j];
            return std::pair<float, float>((clip[0] / clip[3] + 1) / 2 * width, (1 - clip[1] / clip[3]) / 2 * height);
        };
        const auto topLeft = pixel(-0.5f, 0.5f);
        const auto bottomRight = pixel(0.5f, -0.5f);
        EXPECT_NEAR(topLeft.first, c.left, 0.01f) << c.windowWidth;
        EXPECT_NEAR(topLeft.second, c.top, 0.01f) << c.windowWidth;
        EXPECT_NEAR(bottomRight.first, c.right, 0.01f) << c.windowWidth;
        EXPECT_NEAR(bottomRight.second, c.bottom, 0.01f) << c.windowWidth;
    }
}

// Sprite placement rules: a zero scale takes the texture's share of the reference screen, the
// anchor shifts by the quad's size, the order follows the owners' z, and invisible or
// texture-less sprites are skipped (the missing texture said once).
TEST(FramePasses, SpriteOrderOpacityAnchorAndMissingTexture) {
    const SD::Mtx44 full = Graphics_::SpriteWorld({0.5f, 0.5f, 0}, 0, 0, 0, {0.5f, 0.5f}, 1920, 1200, 1280, 720);
    EXPECT_FLOAT_EQ(full(0, 0), 1280.0f);  // a 1920-wide texture covers the render width
    EXPECT_FLOAT_EQ(full(0, 3), 0.0f);
    const SD::Mtx44 right = Graphics_::SpriteWorld({0.5f, 0.5f, 0}, 0, 0.1f, 0.1f, {1.0f, 0.5f}, 0, 0, 1280, 720);
    EXPECT_FLOAT_EQ(right(0, 3), 64.0f);  // half of 128 pixels

    gfxtest::GraphicsFixture f("no_post_process=true\n");
    auto* manager = f.graphics->GetDeviceLayer().GetResourceManager();
    f.graphics->AddTexture("logo", manager->CreateRenderBuffer());
    struct Placed {
        SD::GameObject owner;
        Aperture::UISprite sprite;
    } placed[4];
    const float zs[4] = {2, 1, 3, 0};
    const float opacities[4] = {1, 0.5f, 0.00001f, 1};
    for (int i = 0; i < 4; ++i) {
        placed[i].owner.GetTransform().SetPos({0.5f, 0.5f, zs[i]});
        placed[i].sprite.SetOwner(&placed[i].owner);
        placed[i].sprite.SetTexture(i == 3 ? "missing_picture" : "logo");
        placed[i].sprite.SetOpacity(opacities[i]);
        placed[i].sprite.SetTint({static_cast<float>(i), 0, 0});
        placed[i].sprite.VRegister();
    }
    f.graphics->Update(0.016f);
    f.graphics->Update(0.016f);
    for (auto& p : placed) p.sprite.VUnregister();
    // z 1 before z 2; the faint and the lost are skipped.
    EXPECT_EQ(SpriteTintsDrawn(f.Frame()), (std::vector<float>{1, 0}));
    const std::string log = f.logger.Buffer();
    const auto first = log.find("\"missing_picture\"");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("\"missing_picture\"", first + 1), std::string::npos);
}

// A sprite that hides the whole render area (an opaque texture at full opacity, unturned, over
// all of it) takes the scene, the post-processing and the sprites under it out of the frame;
// any sprite that lets something through leaves them in.
TEST(FramePasses, ASpriteHidingTheWholeAreaTakesWhatItHidesOutOfTheFrame) {
    struct Case {
        const char* what;
        uint8_t alpha;
        float opacity, scale, rotation;
        bool hides;
    } cases[] = {
        {"opaque over all", 255, 1.0f, 1.0f, 0.0f, true},         {"larger than the area", 255, 1.0f, 1.5f, 0.0f, true},
        {"a translucent texel", 254, 1.0f, 1.0f, 0.0f, false},    {"faded", 255, 0.99f, 1.0f, 0.0f, false},
        {"smaller than the area", 255, 1.0f, 0.99f, 0.0f, false}, {"turned", 255, 1.0f, 1.5f, 0.1f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameFixture f;
        f.BuildSmallScene();
        platform::gfx::Image image;
        image.width = image.height = 4;
        image.pixels.assign(64, 0x80);
        for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
        image.pixels[7] = c.alpha;
        const std::vector<uint8_t> bytes = platform::gfx::EncodeRawImage(image);
        f.tree.Write("Assets/Textures/cover.raw", std::string(bytes.begin(), bytes.end()));
        f.graphics->AddTexture(
            "cover", f.Manager()->CreateTexture(SD::FilePath(f.tree.Path("Assets/Textures/cover.raw").c_str())));
        f.graphics->AddTexture("logo", f.Manager()->CreateRenderBuffer());
        // Under the cover, the cover (tint 1), and a logo over it (tint 2).
        struct Placed {
            SD::GameObject owner;
            Aperture::UISprite sprite;
        } placed[3];
        for (int i = 0; i < 3; ++i) {
            placed[i].owner.GetTransform().SetPos({0.5f, 0.5f, static_cast<float>(i)});
            placed[i].owner.GetTransform().SetScale({i == 1 ? c.scale : 0.1f, i == 1 ? c.scale : 0.1f, 1});
            if (i == 1) placed[i].owner.GetTransform().SetRotateZ(c.rotation);
            placed[i].sprite.SetOwner(&placed[i].owner);
            placed[i].sprite.SetTexture(i == 1 ? "cover" : "logo");
            placed[i].sprite.SetAnchor({0.5f, 0.5f});
            placed[i].sprite.SetOpacity(i == 1 ? c.opacity : 1.0f);
            placed[i].sprite.SetTint({static_cast<float>(i), 0, 0});
            placed[i].sprite.VRegister();
        }
        f.graphics->Update(0.016f);
        for (auto& p : placed) p.sprite.VUnregister();
        const std::vector<std::string> trace = Trace(f.Frame());
        EXPECT_EQ(SpriteTintsDrawn(f.Frame()), (c.hides ? std::vector<float>{1, 2} : std::vector<float>{0, 1, 2}));
        EXPECT_EQ(Count(trace, "target 1536x512"), c.hides ? 0u : 1u);
        EXPECT_EQ(Count(trace, "begin draw_sky"), c.hides ? 0u : 2u);
        EXPECT_EQ(Count(trace, "begin CaptureGlow"), c.hides ? 0u : 1u);
        if (c.hides)
            EXPECT_EQ(trace.back(), "copy");
        else
            EXPECT_TRUE(ShowsTheMix(trace));
    }
}

// The first sprite, when it lies unturned over the whole render area, is blended over the scene
// by the depth of field's mix into the back buffer, with its texture, tint and opacity and the
// place that maps the area onto it, instead of a pass of its own; the sprites after it draw as
// before. Any other first sprite, or a frame without that mix, draws every sprite itself.
TEST(FramePasses, AFirstSpriteOverTheWholeAreaIsBlendedInByTheMix) {
    struct Case {
        const char* what;
        const char* settings;
        float scale, rotation, z;
        std::vector<float> drawn;  // the sprites' tints in the order drawn by the sprite pass
        std::vector<float> place;  // the mix's overlayPlace, empty when the mix has no sprite
    } cases[] = {
        {"over the area", "", 1.0f, 0.0f, 0.0f, {2}, {1.0f, 0.9f, 0.0f, 0.05f}},
        {"larger than the area", "", 1.5f, 0.0f, 0.0f, {2}, {2.0f / 3.0f, 0.6f, 1.0f / 6.0f, 0.2f}},
        {"smaller than the area", "", 0.99f, 0.0f, 0.0f, {1, 2}, {}},
        {"turned", "", 1.5f, 0.1f, 0.0f, {1, 2}, {}},
        {"over another sprite", "", 1.0f, 0.0f, 2.0f, {2, 1}, {}},
        {"without the depth of field", "render_depth_of_field=false\n", 1.0f, 0.0f, 0.0f, {1, 2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gfxtest::GraphicsFixture f(c.settings);
        auto* manager = f.graphics->GetDeviceLayer().GetResourceManager();
        f.graphics->AddTexture("frame", manager->CreateRenderBuffer());
        f.graphics->AddTexture("logo", manager->CreateRenderBuffer());
        // The sprite over the area (tint 1), and a small logo (tint 2) at z 1.
        struct Placed {
            SD::GameObject owner;
            Aperture::UISprite sprite;
        } placed[2];
        for (int i = 0; i < 2; ++i) {
            placed[i].owner.GetTransform().SetPos({0.5f, 0.5f, i == 0 ? c.z : 1.0f});
            placed[i].owner.GetTransform().SetScale({i == 0 ? c.scale : 0.1f, i == 0 ? c.scale : 0.1f, 1});
            if (i == 0) placed[i].owner.GetTransform().SetRotateZ(c.rotation);
            placed[i].sprite.SetOwner(&placed[i].owner);
            placed[i].sprite.SetTexture(i == 0 ? "frame" : "logo");
            placed[i].sprite.SetAnchor({0.5f, 0.5f});
            placed[i].sprite.SetOpacity(i == 0 ? 0.25f : 1.0f);
            placed[i].sprite.SetTint({static_cast<float>(i + 1), 0, 0});
            placed[i].sprite.VRegister();
        }
        f.graphics->Update(0.016f);
        for (auto& p : placed) p.sprite.VUnregister();
        const std::vector<std::string> trace = Trace(f.Frame());
        EXPECT_EQ(SpriteTintsDrawn(f.Frame()), c.drawn);
        const bool blendedIn = !c.place.empty();
        EXPECT_EQ(Count(trace, "begin LinearInterpolateOverlay"), blendedIn ? 1u : 0u);
        if (!blendedIn) continue;
        EXPECT_TRUE(ShowsTheMix(trace));
        const auto place = ParameterValues(f.Frame(), "overlayPlace");
        ASSERT_FALSE(place.empty());
        for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(place.front()[i], c.place[i], 1e-5f) << i;
        const auto colour = ParameterValues(f.Frame(), "overlayColor");
        ASSERT_FALSE(colour.empty());
        EXPECT_EQ(colour.front(), (std::vector<float>{1, 0, 0, 0.25f}));
    }
}

// The sprites land on the render area wherever the finished scene is: over the mix in the back
// buffer (between the bars of a 16:10 window, or filling a 16:9 one), or on the scene buffer that
// is copied into the area afterwards when no mix runs. The viewport is the area, so a sprite
// partly off the screen (credits rolling in) never reaches the bars.
TEST(FramePasses, TheSpritesCoverTheRenderAreaOverTheFinishedScene) {
    struct Case {
        const char* settings;
        uint32_t height;       // of the window, 1280 wide; the render area is 1280 x 720
        const char* viewport;  // where the sprites are drawn in their target
        bool mixed;
    } cases[] = {
        {"", 800, "viewport 0,40 1280x720", true},
        {"", 720, "viewport 0,0 1280x720", true},
        {"render_depth_of_field=false\n", 800, "viewport 0,0 1280x720", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + "window height " + std::to_string(c.height));
        gfxtest::GraphicsFixture f(c.settings, 1280, c.height);
        f.graphics->AddTexture("logo", f.graphics->GetDeviceLayer().GetResourceManager()->CreateRenderBuffer());
        f.UpdateWithSprite("logo");
        const std::vector<std::string> trace = Trace(f.Frame());
        if (c.mixed) {
            const auto mix = std::find(trace.begin(), trace.end(), "begin LinearInterpolate");
            EXPECT_NE(std::find(mix, trace.end(), "begin SimpleDraw"), trace.end()) << "no sprite after the mix";
            EXPECT_EQ(Count(trace, "copy"), 0u);
        } else {
            EXPECT_EQ(trace.back(), "copy");
        }
        const auto sprite = std::find(trace.rbegin(), trace.rend(), "begin SimpleDraw");
        ASSERT_NE(sprite, trace.rend());
        const auto viewport = std::find_if(sprite, trace.rend(), [](const std::string& line) {
            return line.rfind("viewport ", 0) == 0 || line.rfind("target ", 0) == 0;
        });
        ASSERT_NE(viewport, trace.rend());
        EXPECT_EQ(*viewport, c.viewport);
        // The render area's corners (its pixels about its centre, y up) fill the viewport's clip
        // space: the projection is taken by row vectors.
        const std::vector<float> m = ParameterValues(f.Frame(), "projection").back();
        ASSERT_EQ(m.size(), 16u);
        EXPECT_NEAR(-640.0f * m[0] + m[12], -1.0f, 1e-5f);
        EXPECT_NEAR(640.0f * m[0] + m[12], 1.0f, 1e-5f);
        EXPECT_NEAR(360.0f * m[5] + m[13], 1.0f, 1e-5f);
        EXPECT_NEAR(-360.0f * m[5] + m[13], -1.0f, 1e-5f);
    }
}

// The final copy is centred in the window area and never wraps when the render size exceeds it.
TEST(FramePasses, FinalRectangleIsCentredAndClamped) {
    const struct {
        uint32_t w, h, areaW, areaH;
        int32_t left, top, right, bottom;
    } cases[] = {
        {1280, 720, 1280, 800, 0, 40, 1280, 760},
        {1280, 720, 1280, 720, 0, 0, 1280, 720},
        {1280, 720, 1000, 600, 0, 0, 1000, 600},
        {800, 450, 1280, 800, 240, 175, 1040, 625},
    };
    for (const auto& c : cases) {
        const platform::gfx::Rect r = Aperture::PostProcessChain::FinalRectangle(c.w, c.h, c.areaW, c.areaH);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right, c.right);
        EXPECT_EQ(r.bottom, c.bottom);
    }
}

}  // namespace
