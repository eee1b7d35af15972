// Each effect's lifecycle seen from outside: what it spawns over a known time, when particles
// retire, and the records it writes for a known state.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/EngineCore.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "ParticleTestSupport.h"
#include "graphics/photon/CollectionSparkles.h"
#include "graphics/photon/FallingLeaves.h"
#include "graphics/photon/FlowerPollen.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/photon/MainThreadQueue.h"
#include "graphics/photon/ParticleSounds.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SmallEffects.h"
#include "graphics/photon/WindStreamer.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/SplineSystem.h"

namespace {

using namespace Aperture::Photon;
using particletest::FactoryWorld;
using particletest::Make;

TEST(VineTrail, LaysAPointOnlyWhenTheObjectHasMovedAndFadesItAtTheEnd) {
    SD::GameObject object;
    auto trail = Make<VineTrail>();
    trail->SetOwner(&object);
    trail->SetActiveFlag(true);
    trail->Start();
    EXPECT_EQ(trail->GetParticleCount(), 512u);
    trail->Update(0.1f);
    for (uint32_t i = 0; i < 512; ++i)
        ASSERT_EQ(trail->GetParticle(i).position.x, 0.0f) << "standing still lays nothing";
    object.GetTransform().SetPos(SD::Vec3(0.8f, 0.0f, 0.0f));
    trail->Update(0.1f);
    EXPECT_EQ(trail->GetParticle(1).position.x, 0.8f) << "moving 0.8 lays one point";
    EXPECT_EQ(trail->GetParticle(2).position.x, 0.0f);
    EXPECT_FLOAT_EQ(trail->GetParticle(1).color.w, 0.25f) << "more than 0.25 s left";
    EXPECT_EQ(trail->GetParticle(0).color.w, 0.0f);
    for (int k = 0; k < 148; ++k) trail->Update(0.1f);
    trail->Update(0.1f);
    EXPECT_NEAR(trail->GetParticle(1).color.w, 0.1f, 1e-3f) << "0.1 s from its end";
    EXPECT_LT(trail->GetParticle(1).position.y, 0.0f) << "the point sinks";
}

TEST(ParticleTester, SparksRetireAndRespawnAtTheEmitter) {
    SD::GameObject object;
    object.GetTransform().SetPos(SD::Vec3(10.0f, 0.0f, 0.0f));
    auto tester = Make<ParticleTester>();
    tester->SetOwner(&object);
    tester->SetActiveFlag(true);
    tester->Start();
    ASSERT_EQ(tester->GetParticleCount(), 128u);
    std::set<uint32_t> respawned;
    for (int frame = 0; frame < 40; ++frame) {
        tester->Update(0.1f);
        for (uint32_t i = 0; i < 128; ++i) {
            const Particle& p = tester->GetParticle(i);
            if (p.age == 0.0f) respawned.insert(i);
            ASSERT_GE(p.lifetime, 0.25f);
            ASSERT_LE(p.lifetime, 3.0f);
            ASSERT_LE(p.age, p.lifetime);
            ASSERT_LE((p.position - SD::Vec3(10.0f, 0.0f, 0.0f)).Length(), p.lifetime + 1e-3f);
        }
    }
    EXPECT_EQ(respawned.size(), 128u) << "every spark lives at most 3 s";
}

TEST(DirtParticles, BurstsFiftyThenFillsUpToSixtyFour) {
    SD::GameObject object;
    object.GetTransform().SetPos(SD::Vec3(0.0f, 0.0f, 7.0f));
    auto dirt = Make<DirtParticles>();
    dirt->SetOwner(&object);
    const uint32_t expected[] = {50, 64, 64};
    for (uint32_t count : expected) {
        dirt->VInitialize(false);
        EXPECT_EQ(dirt->GetParticleCount(), count);
    }
    for (uint32_t i = 0; i < 64; ++i) {
        const Particle& p = dirt->GetParticle(i);
        const float r = std::hypot(p.position.x, p.position.y);
        EXPECT_GE(r, 1.0f - 1e-3f);
        EXPECT_LE(r, 50.0f + 1e-3f);
        EXPECT_EQ(p.position.z, 7.0f);
        EXPECT_EQ(p.size, 40.0f);
    }
}

TEST(MoonGlow, OneSpriteOfTheGlowSizeFollowingItsObject) {
    SD::GameObject object;
    auto glow = Make<MoonGlow>();
    glow->SetOwner(&object);
    glow->SetGlowSize(3.5f);
    glow->SetActiveFlag(true);
    glow->Start();
    object.GetTransform().SetPos(SD::Vec3(1.0f, 2.0f, 3.0f));
    glow->Update(0.016f);
    ParticleVertexRecord out[2];
    ASSERT_EQ(glow->WriteVertices(out, 2), 1u);
    EXPECT_EQ(out[0].sizeWhole, 3);
    EXPECT_EQ(out[0].sizeFraction, 127);
    EXPECT_EQ(out[0].position[2], 3.0f);
    EXPECT_EQ(out[0].color[0], 2.0f);
}

TEST(BubbleEffect, SpawnsAtItsRateFadesWithDistanceAndReusesTheOldest) {
    EXPECT_NEAR(BubbleEffect::Fade(100.0f), 3.0f / 7.0f, 1e-5f);
    EXPECT_EQ(BubbleEffect::Fade(60.0f), 1.0f);
    EXPECT_EQ(BubbleEffect::Fade(250.0f), 0.0f);
    SD::GameObject object;
    auto bubbles = Make<BubbleEffect>();
    bubbles->SetOwner(&object);
    bubbles->SetActiveFlag(true);
    bubbles->Start();
    for (int frame = 0; frame < 60; ++frame) bubbles->Update(1.0f / 60.0f);
    EXPECT_EQ(bubbles->GetParticleCount(), 120u) << "two a frame at 60 frames a second";
    for (uint32_t i = 0; i < 120; ++i) {
        const Particle& p = bubbles->GetParticle(i);
        EXPECT_LE(p.size, 1024.0f);
        EXPECT_NEAR(p.size, 1024.0f * p.color.w, 1e-2f);
    }
    for (int frame = 0; frame < 500; ++frame) bubbles->Update(1.0f / 60.0f);
    EXPECT_EQ(bubbles->GetParticleCount(), 1023u) << "the pool has wrapped";
}

// Spawn points spread evenly over the 1024 particles.
TEST(GrassDust, SpawnPointsAreSpreadEvenlyAndAnEmptyListPlacesNothing) {
    for (uint32_t points : {512u, 2048u}) {
        auto dust = Make<GrassDust>();
        for (uint32_t k = 0; k < points; ++k) dust->AddSpawnPoint(SD::Vec3(static_cast<float>(k), 100.0f, 0.0f));
        dust->Enable();
        EXPECT_TRUE(dust->IsActive());
        for (uint32_t i = 0; i < kMaxParticles; ++i) {
            const SD::Vec3& at = dust->GetSpawnPosition(i);
            ASSERT_EQ(at.x, points == 512 ? static_cast<float>(i / 2) : static_cast<float>(2 * i))
                << points << " " << i;
            ASSERT_GE(at.y, 65.0f);
            ASSERT_LE(at.y, 95.0f);
            ASSERT_EQ(dust->GetParticle(i).position.x, at.x);
        }
    }
    auto empty = Make<GrassDust>();
    empty->Start();
    EXPECT_FALSE(empty->IsActive()) << "not enabled yet";
    empty->Enable();
    for (int k = 0; k < 5; ++k) empty->Update(1.0f);
    EXPECT_EQ(empty->GetParticle(0).position.x, 0.0f);
}

TEST(GrassDust, WaitsItsStartDelayAndFadesWithDistanceToThePlayer) {
    FactoryWorld world;
    auto dust = Make<GrassDust>();
    dust->AddSpawnPoint(SD::Vec3(0.0f, 0.0f, 0.0f));
    dust->Enable();
    const SD::Vec3 start = dust->GetParticle(0).position;
    dust->Update(1.0f);
    dust->Update(1.0f);
    EXPECT_EQ(dust->GetParticle(0).position.y, start.y) << "2.5 s of start delay";
    dust->Update(1.0f);
    dust->Update(0.01f);
    EXPECT_EQ(dust->GetParticle(0).position.y, start.y) << "no player: nothing moves";
    SD::GameObject* player = world.Object("Player", SD::Vec3(0.0f, 0.0f, 0.0f));
    ASSERT_NE(player, nullptr);
    // Just restarted, a particle has its whole life left: its alpha is its colour's times f.
    for (float distance : {1000.0f, 2000.0f}) {
        dust->Enable();
        dust->Update(2.5f);
        const SD::Vec3 spawn = dust->GetSpawnPosition(0);
        player->GetTransform().SetPos(spawn + SD::Vec3(distance, 0.0f, 0.0f));
        const Particle before = dust->GetParticle(0);
        dust->Update(0.001f);
        const float f = distance == 1000.0f ? 1.0f : 0.5f;
        EXPECT_NEAR(dust->GetParticle(0).color.w, before.color.w * f, 1e-4f) << distance;
        EXPECT_GT(dust->GetParticle(0).position.y, before.position.y) << "rises";
    }
}

TEST(FireflyCollectionSparkles, TheBurstEndsByDestroyingItsObjectTreeOnTheMainThread) {
    FactoryWorld world;
    SD::GameObject* jar = world.Object("Jar", SD::Vec3(0.0f, 0.0f, 0.0f));
    SD::GameObject* sparks = world.Object("", SD::Vec3(5.0f, 0.0f, 0.0f));
    jar->AttachChild(sparks);
    auto burst = Make<FireflyCollectionSparkles>();
    burst->SetOwner(sparks);
    burst->SetEnabled(true);
    burst->SetColor(SD::Vec4(0.1f, 0.1f, 0.1f, 0.1f));
    burst->Start();
    ASSERT_TRUE(burst->IsActive());
    EXPECT_FLOAT_EQ(burst->GetParticle(0).color.x, 0.7f);
    burst->Update(0.1f);
    RunDeferredWork();
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Jar"), jar) << "still burning";
    burst->Update(3.0f);  // every spark passes its end
    burst->Update(0.1f);  // none alive: the tree goes, after the updates
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Jar"), jar) << "not from inside the update";
    RunDeferredWork();
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Jar"), nullptr);
    burst->Update(0.1f);
    RunDeferredWork();  // asked once only
}

struct RecordedSounds : ParticleSounds {
    bool PlayEmitter(SD::GameObject* object) override {
        calls.push_back("play " + std::string(object ? "owner" : "none"));
        return false;
    }
    void PostEvent(const char* event, SD::GameObject*) override { calls.push_back(event); }
    std::vector<std::string> calls;
};

struct RainWorld {
    RainWorld() {
        SetParticleSounds(&sounds);
        parent.AttachChild(&owner);
        owner.GetTransform().SetScale(SD::Vec3(100.0f, 1.0f, 1.0f));
        rain->SetOwner(&owner);
    }
    ~RainWorld() {
        SetParticleSounds(nullptr);
        rain.reset();
        SD::InterpolatorSystem::DestroyInstance();
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    RecordedSounds sounds;
    SD::GameObject parent;
    SD::GameObject owner;
    std::unique_ptr<RainSystem> rain = Make<RainSystem>();
};

TEST(RainSystem, DropsFallThroughABoxAheadOfTheParentNeverBelowGround) {
    RainWorld w;
    w.parent.GetTransform().SetPos(SD::Vec3(10.0f, -50.0f, 0.0f));
    w.rain->SetActive(true);
    EXPECT_EQ(w.sounds.calls, std::vector<std::string>{"play owner"});
    EXPECT_EQ(w.rain->GetParticleCount(), 1024u);
    EXPECT_EQ(w.rain->SpawnCenter().y, 0.0f);
    EXPECT_EQ(w.rain->SpawnCenter().z, 45.0f);
    for (uint32_t i = 0; i < 1024; ++i) {
        const QuadBody& b = w.rain->GetBody(i);
        ASSERT_GE(b.position.y, 0.0f);
        ASSERT_LE(b.position.y, 100.0f);
        ASSERT_LE(std::fabs(b.position.x - 10.0f), 100.0f);
        ASSERT_LE(std::fabs(b.position.z - 45.0f), 100.0f);
        ASSERT_LE(b.velocity.y, -850.0f);
        ASSERT_GE(b.velocity.y, -1350.0f);
        ASSERT_EQ(b.scaleX, 25.0f);
    }
    // Without a facing axis the box stands on the parent; without a parent, on the owner.
    SD::Mtx33 none;
    for (float& v : none.m) v = 0.0f;
    w.parent.GetTransform().SetOrient(none);
    EXPECT_EQ(w.rain->SpawnCenter().z, 0.0f);
    EXPECT_EQ(w.rain->SpawnCenter().x, 10.0f);
    SD::GameObject alone;
    alone.GetTransform().SetPos(SD::Vec3(3.0f, 4.0f, 5.0f));
    auto orphan = Make<RainSystem>();
    orphan->SetOwner(&alone);
    EXPECT_EQ(orphan->SpawnCenter().x, 3.0f);
    EXPECT_EQ(orphan->SpawnCenter().z, 50.0f);
}

TEST(RainSystem, DropsRespawnOnlyWhileRainingAndFadeOverTheirOwnDuration) {
    RainWorld w;
    w.rain->SetActive(true);
    const SD::Vec3 first = w.rain->GetBody(0).position;
    w.rain->SetActive(true);
    EXPECT_NE(w.rain->GetBody(0).position.x, first.x) << "switching on again restarts every drop";

    // Half way through its fade a drop shows its full alpha.
    const double half = w.rain->GetFade(0).GetDuration() / 2.0;
    w.clock.Advance(half);
    SD::InterpolatorSystem::GetInstance().Update(static_cast<float>(half));
    w.rain->Update(0.0f);
    EXPECT_NEAR(w.rain->GetAppearance(0).color.w, w.rain->GetAlphaScale(0), 1e-3f);

    w.rain->SetActive(false);
    EXPECT_EQ(w.sounds.calls.back(), "Stop_Rain");
    EXPECT_TRUE(w.rain->IsActive()) << "drops in flight finish their fall";
    w.rain->Update(1.0f);  // every drop is now below ground
    const float y = w.rain->GetBody(0).position.y;
    ASSERT_LT(y, -0.1f);
    w.rain->Update(0.01f);
    EXPECT_LT(w.rain->GetBody(0).position.y, y) << "not raining: keeps falling";
    w.rain->SetActive(true);
    w.rain->Update(0.0f);
    EXPECT_GE(w.rain->GetBody(0).position.y, 0.0f);
}

TEST(FallingLeaves, ScatteredInACubeAndFlickeringInPlace) {
    SD::GameObject object;
    object.GetTransform().SetPos(SD::Vec3(0.0f, 500.0f, 0.0f));
    auto leaves = Make<FallingLeaves>();
    leaves->SetOwner(&object);
    leaves->SetActive(true);
    leaves->Start();
    EXPECT_EQ(leaves->GetParticleCount(), 128u);
    const SD::Vec3 at = leaves->GetBody(7).position;
    const SD::Vec4 color = leaves->GetAppearance(7).color;
    for (uint32_t i = 0; i < 128; ++i) {
        const QuadBody& b = leaves->GetBody(i);
        ASSERT_LE(std::fabs(b.position.y - 500.0f), 1000.0f);
        ASSERT_GE(b.scaleX, 30.0f);
        ASSERT_LE(b.scaleY, 31.0f);
    }
    leaves->Update(0.016f);
    EXPECT_EQ(leaves->GetBody(7).position.y, at.y);
    EXPECT_NE(leaves->GetAppearance(7).color.x, color.x);
    EXPECT_EQ(leaves->GetBody(7).orientation[0], 1.0f);
}

TEST(FlowerPollen, DrawsNothingUntilEnabledThenDriftsAndFades) {
    SD::GameObject object;
    auto pollen = Make<FlowerPollen>();
    pollen->SetOwner(&object);
    pollen->SetPollenColor(SD::Vec4(0.2f, 0.2f, 0.2f, 1.0f));
    pollen->Start();
    EXPECT_EQ(pollen->GetParticleCount(), 0u);
    pollen->SetEnabled(true);
    pollen->Start();
    ASSERT_EQ(pollen->GetParticleCount(), 64u);
    EXPECT_NEAR(pollen->GetParticle(3).position.y, FlowerPollen::kHeadY, 1e-4f);
    pollen->Update(0.5f);
    pollen->Update(0.5f);
    const Particle& p = pollen->GetParticle(3);
    EXPECT_GT(p.position.y, FlowerPollen::kHeadY);
    EXPECT_GT(p.color.w, 0.0f);
    EXPECT_LT(p.color.w, 1.0f);
    for (int k = 0; k < 40; ++k) pollen->Update(0.5f);  // 20 s: every grain has been renewed
    for (uint32_t i = 0; i < 64; ++i) ASSERT_LE(pollen->GetParticle(i).color.w, 1.0f);
}

struct WindWorld {
    ~WindWorld() {
        streamer.reset();
        SD::InterpolatorSystem::DestroyInstance();
        SD::Spline_System::DestroyInstance();
    }
    void Frame(double seconds) {
        clock.Advance(seconds);
        SD::InterpolatorSystem::GetInstance().Update(static_cast<float>(seconds));
        streamer->Update(static_cast<float>(seconds));
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    SD::GameObject object;
    std::unique_ptr<WindStreamer> streamer = Make<WindStreamer>();
};

TEST(WindStreamer, AGustLaysItsStreakThenFadesAndWaits) {
    WindWorld w;
    w.streamer->SetOwner(&w.object);
    w.streamer->VInitialize(false);
    EXPECT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kWait);
    EXPECT_GE(w.streamer->GetWaitTime(), 2.0f);
    EXPECT_LE(w.streamer->GetWaitTime(), 8.0f);
    int frames = 0;
    while (w.streamer->GetPhase() == WindStreamer::Phase::kWait && frames++ < 1000) w.Frame(0.016);
    ASSERT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kStartGust);
    w.Frame(0.016);
    ASSERT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kEmit);
    w.Frame(1.0 / 60.0);
    uint32_t before = w.streamer->GetParticleCount();
    w.Frame(1.0 / 60.0);
    EXPECT_EQ(w.streamer->GetParticleCount() - before, 17u) << "1024 particles per unit of the gust";
    // Each frame's particles carry the gust's brightness at that moment, 0 at its ends and
    // 0.25 halfway; the pool is full once the gust has run a sixth of its way.
    EXPECT_LT(w.streamer->GetParticle(0).color.w, 0.01f) << "the gust's first particles are dark";
    while (w.streamer->GetParticleCount() < 1024) {
        w.Frame(1.0 / 60.0);
        const float t = w.streamer->GetGust().GetFraction();
        const Particle& newest = w.streamer->GetParticle(w.streamer->GetParticleCount() - 1);
        ASSERT_NEAR(newest.color.w, 0.25f * (1.0f - 2.0f * std::fabs(t - 0.5f)), 1e-5f);
    }
    const uint32_t full = w.streamer->GetParticleCount();
    w.Frame(1.0 / 60.0);
    EXPECT_EQ(w.streamer->GetParticleCount(), full) << "a full pool keeps what it has";
    while (w.streamer->GetPhase() == WindStreamer::Phase::kEmit) w.Frame(1.0 / 60.0);
    ASSERT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kFade);
    before = w.streamer->GetParticleCount();
    w.Frame(0.016);
    EXPECT_EQ(before - w.streamer->GetParticleCount(), 16u) << "1024 a second";
    while (w.streamer->GetPhase() == WindStreamer::Phase::kFade) w.Frame(0.016);
    EXPECT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kWait);
    EXPECT_EQ(w.streamer->GetParticleCount(), 0u);
}

TEST(WindStreamer, AStaleCurveEndsTheGustAndIsBuiltAgain) {
    WindWorld w;
    w.streamer->SetOwner(&w.object);
    w.streamer->VInitialize(false);
    while (w.streamer->GetPhase() != WindStreamer::Phase::kEmit) w.Frame(0.016);
    SD::Spline_System::GetInstance().DestroyAllSplines();
    w.Frame(0.016);
    EXPECT_EQ(w.streamer->GetPhase(), WindStreamer::Phase::kFade);
    EXPECT_FALSE(WindStreamer::IsCurveLive(w.streamer->GetCurveIndex()));
    RunDeferredWork();
    for (uint32_t i = 0; i < WindStreamer::kCurveCount; ++i) EXPECT_TRUE(WindStreamer::IsCurveLive(i)) << i;
}

}  // namespace
