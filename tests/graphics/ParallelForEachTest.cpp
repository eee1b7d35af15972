#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/WorkerPool.h"
#include "engine/IntrusiveList.h"
#include "graphics/ParallelForEach.h"

namespace {

struct Particle {
    SD::IntrusiveLink<Particle> link;
    int value = 0;
    int result = 0;
    int visits = 0;
    std::thread::id thread;
};
using ParticleList = SD::IntrusiveList<Particle, &Particle::link>;
using Position = ParticleList::Iterator;

// The per-object work: depends on the object and the shared read-only argument only.
void Update(Position start, Position end, void* argument) {
    const int scale = *static_cast<const int*>(argument);
    for (Position p = start; p != end; ++p) {
        Particle* particle = *p;
        particle->result = particle->value * particle->value * scale + 1;
        ++particle->visits;
        particle->thread = std::this_thread::get_id();
    }
}

struct Scene {
    explicit Scene(size_t count) : particles(count) {
        for (size_t i = 0; i < count; ++i) {
            particles[i].value = static_cast<int>(i) * 7 - 300;
            list.PushBack(&particles[i]);
        }
    }
    std::vector<Particle> particles;
    ParticleList list;
};

// A pool with exactly this many workers: it keeps two processors for itself.
void StartPool(SD::WorkerPool& pool, size_t workers) {
    if (workers > 0) pool.Start(static_cast<unsigned>(workers + 2));
    ASSERT_EQ(pool.Size(), workers);
}

TEST(ParallelForEach, EveryPoolSizeMatchesASerialWalk) {
    int scale = 3;
    for (size_t workers : {0u, 1u, 3u, 7u}) {
        for (size_t count : {0u, 1u, 7u, 8u, 9u, 100u, 1001u}) {
            SD::WorkerPool pool;
            StartPool(pool, workers);
            Scene serial(count), parallel(count);
            Update(serial.list.begin(), serial.list.end(), &scale);
            Aperture::ParallelForEach<Position>(count, pool, parallel.list.begin(), parallel.list.end(), &scale,
                                                &Update);
            for (size_t i = 0; i < count; ++i) {
                EXPECT_EQ(parallel.particles[i].result, serial.particles[i].result) << workers << " " << count;
                EXPECT_EQ(parallel.particles[i].visits, 1) << workers << " " << count << " " << i;
            }
            // The pool can be used again at once: its done events were reset.
            Aperture::ParallelForEach<Position>(count, pool, parallel.list.begin(), parallel.list.end(), &scale,
                                                &Update);
            for (size_t i = 0; i < count; ++i) EXPECT_EQ(parallel.particles[i].visits, 2);
        }
    }
}

TEST(ParallelForEach, RangesFollowTheSplitRule) {
    int scale = 1;
    SD::WorkerPool pool;
    StartPool(pool, 2);
    Scene scene(10);
    Aperture::ParallelForEach<Position>(10, pool, scene.list.begin(), scene.list.end(), &scale, &Update);
    const auto& p = scene.particles;
    const std::thread::id self = std::this_thread::get_id();
    for (int i : {0, 1, 2}) EXPECT_EQ(p[i].thread, p[0].thread);
    for (int i : {3, 4, 5}) EXPECT_EQ(p[i].thread, p[3].thread);
    for (int i : {6, 7, 8, 9}) EXPECT_EQ(p[i].thread, self);
    EXPECT_NE(p[0].thread, self);
    EXPECT_NE(p[3].thread, self);
    EXPECT_NE(p[0].thread, p[3].thread);
}

TEST(ParallelForEach, ShortListsAndNoWorkersStayOnTheCallingThread) {
    int scale = 1;
    const std::thread::id self = std::this_thread::get_id();
    for (size_t workers : {0u, 2u}) {
        SD::WorkerPool pool;
        StartPool(pool, workers);
        const size_t count = workers == 0 ? 50 : 2;
        Scene scene(count);
        Aperture::ParallelForEach<Position>(count, pool, scene.list.begin(), scene.list.end(), &scale, &Update);
        for (const Particle& particle : scene.particles) EXPECT_EQ(particle.thread, self);
    }
}

}  // namespace
