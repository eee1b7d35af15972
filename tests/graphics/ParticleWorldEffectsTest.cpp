// The world's particle effects seen from outside: motes blown from a point, a firefly's trail
// following it, puffs and spray around an object, the night sky, snow and the streak behind
// the player, each on a known input.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/EngineCore.h"
#include "core/Season.h"
#include "core/WorkerPool.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "ParticleTestSupport.h"
#include "engine/LuaTestSupport.h"
#include "GraphicsTestSupport.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/Graphics.h"
#include "graphics/photon/FireflyEffects.h"
#include "graphics/photon/MistEffects.h"
#include "graphics/photon/PlayerTrail.h"
#include "graphics/photon/SkyEffects.h"
#include "graphics/photon/Snow.h"
#include "graphics/photon/SuperTrailScript.h"
#include "graphics/photon/WindDustMotes.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/RuntimeScriptBindings.h"

namespace {

using namespace Aperture::Photon;
using particletest::FactoryWorld;
using particletest::Make;

// A manual engine clock with the interpolator system advanced by each frame.
struct ClockWorld {
    ~ClockWorld() { SD::InterpolatorSystem::DestroyInstance(); }
    void Advance(double seconds) {
        clock.Advance(seconds);
        SD::InterpolatorSystem::GetInstance().Update(static_cast<float>(seconds));
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
};

TEST(GateDust, MotesLeaveTheWindPointAlongTheWindFadeOnceAndAreBlownAgain) {
    ClockWorld world;
    auto dust = Make<GateDust>();
    dust->SetWind(SD::Vec3(1.0f, 0.0f, 0.0f), SD::Vec3(10.0f, 5.0f, 0.0f));
    dust->SetDust(SD::Vec3(0.5f, 0.5f, 0.5f), 0.0f);
    dust->SetActiveFlag(true);
    dust->Start();
    ASSERT_EQ(dust->GetParticleCount(), 512u);
    for (uint32_t i = 0; i < 512; ++i) {
        const Particle& p = dust->GetParticle(i);
        ASSERT_EQ(p.position, SD::Vec3(10.0f, 5.0f, 0.0f)) << "spread 0 emits at the wind point";
        ASSERT_EQ(p.color.w, 0.0f);
        ASSERT_GE(p.velocity.x, 385.0f) << "400 along the wind, 15 of jitter";
        ASSERT_LE(std::fabs(p.velocity.y), 5.0f);
        ASSERT_EQ(p.color.x, p.color.y) << "one brightness offset for all channels";
    }
    world.Advance(0.125);
    dust->Update(0.125f);
    for (uint32_t i = 0; i < 512; ++i) {
        const Particle& p = dust->GetParticle(i);
        ASSERT_NEAR(p.position.x, 10.0f + p.velocity.x * 0.125f, 1e-3f);
        ASSERT_NEAR(p.color.w, std::sin(dust->GetFade(i).GetValue()), 1e-6f);
        ASSERT_GT(p.color.w, 0.0f) << "a mote of at most a second is fading in at 1/8 s";
    }
    // Every fade runs out within a second: each mote is then back at the wind point.
    world.Advance(1.0);
    dust->Update(0.0f);
    for (uint32_t i = 0; i < 512; ++i) ASSERT_EQ(dust->GetParticle(i).position, SD::Vec3(10.0f, 5.0f, 0.0f));
}

// Scripts reach the super trail's motes by index; bad indices and a missing trail are reported.
TEST(PlayerSuperTrailScript, MethodsWorkOnGoodIndicesAndReportBadOnes) {
    static const bool added = [] {
        SD::AddRuntimeScriptClasses();
        SD::AddScriptClass(PlayerSuperTrailScriptClass());
        SD::AddScriptClass(VertexDataScriptClass());
        return true;
    }();
    (void)added;
    ClockWorld world;
    auto trail = Make<PlayerSuperTrail>();
    trail->SetWind(SD::Vec3(0.0f, 0.0f, 0.0f), SD::Vec3(3.0f, 4.0f, 5.0f));
    trail->Start();
    luatest::LuaHost lua;
    SD::PushScriptValue(lua.host.L, trail.get(), "PlayerSuperTrail", false);
    lua_setglobal(lua.host.L, "trail");
    SD::PushScriptValue(lua.host.L, nullptr, "PlayerSuperTrail", false);
    lua_setglobal(lua.host.L, "gone");
    ASSERT_TRUE(
        lua.Run("count = trail:GetParticleCount()\n"
                "fade = trail:GetInterp(511)\n"
                "done = fade:IsComplete() and 1 or 0\n"
                "value = fade:GetValue()\n"
                "verts = trail:GetVertices(0) ~= nil and 1 or 0\n"));
    EXPECT_EQ(lua.Number("count"), 512.0);
    EXPECT_EQ(lua.Number("done"), 0.0);
    EXPECT_EQ(lua.Number("value"), 0.0);
    EXPECT_EQ(lua.Number("verts"), 1.0);
    const struct {
        const char* call;
        const char* report;
    } bad[] = {
        {"r = trail:GetInterp(512)", "'PlayerSuperTrail::GetInterp' index 512 is outside 0 to 511."},
        {"r = trail:GetVertices(-1)", "'PlayerSuperTrail::GetVertices' index -1 is outside 0 to 511."},
        {"r = trail:GetInterp('x')", "'PlayerSuperTrail::GetInterp' index 0 is outside 0 to 511."},
        {"r = trail:InitParticle(100000)", "'PlayerSuperTrail::InitParticle' index 100000 is outside"},
        {"r = gone:GetParticleCount()",
         "Attempting to call 'PlayerSuperTrail::GetParticleCount' with this pointer being NULL."},
        {"r = gone:InitParticle(1)",
         "Attempting to call 'PlayerSuperTrail::InitParticle' with this pointer being NULL."},
    };
    for (const auto& c : bad) {
        bool ran = false;
        const std::string printed = lua.RunPrinted(std::string("r = 1\n") + c.call, &ran);
        EXPECT_TRUE(ran) << c.call;
        EXPECT_NE(printed.find(c.report), std::string::npos) << c.call << ": " << printed;
        EXPECT_EQ(lua.Text("r"), "(not a string)") << "nil back: " << c.call;
    }
    // A good re-emission moves only that mote back to the wind point.
    trail->GetParticle(7).position = SD::Vec3(0.0f, 0.0f, 0.0f);
    trail->GetParticle(8).position = SD::Vec3(0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(lua.Run("trail:InitParticle(7)"));
    EXPECT_EQ(trail->GetParticle(7).position, SD::Vec3(3.0f, 4.0f, 5.0f));
    EXPECT_EQ(trail->GetParticle(8).position, SD::Vec3(0.0f, 0.0f, 0.0f));
}

TEST(FireflyTrail, FollowsAMovingFireflyThinsBackwardsAndSkipsBrokenFrames) {
    ClockWorld world;
    FactoryWorld objects;
    SD::GameObject* firefly = objects.Object("Firefly", SD::Vec3(0.0f, 0.0f, 0.0f));
    objects.Object("Player", SD::Vec3(0.0f, 0.0f, 10.0f));
    auto trail = Make<FireflyTrail>();
    trail->SetOwner(firefly);
    trail->SetActiveFlag(true);
    trail->Start();
    ASSERT_EQ(trail->GetParticleCount(), 512u);
    // The firefly flies along x at 60 frames per second, one unit a frame.
    for (int frame = 1; frame <= 12; ++frame) {
        firefly->GetTransform().SetPos(SD::Vec3(static_cast<float>(frame), 0.0f, 0.0f));
        trail->Update(1.0f / 60.0f);
    }
    EXPECT_EQ(trail->GetHistoryCount(), 10u);
    for (uint32_t j = 0; j < 10; ++j) EXPECT_NEAR(trail->GetHistory(j).x, 12.0f - static_cast<float>(j), 0.051f) << j;
    EXPECT_NEAR(trail->GetParticle(0).position.x, 12.0f, 0.051f) << "the head sits on the firefly";
    // 51 particles a segment, each blended towards the point two frames older.
    for (uint32_t i = 0; i < 512; ++i) {
        const float seg = static_cast<float>(std::min(i / 56u, 9u));
        ASSERT_LE(trail->GetParticle(i).position.x, 12.0f - seg + 0.051f) << i;
        ASSERT_GE(trail->GetParticle(i).position.x, std::max(10.0f - seg, 3.0f) - 0.051f) << i;
    }
    EXPECT_NEAR(trail->GetParticle(511).position.x, 3.0f, 0.051f) << "held to the oldest kept point";
    EXPECT_GT(trail->GetParticle(0).size, 0.7f);
    EXPECT_EQ(trail->GetParticle(363).size, 0.0f) << "thinned out from index 363";
    // A frame time of 0 and a frame of a single kept point leave the trail sound.
    const SD::Vec3 before = trail->GetHistory(0);
    trail->Update(0.0f);
    EXPECT_EQ(trail->GetHistory(0), before);
    trail->Update(0.2f);
    EXPECT_EQ(trail->GetHistoryCount(), 1u);
    for (uint32_t i = 0; i < 512; ++i)
        ASSERT_LT((trail->GetParticle(i).position - trail->GetHistory(0)).Length(), 1e-5f) << i;
    trail->Update(0.5f);
    EXPECT_EQ(trail->GetHistoryCount(), 0u) << "slower than 3 frames a second keeps the history";
}

TEST(FireflyBlink, SpinsBySpinSpeedAndFollowsTheFirefly) {
    SD::GameObject firefly;
    firefly.GetTransform().SetPos(SD::Vec3(1.0f, 2.0f, 3.0f));
    auto blink = Make<FireflyBlink>();
    blink->SetOwner(&firefly);
    blink->Start();
    EXPECT_EQ(blink->GetParticle(0).size, 0.0f) << "invisible until the firefly blinks";
    const float spin = blink->GetSpinSpeed();
    const float rotation = blink->GetParticle(0).rotation;
    firefly.GetTransform().SetPos(SD::Vec3(4.0f, 5.0f, 6.0f));
    blink->Update(0.5f);
    blink->Update(0.01f);
    EXPECT_NEAR(blink->GetParticle(0).rotation, std::fmod(rotation + 2.0f * spin, 360.0f), 1e-4f);
    EXPECT_EQ(blink->GetParticle(0).position, SD::Vec3(4.0f, 5.0f, 6.0f));
    blink->SetSize(3.0f);
    blink->SetAlpha(0.5f);
    EXPECT_EQ(blink->GetParticle(0).size, 3.0f);
    EXPECT_EQ(blink->GetParticle(0).color.w, 0.5f);
}

TEST(Fog, APuffShrinksAndDarkensWithItsLifeThenIsEmittedAroundTheOwner) {
    SD::GameObject owner;
    owner.GetTransform().SetPos(SD::Vec3(1000.0f, 0.0f, 0.0f));
    auto fog = Make<Fog>();
    fog->SetOwner(&owner);
    fog->Start();
    const Particle first = fog->GetParticle(0);
    ASSERT_GE(first.lifetime, 22.5f);
    ASSERT_LE(first.lifetime, 45.0f);
    EXPECT_LE(std::fabs(first.position.x - 1000.0f), 200.0f);
    const float half = first.lifetime / 2.0f;
    fog->Update(half);
    fog->Update(0.001f);
    EXPECT_NEAR(fog->GetParticle(0).size, first.size * 0.5f, first.size * 1e-3f);
    EXPECT_NEAR(fog->GetParticle(0).color.x, first.color.x * 0.5f, 1e-3f);
    owner.GetTransform().SetPos(SD::Vec3(-1000.0f, 0.0f, 0.0f));
    fog->Update(half);
    fog->Update(0.001f);
    EXPECT_LE(std::fabs(fog->GetParticle(0).position.x + 1000.0f), 200.0f) << "emitted again at the owner";
}

TEST(WaterfallEffect, SprayFallsAlongTheDownAxisAndAPausedFrameChangesNothing) {
    ClockWorld world;
    SD::GameObject owner;
    owner.GetTransform().SetScale(SD::Vec3(100.0f, 100.0f, 100.0f));
    auto fall = Make<WaterfallEffect>();
    auto mist = Make<WaterfallMist>();
    fall->SetOwner(&owner);
    mist->SetOwner(&owner);
    fall->Start();
    mist->Start();
    const Particle before = fall->GetParticle(0);
    const Particle mistBefore = mist->GetParticle(0);
    fall->Update(0.0f);
    mist->Update(0.0f);
    EXPECT_EQ(fall->GetParticle(0).position, before.position);
    EXPECT_EQ(mist->GetParticle(0).position, mistBefore.position);
    const SD::Vec3 origin = fall->FallOrigin();
    for (int frame = 0; frame < 60; ++frame) {
        fall->Update(1.0f / 60.0f);
        for (uint32_t i = 0; i < 512; ++i)
            ASSERT_LE((fall->GetParticle(i).position - origin).Length(), 100.5f + 6.25f + 1.0f) << "re-emitted by then";
    }
    EXPECT_LT(fall->GetParticle(0).position.y, origin.y + 25.0f + 0.2f);
}

TEST(TwinklingStars, WinterDimsEveryStarAndTheSkyTurnsOverTheHorizon) {
    auto graphics = std::make_unique<Aperture::Graphics_>();
    auto stars = Make<TwinklingStars>();
    stars->Start();
    for (uint32_t i = 0; i < 600; ++i) {
        const float d = stars->GetParticle(i).position.Length();
        ASSERT_GE(d, 30000.0f - 1.0f);
        ASSERT_LE(d, 35000.0f + 1.0f);
        ASSERT_GT(stars->GetParticle(i).position.y, 0.0f);
    }
    SD::WorldSeason::Get().Set(SD::Season::kWinter, 1.0f);
    EXPECT_EQ(stars->StarColor(), SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f));
    SD::WorldSeason::Get().Reset();
    stars->GetParticle(0).position = SD::Vec3(0.0f, 600.0f, 0.0f);
    stars->Rotate(std::asin(101.0f / 600.0f));
    const SD::Vec3 p = stars->GetParticle(0).position;
    EXPECT_GT(p.y, 500.0f) << "a star sinking below 500 jumps to the other side";
    EXPECT_NEAR(p.Length(), 600.0f, 0.01f);
}

TEST(ShootingStar, HoversThenStreaksBackFromTheHeadThenFadesAndStartsAgain) {
    ClockWorld world;
    auto star = Make<ShootingStar>();
    star->Start();
    const SD::Vec3 head = star->GetHeadPoint();
    ASSERT_EQ(star->GetPhase(), ShootingStar::kHover);
    int frames = 0;
    while (star->GetPhase() == ShootingStar::kHover && frames++ < 2000) star->Update(0.05f);
    ASSERT_EQ(star->GetPhase(), ShootingStar::kStreak);
    star->Update(0.05f);
    EXPECT_EQ(star->GetParticle(1).position, head) << "the first streak frame has no length";
    while (star->GetPhase() == ShootingStar::kStreak) star->Update(0.05f);
    EXPECT_EQ(star->GetParticle(0).position, head) << "the head never moves";
    EXPECT_GT((star->GetParticle(255).position - head).Length(), 100.0f);
    while (star->GetPhase() == ShootingStar::kFade) star->Update(0.05f);
    EXPECT_EQ(star->GetPhase(), ShootingStar::kHover);
    for (uint32_t i = 0; i < 256; ++i) ASSERT_GE(star->GetParticle(i).size, 0.0f);
}

TEST(Snow, FlakesGatherAheadOfTheTargetAndStopWhenItIsGone) {
    ClockWorld world;
    FactoryWorld objects;
    SD::GameObject* player = objects.Object("Player", SD::Vec3(5000.0f, -50.0f, 0.0f));
    auto snow = Make<Snow>();
    snow->SetActiveFlag(true);
    snow->Update(0.1f);
    EXPECT_EQ(snow->GetParticle(0).position, SD::Vec3(0.0f, 0.0f, 0.0f)) << "no target: nothing moves";
    snow->SetTarget(player->GetHandle());
    const SD::Vec3 c = Snow::Centre(*player);
    EXPECT_EQ(c.y, 0.0f) << "never below the ground";
    EXPECT_NEAR(c.z, 45.0f, 1e-3f) << "45 ahead along the forward axis";
    snow->Update(0.1f);
    for (uint32_t i = 0; i < 1024; ++i) {
        const Particle& p = snow->GetParticle(i);
        ASSERT_LE(std::fabs(p.position.x - c.x), 1000.0f);
        ASSERT_LE(p.position.y, c.y + 500.0f);
        ASSERT_GE(p.position.y, c.y - 1000.0f);
        ASSERT_EQ(p.color.w, 0.0f);
    }
    // Target alphas reach 6.4 at most: 43 frames of 0.15. Flakes emitted in the corners of
    // the box lie beyond the sphere and are emitted again, starting their fade over.
    for (int frame = 0; frame < 60; ++frame) snow->Update(0.0f);
    uint32_t faded = 0;
    for (uint32_t i = 0; i < 1024; ++i) faded += snow->GetParticle(i).color.w + 1e-4f >= snow->GetTargetAlpha(i);
    EXPECT_GE(faded, 1000u);
    objects.factory.DestroyGameObject(player);
    objects.factory.Update(0.0f);
    const SD::Vec3 kept = snow->GetParticle(3).position;
    snow->Update(0.1f);
    EXPECT_EQ(snow->GetParticle(3).position, kept) << "a deleted target stops the snow";
}

TEST(PlayerTrail, PointsSpreadOverThePlayersLastStepAndEachTrailKeepsItsOwnHistory) {
    FactoryWorld objects;
    SD::GameObject* player = objects.Object("Player", SD::Vec3(10.0f, 0.0f, 0.0f));
    auto first = Make<PlayerTrail>();
    auto second = Make<PlayerTrail>();
    first->Start();
    second->Start();
    first->Update(0.0f);
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(first->GetParticle(i).position, SD::Vec3(10.0f, 0.0f, 0.0f));
    player->GetTransform().SetPos(SD::Vec3(20.0f, 0.0f, 0.0f));
    first->Update(0.0f);
    second->Update(0.0f);
    EXPECT_EQ(first->GetParticle(0).position.x, 20.0f);
    EXPECT_NEAR(first->GetParticle(500).position.x, 15.0f, 1e-4f);
    EXPECT_NEAR(first->GetParticle(999).position.x, 10.01f, 1e-4f);
    EXPECT_EQ(second->GetParticle(999).position.x, 20.0f) << "its first sighting: collapsed on the player";
    first->Update(0.0f);
    EXPECT_EQ(first->GetParticle(999).position.x, 20.0f) << "standing still";
}

// Many of each effect updated together by three workers, all reading one player: each keeps its
// own state, so every trail ends on the player and nothing strays.
TEST(WorldEffectsOnWorkers, ManySystemsReadingOnePlayerStaySound) {
    ClockWorld clock;
    FactoryWorld world;
    SD::GameObject* player = world.Object("Player", SD::Vec3(0.0f, 10.0f, 0.0f));
    SD::GameObject* owner = world.Object("Owner", SD::Vec3(5.0f, 0.0f, 0.0f));
    owner->GetTransform().SetScale(SD::Vec3(50.0f, 50.0f, 50.0f));
    SD::WorkerPool pool;
    pool.Start(5);
    Aperture::Graphics_ graphics;
    graphics.SetWorkerPool(&pool);
    std::vector<std::unique_ptr<ParticleSystem>> systems;
    for (int k = 0; k < 4; ++k) {
        systems.emplace_back(new PlayerTrail());
        systems.emplace_back(new FireflyTrail());
        systems.emplace_back(new GateDust());
        systems.emplace_back(new WaterfallEffect());
        systems.emplace_back(new TwinklingStars());
        systems.emplace_back(new ShootingStar());
        auto* snow = new Snow();
        snow->SetTarget(player->GetHandle());
        systems.emplace_back(snow);
    }
    for (auto& system : systems) {
        system->SetOwner(owner);
        system->VRegister();
        system->SetActiveFlag(true);
    }
    for (int frame = 0; frame < 20; ++frame) {
        player->GetTransform().SetPos(SD::Vec3(static_cast<float>(frame), 10.0f, 0.0f));
        clock.Advance(1.0 / 60.0);
        graphics.UpdateParticleSystems(1.0f / 60.0f);
    }
    for (auto& system : systems) {
        for (uint32_t i = 0; i < system->GetParticleCount(); ++i)
            ASSERT_TRUE(std::isfinite(system->GetParticle(i).position.LengthSq())) << system->VGetID();
        if (system->VGetID() == 28) {
            EXPECT_EQ(system->GetParticle(0).position, SD::Vec3(19.0f, 10.0f, 0.0f));
        }
        system->VUnregister();
    }
}

float gArea[4] = {0.0f, 0.0f, 0.0f, 0.0f};
void RecordArea(const SD::Vec2& minimum, const SD::Vec2& maximum) {
    gArea[0] = minimum.x, gArea[1] = minimum.y, gArea[2] = maximum.x, gArea[3] = maximum.y;
}

// The first grass pass names the wind area and draws nothing; later passes start the grass
// dust of each geometry whose grass is in view, once.
TEST(GrassPassDust, TheFirstPassSetsTheWindAreaThenVisibleGrassStartsItsDust) {
    FactoryWorld world;
    gfxtest::GraphicsFixture f;
    f.graphics->GetGrassField().SetWindAreaWriter(&RecordArea);
    SD::GameObject* meadow = world.Object("Meadow", SD::Vec3(0.0f, 0.0f, 0.0f));
    world.factory.RegisterComponentCreator("GrassDust", SD::kGrassDustID, new SD::ComponentCreator<GrassDust>);
    world.factory.RegisterComponentCreator("Geometry", SD::CID_Geometry, new SD::ComponentCreator<Aperture::Geometry>);
    auto* dust = dynamic_cast<GrassDust*>(meadow->AddComponent(SD::kGrassDustID));
    auto* geometry = dynamic_cast<Aperture::Geometry*>(meadow->AddComponent(SD::CID_Geometry));
    ASSERT_TRUE(dust && geometry);
    dust->SetOwner(meadow);
    geometry->SetOwner(meadow);
    dust->AddSpawnPoint(SD::Vec3(0.0f, 0.0f, 0.0f));
    const std::vector<Aperture::Geometry*> owners{geometry};
    const std::vector<Aperture::GrassInstance> blades(3);
    f.graphics->DrawGrass("InstancedGrass", blades, &owners);
    EXPECT_EQ(gArea[0], -20.0f);
    EXPECT_EQ(gArea[1], -20.0f);
    EXPECT_EQ(gArea[2], 20.0f);
    EXPECT_EQ(gArea[3], 20.0f);
    EXPECT_FALSE(dust->IsEnabled()) << "the first pass draws nothing";
    f.graphics->DrawGrass("InstancedGrass", blades, &owners);
    EXPECT_TRUE(dust->IsEnabled());
    EXPECT_TRUE(dust->IsActive());
}

}  // namespace
