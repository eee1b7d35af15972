// The frame's particle updates of 200 systems of 1,024 particles on pools of 0, 1, 3 and 7
// workers, the copy of 100,000 particles into point instance records, and one frame of each
// world effect's full system on one thread beside the plain drift.
#include <benchmark/benchmark.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "core/WorkerPool.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "core/EngineCore.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/photon/FireflyEffects.h"
#include "graphics/photon/MistEffects.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/PlayerTrail.h"
#include "graphics/photon/SkyEffects.h"
#include "graphics/photon/Snow.h"
#include "graphics/photon/WindDustMotes.h"
#include "runtime/InterpolatorSystem.h"

namespace {

using Aperture::Photon::kMaxParticles;
using Aperture::Photon::Particle;
using Aperture::Photon::ParticleSystem;
using Aperture::Photon::ParticleVertexRecord;

// A full pool of particles moving, ageing and fading: the common shape of an effect's update.
class Drift : public ParticleSystem {
public:
    Drift() {
        particleCount = kMaxParticles;
        for (uint32_t i = 0; i < kMaxParticles; ++i) {
            Particle& p = particles[i];
            p.velocity = SD::Vec3(0.001f * static_cast<float>(i), 1.0f, -0.5f);
            p.lifetime = 5.0f + 0.01f * static_cast<float>(i);
            p.color = SD::Vec4(1.0f, 1.0f, 1.0f, 1.0f);
            p.size = 2.5f;
        }
    }
    void Update(float dt) override {
        for (uint32_t i = 0; i < particleCount; ++i) {
            Particle& p = particles[i];
            p.age += dt;
            if (p.age > p.lifetime) p.age = 0.0f;
            p.position += p.velocity * dt;
            p.velocity.y -= 9.8f * dt;
            p.color.w = 1.0f - p.age / p.lifetime;
            p.size = 2.0f + p.color.w;
        }
    }
};

void BM_UpdateParticleSystems(benchmark::State& state) {
    const auto workers = static_cast<size_t>(state.range(0));
    SD::WorkerPool pool;
    if (workers > 0) pool.Start(static_cast<unsigned>(workers + 2));
    Aperture::Graphics_ graphics;
    graphics.SetWorkerPool(&pool);
    std::vector<std::unique_ptr<Drift>> systems;
    for (int i = 0; i < 200; ++i) {
        systems.emplace_back(new Drift());
        systems.back()->VRegister();
    }
    for (auto _ : state) graphics.UpdateParticleSystems(1.0f / 60.0f);
    state.SetItemsProcessed(state.iterations() * 200 * kMaxParticles);
    for (auto& s : systems) s->VUnregister();
}
BENCHMARK(BM_UpdateParticleSystems)->Arg(0)->Arg(1)->Arg(3)->Arg(7)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_WriteVertices100k(benchmark::State& state) {
    // 98 full systems and one of 352 particles: 100,000 particles.
    std::vector<std::unique_ptr<Drift>> systems;
    for (int i = 0; i < 98; ++i) {
        systems.emplace_back(new Drift());
        systems.back()->SetActiveFlag(true);
    }
    systems.emplace_back(new Drift());
    systems.back()->SetActiveFlag(true);
    systems.back()->SetParticleCount(100000 - 98 * kMaxParticles);
    std::vector<ParticleVertexRecord> out(kMaxParticles);
    for (auto _ : state) {
        uint32_t written = 0;
        for (auto& s : systems) written += s->WriteVertices(out.data(), kMaxParticles);
        benchmark::DoNotOptimize(out.data());
        benchmark::DoNotOptimize(written);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_WriteVertices100k)->Unit(benchmark::kMicrosecond);

// One effect on an object that a "Player" watches, started and then updated frame by frame as
// a worker runs it.
template <class Effect>
void BM_EffectUpdate(benchmark::State& state) {
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::Factory_ factory(16);
    SD::GameObject* owner = factory.NewGameObject();
    owner->GetTransform().SetScale(SD::Vec3(100.0f, 100.0f, 100.0f));
    SD::GameObject* player = factory.NewGameObject();
    player->NameObject("Player");
    player->GetTransform().SetPos(SD::Vec3(20.0f, 0.0f, 0.0f));
    {
        auto effect = std::make_unique<Effect>();
        effect->SetOwner(owner);
        if constexpr (std::is_same_v<Effect, Aperture::Photon::Snow>) effect->SetTarget(player->GetHandle());
        effect->SetActiveFlag(true);
        effect->Start();
        float x = 0.0f;
        for (auto _ : state) {
            owner->GetTransform().SetPos(SD::Vec3(x += 0.5f, 0.0f, 0.0f));
            effect->Update(1.0f / 60.0f);
            benchmark::DoNotOptimize(effect->GetParticle(0));
        }
        state.SetItemsProcessed(state.iterations() * effect->GetParticleCount());
    }
    factory.Shutdown();
    SD::InterpolatorSystem::DestroyInstance();
}
BENCHMARK_TEMPLATE(BM_EffectUpdate, Drift)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::GateDust)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::FireflyBlink)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::FireflyTrail)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::Fog)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::WaterfallMist)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::WaterfallEffect)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::TwinklingStars)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::ShootingStar)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::Snow)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_EffectUpdate, Aperture::Photon::PlayerTrail)->Unit(benchmark::kMicrosecond);

}  // namespace
