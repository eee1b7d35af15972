#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "engine/GameObject.h"
#include "graphics/components/Sprite.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/QuadParticleSystem.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Executor.h"

namespace {

using namespace platform::gfx;

// What one draw ran with: its effect's technique and the render states a renderer reads.
struct DrawSeen {
    std::string technique;
    std::map<uint32_t, uint32_t> states;
};

// Writes down every draw with the states the device holds at that moment, as a real renderer
// would see them.
struct StateRecorder : Executor {
    std::vector<DrawSeen> draws;
    void Draw(const Device& device, const Command&) override {
        const ActivePass& pass = device.ActiveEffectPass();
        DrawSeen seen;
        if (pass.effect && pass.technique < pass.effect->Description().techniques.size())
            seen.technique = pass.effect->Description().techniques[pass.technique].name;
        for (uint32_t s : {kRsZEnable, kRsZWriteEnable, kRsAlphaBlendEnable, kRsSrcBlend, kRsDestBlend, kRsCullMode})
            seen.states[s] = device.GetRenderState(s);
        draws.push_back(seen);
    }
    void Clear(const Device&, uint32_t, uint32_t, float, uint32_t) override {}
    void StretchRect(const Device&, const Surface&, const Surface&, const Rect&) override {}
    void Text(const Device&, const Font&, const Command&) override {}
    void Present(const Device&) override {}
    void Reset(const Device&) override {}
    void ObjectDestroyed(const DeviceObject&) override {}
    void EffectCreated(const Effect&) override {}
    void EffectDestroyed(const Effect&) override {}
};

struct Points : Aperture::Photon::ParticleSystem {
    Points() {
        particleCount = 4;
        active = true;
    }
};

struct Quads : Aperture::Photon::QuadParticleSystem {
    Quads() {
        particleCount = 4;
        active = true;
    }
};

struct Installed {
    explicit Installed(Executor* executor) { SetExecutor(executor); }
    ~Installed() { SetExecutor(nullptr); }
};

struct Expected {
    const char* technique;
    const char* when;
    uint32_t zEnable, zWrite, blend;
    // Read only while blending.
    uint32_t source, destination;
};

// Sprites lie over the finished scene whatever its depth and blend by their opacity; the
// geometry buffer never blends (its alpha is depth) even while new grass fades in, while the
// grass's colour takes the fade the grass pass asks for; particles add their light without
// hiding one another. Every one of them shows both faces.
TEST(ScreenGrassParticleStates, EachDrawRunsWithTheStatesItsPictureNeeds) {
    gfxtest::GraphicsFixture f("no_post_process=true\n");
    auto* manager = f.graphics->GetDeviceLayer().GetResourceManager();
    f.graphics->AddTexture("grass", manager->CreateRenderBuffer());
    f.graphics->AddTexture("logo", manager->CreateRenderBuffer());
    StateRecorder recorder;
    Installed installed(&recorder);
    std::vector<DrawSeen> seen;
    // The draws recorded since the last call, named "<technique> <when>"; `only` keeps one
    // technique out of a whole frame.
    auto take = [&](const std::string& when, const std::string& only = "") {
        for (const DrawSeen& d : recorder.draws)
            if (!d.technique.empty() && (only.empty() || d.technique == only))
                seen.push_back({d.technique + " " + when, d.states});
        recorder.draws.clear();
    };

    f.UpdateWithSprite("logo");
    take("", "SimpleDraw");

    Device& device = f.Device();
    std::vector<Aperture::GrassInstance> blades(3);
    f.graphics->DrawGrass("GrassGeometry", {});  // the first grass pass only sets the wind area
    ASSERT_FALSE(Failed(device.BeginScene()));
    f.graphics->GetGrassField().StartGrowth(10.0f);
    f.graphics->DrawGrass("GrassGeometry", blades);
    f.graphics->DrawGrass("InstancedGrass", blades);
    take("growing");
    f.graphics->UpdateGrassWave(20.0f);
    f.graphics->DrawGrass("InstancedGrass", blades);
    take("grown");

    // States left behind by an opaque pass must not reach the particles.
    device.SetRenderState(kRsZWriteEnable, 1);
    device.SetRenderState(kRsAlphaBlendEnable, 0);
    Points points;
    Quads quads;
    Aperture::Photon::ParticleManager& particles = *f.graphics->GetParticleManager();
    particles.DrawPointSprites({&points}, particles.GetPointEffect(), 1280.0f);
    particles.DrawQuadSprites({&quads}, particles.GetQuadEffect());
    take("");
    device.EndScene();

    const Expected expected[] = {
        {"SimpleDraw", "", 0, 0, 1, kBlendSrcAlpha, kBlendInvSrcAlpha},
        {"GrassGeometry", "growing", 1, 1, 0, 0, 0},
        {"InstancedGrass", "growing", 1, 1, 1, kBlendSrcAlpha, kBlendInvSrcAlpha},
        {"InstancedGrass", "grown", 1, 1, 0, 0, 0},
        {"ParticleTest0", "", 1, 0, 1, kBlendSrcAlpha, kBlendOne},
        {"QuadParticleTest0", "", 1, 0, 1, kBlendSrcAlpha, kBlendOne},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        const Expected& e = expected[i];
        const std::string name = std::string(e.technique) + " " + e.when;
        EXPECT_EQ(seen[i].technique, name);
        std::map<uint32_t, uint32_t>& s = seen[i].states;
        EXPECT_EQ(s[kRsZEnable], e.zEnable) << name;
        EXPECT_EQ(s[kRsZWriteEnable], e.zWrite) << name;
        EXPECT_EQ(s[kRsAlphaBlendEnable], e.blend) << name;
        if (e.blend) {
            EXPECT_EQ(s[kRsSrcBlend], e.source) << name;
            EXPECT_EQ(s[kRsDestBlend], e.destination) << name;
        }
        EXPECT_EQ(s[kRsCullMode], kCullNone) << name;
    }
}

}  // namespace
