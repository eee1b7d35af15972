// The frame's particle updates on the worker pool: the same scene updated with no workers and
// with three gives the same particle counts, and every particle stays inside its effect's
// envelope, whichever thread updated it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/EngineCore.h"
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "GraphicsTestSupport.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/Transformer.h"
#include "graphics/photon/CollectionSparkles.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/photon/FallingLeaves.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SmallEffects.h"
#include "runtime/InterpolatorSystem.h"

namespace {

using namespace Aperture::Photon;

struct Box {
    SD::Vec3 low{1e30f, 1e30f, 1e30f};
    SD::Vec3 high{-1e30f, -1e30f, -1e30f};
    void Add(const SD::Vec3& p) {
        low = SD::Vec3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = SD::Vec3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    bool Inside(const SD::Vec3& center, float reach) const {
        return low.x >= center.x - reach && low.y >= center.y - reach && low.z >= center.z - reach &&
               high.x <= center.x + reach && high.y <= center.y + reach && high.z <= center.z + reach;
    }
};

struct Outcome {
    std::vector<uint32_t> counts;
    std::vector<Box> boxes;
};

// 16 systems of each of four effects, their objects 100 units apart, updated for half a second.
Outcome RunScene(size_t workers) {
    SD::SetRandomState(SD::kRandomStartState);
    // The effects read the engine clock and the core's frame time from the workers.
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::WorkerPool pool;
    if (workers > 0) pool.Start(static_cast<unsigned>(workers + 2));
    EXPECT_EQ(pool.Size(), workers);
    Aperture::Graphics_ graphics;
    graphics.SetWorkerPool(&pool);
    constexpr int kEach = 16;
    std::vector<std::unique_ptr<SD::GameObject>> objects;
    std::vector<std::unique_ptr<ParticleTester>> testers;
    std::vector<std::unique_ptr<BubbleEffect>> bubbles;
    std::vector<std::unique_ptr<FallingLeaves>> leaves;
    std::vector<std::unique_ptr<RainSystem>> rains;
    auto object = [&](int i) {
        objects.push_back(std::make_unique<SD::GameObject>());
        objects.back()->GetTransform().SetPos(SD::Vec3(100.0f * static_cast<float>(i), 0.0f, 0.0f));
        return objects.back().get();
    };
    for (int i = 0; i < kEach; ++i) {
        testers.emplace_back(new ParticleTester());
        testers.back()->SetOwner(object(i));
        testers.back()->VRegister();
        bubbles.emplace_back(new BubbleEffect());
        bubbles.back()->SetOwner(object(i));
        bubbles.back()->VRegister();
        leaves.emplace_back(new FallingLeaves());
        leaves.back()->SetOwner(object(i));
        leaves.back()->VRegister();
        rains.emplace_back(new RainSystem());
        rains.back()->SetOwner(object(i));
        rains.back()->VRegister();
        rains.back()->SetActive(true);
    }
    for (int frame = 0; frame < 30; ++frame) graphics.UpdateParticleSystems(1.0f / 60.0f);

    Outcome out;
    auto record = [&out](uint32_t count, auto position) {
        out.counts.push_back(count);
        Box box;
        for (uint32_t i = 0; i < count; ++i) box.Add(position(i));
        out.boxes.push_back(box);
    };
    for (int i = 0; i < kEach; ++i) {
        const SD::Vec3 at(100.0f * static_cast<float>(i), 0.0f, 0.0f);
        record(testers[i]->GetParticleCount(), [&](uint32_t k) { return testers[i]->GetParticle(k).position; });
        EXPECT_TRUE(out.boxes.back().Inside(at, 3.0f)) << "sparks fly 1 unit a second for at most 3 s";
        record(bubbles[i]->GetParticleCount(), [&](uint32_t k) { return bubbles[i]->GetParticle(k).position; });
        EXPECT_TRUE(out.boxes.back().Inside(at, 20.0f + 20.0f * 0.5f)) << "20 out, 20 a second";
        record(leaves[i]->GetParticleCount(), [&](uint32_t k) { return leaves[i]->GetBody(k).position; });
        EXPECT_TRUE(out.boxes.back().Inside(at, 1000.0f));
        record(rains[i]->GetParticleCount(), [&](uint32_t k) { return rains[i]->GetBody(k).position; });
        EXPECT_GE(out.boxes.back().low.y, -1350.0f * 0.5f - 1.0f);
        EXPECT_LE(out.boxes.back().high.y, 1.0f);
    }
    for (auto& r : rains) r->VUnregister();
    for (auto& l : leaves) l->VUnregister();
    for (auto& b : bubbles) b->VUnregister();
    for (auto& t : testers) t->VUnregister();
    return out;
}

TEST(ParticleUpdate, NoWorkersAndThreeWorkersGiveTheSameCountsAndBounds) {
    const Outcome serial = RunScene(0);
    const Outcome parallel = RunScene(3);
    EXPECT_EQ(serial.counts, parallel.counts);
    EXPECT_EQ(serial.counts[1], 60u) << "bubbles: 2 a frame for 30 frames";
    SD::InterpolatorSystem::DestroyInstance();
}

// A frame of the graphics system updates the active systems, leaves the others alone, and
// runs what the updates left for the main thread before it ends.
TEST(ParticleUpdate, AFrameUpdatesActiveSystemsAndRunsTheirDeferredWork) {
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory(16);
    {
        gfxtest::GraphicsFixture f;
        SD::GameObject* jar = factory.NewGameObject();
        jar->NameObject("Jar");
        std::unique_ptr<FireflyCollectionSparkles> burst(new FireflyCollectionSparkles());
        burst->SetOwner(jar);
        burst->SetEnabled(true);
        burst->VRegister();
        std::unique_ptr<ParticleTester> asleep(new ParticleTester());
        asleep->VRegister();
        asleep->SetActiveFlag(false);
        const SD::Vec3 still = asleep->GetParticle(0).position;
        f.graphics->Update(0.5f);
        EXPECT_EQ(asleep->GetParticle(0).position.x, still.x);
        EXPECT_EQ(asleep->GetParticle(0).age, 0.0f) << "inactive systems are not updated";
        EXPECT_EQ(SD::Factory_::GetGameObjectByName("Jar"), jar);
        for (int frame = 0; frame < 6; ++frame) f.graphics->Update(0.5f);
        EXPECT_EQ(SD::Factory_::GetGameObjectByName("Jar"), nullptr) << "the burst is over: its tree went";
        burst->VUnregister();
        asleep->VUnregister();
    }
    factory.Shutdown();
}

}  // namespace
