// The frame's particle updates of 200 systems of 1,024 particles on pools of 0, 1, 3 and 7
// workers, and the copy of 100,000 particles into point instance records.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "core/WorkerPool.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleSystem.h"

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

}  // namespace
