// The per-frame particle updates on the worker pool.
#include "core/EngineCore.h"
#include "core/WorkerPool.h"
#include "graphics/Graphics.h"
#include "graphics/ParallelForEach.h"
#include "graphics/photon/MainThreadQueue.h"

namespace Aperture {
namespace {

using Position = SceneLists::ParticleList::Iterator;

void AdvanceRun(Position start, Position end, void* argument) {
    const float dt = *static_cast<const float*>(argument);
    for (Position p = start; p != end; ++p) (*p)->AdvanceParticles(dt);
}

}  // namespace

void Graphics_::UpdateParticleSystems(float dt) {
    SD::WorkerPool& pool = workerPool ? *workerPool : SD::WorkerPool::GetInstance();
    // Reading the engine clock moves it; the updates read one frozen time instead.
    struct ClockHold {
        SD::Core* core = SD::Core::GetInstance();
        ClockHold() {
            if (core) core->HoldClock(true);
        }
        ~ClockHold() {
            if (core) core->HoldClock(false);
        }
    } hold;
    ParallelForEach<Position>(sceneLists.PointParticles().Size(), pool, sceneLists.PointParticles().begin(),
                              sceneLists.PointParticles().end(), &dt, &AdvanceRun);
    ParallelForEach<Position>(sceneLists.QuadParticles().Size(), pool, sceneLists.QuadParticles().begin(),
                              sceneLists.QuadParticles().end(), &dt, &AdvanceRun);
    Photon::RunDeferredWork();
}

}  // namespace Aperture
