#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SceneTestSupport.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/gfx/ViewMath.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "support/HeldKeys.h"

namespace {

using Aperture::Geometry;
using Aperture::Graphics_;
using Aperture::Resource::Material;
using Aperture::Resource::Mesh;

using gfxtest::SceneFixture;

TEST(SceneRegistration, GeometryTakesItsModelOrTheSphere) {
    SceneFixture f;
    f.graphics->CreateBuiltInModels();
    Geometry* rock = f.Place("rock", {0, 0, 10});
    Geometry* lost = f.Place("no_such_model", {0, 0, 10});
    EXPECT_EQ(rock->GetModel(), f.graphics->FindModel("rock"));
    EXPECT_EQ(lost->GetModel(), f.graphics->FindModel("sphere"));
    EXPECT_EQ(lost->GetModelName(), "sphere");
    EXPECT_EQ(f.graphics->GetSceneLists().Geometries().Size(), 2u);
    lost->VUnregister();
    EXPECT_EQ(f.graphics->GetSceneLists().Geometries().Size(), 1u);
    EXPECT_EQ(f.graphics->GetSceneLists().Geometries().First(), rock);
}

TEST(SceneCollection, KnownSceneFillsListsAndBatches) {
    SceneFixture f;
    // In view: rocks at x = 3 and x = -3, a window at x = 0, a pond at x = 5; behind the
    // camera: a rock; far off to the side: a window.
    f.Place("rock", {3, 0, 20}, {0.5f, 0, 0, 1});
    f.Place("window", {0, 0, 30});
    f.Place("rock", {0, 0, -50});
    f.Place("pond", {5, 0, 40});
    f.Place("rock", {-3, 0, 25});
    f.Place("window", {500, 0, 30});
    f.LookFrom({0, 0, 0});
    f.graphics->CollectViewItems();
    Graphics_::Scene& scene = f.graphics->GetScene(Graphics_::kMainScene);

    // Opaque: stone (the rocks' meshes, then the window frame, by mesh ID), then pond.
    const auto& opaque = scene.opaque.items;
    ASSERT_EQ(opaque.size(), 4u);
    EXPECT_EQ(opaque[0].mesh, f.rockMesh);
    EXPECT_EQ(opaque[1].mesh, f.rockMesh);
    EXPECT_EQ(opaque[2].mesh, f.windowFrame);
    EXPECT_EQ(opaque[2].world(0, 3), 0.0f);
    EXPECT_EQ(opaque[3].mesh, f.pondMesh);
    ASSERT_EQ(scene.opaque.batches.size(), 3u);
    EXPECT_EQ(scene.opaque.batches[0].count, 2u);
    EXPECT_EQ(scene.opaque.batches[1].first, 2u);
    EXPECT_EQ(scene.opaque.batches[2].first, 3u);
    // The colour travels with its item.
    for (const auto& item : opaque) {
        EXPECT_EQ(item.color.x, item.world(0, 3) == 3.0f ? 0.5f : 1.0f);
    }
    // Shadow items are filed but only batched for the cascades.
    EXPECT_EQ(SceneFixture::Xs(scene.shadow.items), (std::vector<float>{3, 0, -3}));
    EXPECT_TRUE(scene.shadow.batches.empty());
    ASSERT_EQ(scene.transparent.size(), 1u);
    EXPECT_EQ(scene.transparent[0].mesh, f.windowGlass);
    ASSERT_EQ(scene.reflective.size(), 1u);
    EXPECT_EQ(scene.reflective[0].mesh, f.pondMesh);
    // The reflection saw the same frustum.
    EXPECT_EQ(f.graphics->GetScene(Graphics_::kReflectionScene).opaque.items.size(), 4u);
    EXPECT_TRUE(f.geometries[0]->IsVisible());
    EXPECT_FALSE(f.geometries[2]->IsVisible());
    // The culling record holds the world box of the last test.
    EXPECT_FLOAT_EQ(f.geometries[0]->cullData[0], 3.0f + f.rockMesh->GetBoundsMin().x);
    EXPECT_FLOAT_EQ(f.geometries[0]->cullData[5], 20.0f + f.rockMesh->GetBoundsMax().z);
}

TEST(SceneCollection, MovedCameraSeesAnotherSet) {
    SceneFixture f;
    f.Place("rock", {3, 0, 20});
    f.Place("window", {0, 0, 30});
    f.Place("rock", {0, 0, -50});
    f.Place("window", {500, 0, 30});
    f.LookFrom({0, 0, 0});
    f.graphics->CollectViewItems();
    EXPECT_EQ(SceneFixture::Xs(f.graphics->GetScene(Graphics_::kMainScene).opaque.items), (std::vector<float>{3, 0}));
    // The camera moved to x = 500 sees the far window only, and so does its reflection.
    f.ClearScenes();
    f.LookFrom({500, 0, 0});
    f.graphics->CollectViewItems();
    Graphics_::Scene& scene = f.graphics->GetScene(Graphics_::kMainScene);
    EXPECT_EQ(SceneFixture::Xs(scene.opaque.items), (std::vector<float>{500}));
    EXPECT_EQ(SceneFixture::Xs(scene.transparent), (std::vector<float>{500}));
    ASSERT_EQ(scene.opaque.batches.size(), 1u);
    const Graphics_::Scene& reflection = f.graphics->GetScene(Graphics_::kReflectionScene);
    EXPECT_EQ(SceneFixture::Xs(reflection.opaque.items), (std::vector<float>{500}));
}

TEST(SceneCollection, NoActiveCameraCollectsNothing) {
    SceneFixture f;
    f.Place("rock", {0, 0, 20});
    f.graphics->CollectViewItems();
    f.graphics->CullLights();
    for (auto index : {Graphics_::kMainScene, Graphics_::kReflectionScene}) {
        EXPECT_TRUE(f.graphics->GetScene(index).opaque.items.empty());
        EXPECT_TRUE(f.graphics->GetScene(index).lights.empty());
    }
}

// A point light stays in the view until it is more than twice its range (Far 10) behind a
// plane of the frustum; its culling record keeps the range itself. The camera at the origin
// looks along +z with its near plane at z = 1.
TEST(SceneCollection, LightsReachTwiceTheirRangeBeforeTheyAreCulled) {
    struct Case {
        float behindNear;
        bool visible;
    };
    for (Case c : {Case{5, true}, Case{15, true}, Case{19.5f, true}, Case{20.5f, false}, Case{40, false}}) {
        SceneFixture f;
        Aperture::Light* light = f.AddLight(Aperture::Light::kPoint, {0, 0, 1.0f - c.behindNear}, 10.0f);
        f.LookFrom({0, 0, 0});
        f.graphics->CullLights();
        const auto& lights = f.graphics->GetScene(Graphics_::kMainScene).lights;
        EXPECT_EQ(!lights.empty(), c.visible) << c.behindNear << " behind the near plane";
        EXPECT_EQ(light->cullData[2], 1.0f - c.behindNear);
        EXPECT_EQ(light->cullData[3], 10.0f);
    }
}

// An orthographic shadow view from 100 above `centre` looking down, 60 wide.
void SetCascade(Graphics_& graphics, int cascade, SD::Vec3 centre) {
    namespace gfx = platform::gfx;
    const gfx::Matrix view = gfx::MatrixLookAtLH({centre.x, 100, centre.z}, {centre.x, 0, centre.z}, {0, 0, 1});
    const gfx::Matrix projection = gfx::MatrixOrthoOffCenterLH(-30, 30, -30, 30, 1, 200);
    SD::Mtx44 v, p;
    std::copy(view.m, view.m + 16, v.m);
    std::copy(projection.m, projection.m + 16, p.m);
    graphics.SetCascadeMatrices(cascade, v, p);
}

// Each frame the active camera's view fills the main view and the reflection, the visible
// lights and the shadow cascades that the shadow views reach.
TEST(SceneFrame, UpdateCollectsWhatTheActiveCameraAndTheCascadesSee) {
    SceneFixture f;
    f.Place("rock", {3, 0, 20});
    f.Place("window", {0, 0, 30});
    f.Place("rock", {-3, 0, 25});
    f.Place("window", {500, 0, 30});
    f.Place("rock", {500, 0, 40});
    Aperture::Light* near = f.AddLight(Aperture::Light::kPoint, {0, 0, 20}, 5.0f);
    f.AddLight(Aperture::Light::kPoint, {0, 0, -100}, 5.0f);  // behind the camera
    Aperture::Light* sun = f.AddLight(Aperture::Light::kDirectional, {0, 0, -100}, 0.0f);
    SetCascade(*f.graphics, 0, {0, 0, 25});
    SetCascade(*f.graphics, 1, {500, 0, 35});
    f.LookFrom({0, 0, 0});

    f.graphics->Update(0.016f);
    const Graphics_::Scene& main = f.graphics->GetScene(Graphics_::kMainScene);
    EXPECT_EQ(SceneFixture::Xs(main.opaque.items), (std::vector<float>{3, -3, 0}));
    ASSERT_EQ(main.opaque.batches.size(), 2u);  // the two rocks share a batch, the frame has its own
    EXPECT_EQ(main.opaque.batches[0].count, 2u);
    EXPECT_EQ(SceneFixture::Xs(main.transparent), (std::vector<float>{0}));
    EXPECT_EQ(main.lights, (std::vector<Aperture::Light*>{near, sun}));
    const Graphics_::Scene& reflection = f.graphics->GetScene(Graphics_::kReflectionScene);
    EXPECT_EQ(reflection.opaque.items.size(), 3u);
    EXPECT_EQ(reflection.opaque.batches.size(), 2u);
    EXPECT_EQ(reflection.lights, (std::vector<Aperture::Light*>{near, sun}));
    const Graphics_::Scene& cascade1 = f.graphics->GetScene(Graphics_::kCascadeScene1);
    // Batched: the rocks' meshes first, then the window frame.
    EXPECT_EQ(SceneFixture::Xs(cascade1.shadow.items), (std::vector<float>{3, -3, 0}));
    ASSERT_EQ(cascade1.shadow.batches.size(), 2u);
    const Graphics_::Scene& cascade2 = f.graphics->GetScene(Graphics_::kCascadeScene2);
    EXPECT_EQ(SceneFixture::Xs(cascade2.shadow.items), (std::vector<float>{500, 500}));
    EXPECT_TRUE(f.graphics->GetScene(Graphics_::kCascadeScene3).shadow.items.empty());

    // The camera moves to x = 500: the next frame sees the far window and rock only.
    f.eye.GetTransform().SetPos({500, 0, 0});
    f.graphics->Update(0.016f);
    EXPECT_EQ(SceneFixture::Xs(main.opaque.items), (std::vector<float>{500, 500}));
    EXPECT_EQ(main.lights, (std::vector<Aperture::Light*>{sun}));
    EXPECT_EQ(SceneFixture::Xs(reflection.opaque.items), (std::vector<float>{500, 500}));
    // The cascades stay where the shadow pass put them.
    EXPECT_EQ(cascade1.shadow.items.size(), 3u);
}

// With developer keys on, a frame with F7 held sets the active camera's target field of view to
// its field of view + 50 degrees a second times the frame time, F5 to its field of view minus
// that, F5 winning when both are held. Without developer keys, or with neither key, the target
// stays.
TEST(SceneFrame, HeldF7AndF5SteerTheActiveCamerasTargetFieldOfView) {
    struct Case {
        bool devKeys;
        std::set<uint32_t> held;
        float change;
    };
    const Case cases[] = {
        {true, {SD::key_F7}, +5.0f},
        {true, {SD::key_F5}, -5.0f},
        {true, {SD::key_F7, SD::key_F5}, -5.0f},
        {true, {}, 0.0f},
        {false, {SD::key_F7}, 0.0f},
    };
    for (const Case& c : cases) {
        SceneFixture f;
        SD::Input_ input;
        std::set<uint32_t> keys;
        input.AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
        input.SetDevKeysEnabled(c.devKeys);
        f.LookFrom({0, 0, 0});
        f.camera.SetTargetFov(90.0f);
        keys = c.held;
        for (int frame = 0; frame < 3; ++frame) {
            const float before = f.camera.GetFov();
            input.Update(0.1f);
            f.graphics->Update(0.1f);
            EXPECT_FLOAT_EQ(f.camera.GetTargetFov(), c.change == 0.0f ? 90.0f : before + c.change)
                << "frame " << frame << ", dev keys " << c.devKeys << ", keys held " << c.held.size();
        }
    }
}

// Held long enough, F5 keeps the target at 1 degree rather than through zero.
TEST(SceneFrame, TheKeysKeepTheTargetFieldOfViewAboveZero) {
    SceneFixture f;
    SD::Input_ input;
    std::set<uint32_t> keys{SD::key_F5};
    input.AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
    input.SetDevKeysEnabled(true);
    f.LookFrom({0, 0, 0});
    for (int frame = 0; frame < 40; ++frame) {
        input.Update(1.0f);
        f.graphics->Update(1.0f);
    }
    EXPECT_EQ(f.camera.GetTargetFov(), 1.0f);
    EXPECT_GT(f.camera.GetFov(), 0.0f);
}

struct FakeParticles : Aperture::CulledParticles {
    FakeParticles(bool enabled, float radius, SD::Vec3 at)
        : enabled(enabled), radius(radius), world(SD::Mtx44::Translation(at)) {}
    bool IsParticleSystemEnabled() const override { return enabled; }
    float GetCullRadius() const override { return radius; }
    const SD::Mtx44& GetCullWorld() const override { return world; }
    bool enabled;
    float radius;
    SD::Mtx44 world;
};

// Which views draw a particle system: unbounded point systems everywhere, unbounded quad
// systems nowhere, disabled ones nowhere, others where their sphere reaches.
TEST(SceneFrame, ParticleSystemsReachTheViewsTheirSpheresTouch) {
    SceneFixture f;
    const struct {
        const char* name;
        bool quad;
        bool enabled;
        float radius;
        SD::Vec3 at;
        bool seen;
    } cases[] = {
        {"point unbounded behind", false, true, 0.0f, {0, 0, -100}, true},
        {"quad unbounded ahead", true, true, 0.0f, {0, 0, 20}, false},
        {"point disabled ahead", false, false, 2.0f, {0, 0, 20}, false},
        {"point ahead", false, true, 2.0f, {0, 0, 20}, true},
        {"point behind", false, true, 2.0f, {0, 0, -100}, false},
        {"quad ahead", true, true, 2.0f, {0, 0, 20}, true},
        {"quad far aside", true, true, 2.0f, {500, 0, 20}, false},
    };
    std::vector<std::unique_ptr<FakeParticles>> systems;
    for (const auto& c : cases) {
        systems.push_back(std::make_unique<FakeParticles>(c.enabled, c.radius, c.at));
        if (c.quad)
            f.graphics->GetSceneLists().QuadParticles().PushBack(systems.back().get());
        else
            f.graphics->GetSceneLists().PointParticles().PushBack(systems.back().get());
    }
    f.LookFrom({0, 0, 0});
    f.graphics->Update(0.016f);
    for (size_t i = 0; i < systems.size(); ++i) {
        for (auto index : {Graphics_::kMainScene, Graphics_::kReflectionScene}) {
            const Graphics_::Scene& scene = f.graphics->GetScene(index);
            const auto& list = cases[i].quad ? scene.quadParticles : scene.pointParticles;
            EXPECT_EQ(std::count(list.begin(), list.end(), systems[i].get()), cases[i].seen ? 1 : 0)
                << cases[i].name << " in view " << index;
        }
    }
    for (size_t i = 0; i < systems.size(); ++i) {
        if (cases[i].quad)
            f.graphics->GetSceneLists().QuadParticles().Remove(systems[i].get());
        else
            f.graphics->GetSceneLists().PointParticles().Remove(systems[i].get());
    }
}

TEST(SceneFrame, NoCameraOrNoRenderAreaLeavesTheRecordsEmpty) {
    SceneFixture f;
    f.Place("rock", {0, 0, 20});
    f.AddLight(Aperture::Light::kDirectional, {0, 0, 0}, 0.0f);
    SetCascade(*f.graphics, 0, {0, 0, 20});
    f.graphics->Update(0.016f);
    for (int i = 0; i < Graphics_::kSceneCount; ++i) {
        const Graphics_::Scene& scene = f.graphics->GetScene(static_cast<Graphics_::SceneIndex>(i));
        EXPECT_TRUE(scene.opaque.items.empty() && scene.shadow.items.empty() && scene.lights.empty()) << i;
    }
}

}  // namespace
