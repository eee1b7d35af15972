#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GraphicsTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/QuadParticleSystem.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"

namespace {

using Aperture::CulledParticles;
using Aperture::Photon::ParticleManager;
using platform::gfx::Command;
using platform::gfx::Op;

struct Points : Aperture::Photon::ParticleSystem {
    Points(uint32_t n, float marker, bool on) {
        particleCount = n;
        active = on;
        for (uint32_t i = 0; i < n; ++i) particles[i].position = SD::Vec3(marker, static_cast<float>(i), 0.0f);
    }
};

struct Quads : Aperture::Photon::QuadParticleSystem {
    Quads(uint32_t n, float marker) {
        particleCount = n;
        active = true;
        for (uint32_t i = 0; i < n; ++i) bodies[i].position = SD::Vec3(marker, static_cast<float>(i), 0.0f);
    }
};

struct ManagerFixture : gfxtest::GraphicsFixture {
    ParticleManager& Manager() { return *graphics->GetParticleManager(); }
    // The instance counts of the batches drawn in the frame being recorded.
    std::vector<uint32_t> Batches() {
        std::vector<uint32_t> counts;
        for (const Command& c : Device().CurrentFrame())
            if (c.op == Op::kSetStreamSourceFreq && c.a[0] == 0 && (c.a[1] & platform::gfx::kStreamIndexedData))
                counts.push_back(c.a[1] & ~platform::gfx::kStreamIndexedData);
        return counts;
    }
    size_t Count(Op op) {
        size_t n = 0;
        for (const Command& c : Device().CurrentFrame()) n += c.op == op;
        return n;
    }
    template <class Record, class Buffer>
    Record ReadInstance(Buffer* buffer, uint32_t index) {
        void* data = nullptr;
        EXPECT_FALSE(platform::gfx::Failed(buffer->GetBuffer()->Lock(0, 0, &data)));
        Record r = static_cast<Record*>(data)[index];
        buffer->GetBuffer()->Unlock();
        return r;
    }
};

// Batches hold whole systems: a system that does not fit in the rest of the buffer starts a
// new batch; systems without live particles draw nothing.
TEST(ParticleManager, PointSystemsAreBatchedWhole) {
    struct Case {
        std::vector<uint32_t> systems;
        std::vector<uint32_t> batches;
    } cases[] = {
        {{600, 500}, {600, 500}}, {{400, 600}, {1000}}, {{1024, 1}, {1024, 1}}, {{}, {}}, {{0, 0}, {}},
    };
    ManagerFixture f;
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<Points>> owned;
        std::vector<CulledParticles*> list;
        for (uint32_t n : c.systems) {
            owned.push_back(std::make_unique<Points>(n, 1.0f, true));
            list.push_back(owned.back().get());
        }
        f.Device().BeginScene();
        f.Manager().DrawPointSprites(list, f.Manager().GetPointEffect(), 1280.0f);
        EXPECT_EQ(f.Batches(), c.batches) << c.systems.size();
        EXPECT_EQ(f.Count(Op::kBeginEffect), 1u);
        EXPECT_EQ(f.Count(Op::kEndEffect), 1u);
        EXPECT_EQ(f.Count(Op::kDrawIndexedPrimitive), c.batches.size());
        f.Device().EndScene();
        f.Device().Present();
    }
}

// A system that writes nothing (inactive) takes no room: the next system's records start
// where the batch's did.
TEST(ParticleManager, TheCursorMovesByWhatWasWritten) {
    ManagerFixture f;
    Points asleep(300, 1.0f, false);
    Points awake(200, 2.0f, true);
    std::vector<CulledParticles*> list{&asleep, &awake};
    f.Device().BeginScene();
    f.Manager().DrawPointSprites(list, f.Manager().GetPointEffect(), 1280.0f);
    EXPECT_EQ(f.Batches(), std::vector<uint32_t>{200});
    using Record = Aperture::Photon::ParticleVertexRecord;
    EXPECT_EQ(f.ReadInstance<Record>(f.Manager().GetPointInstances(), 0).position[0], 2.0f);
    EXPECT_EQ(f.ReadInstance<Record>(f.Manager().GetPointInstances(), 199).position[1], 199.0f);
    f.Device().EndScene();
}

TEST(ParticleManager, QuadSystemsAreBatchedWholeFromTheBufferStart) {
    ManagerFixture f;
    Quads first(700, 1.0f);
    Quads second(400, 2.0f);
    std::vector<CulledParticles*> list{&first, &second};
    f.Device().BeginScene();
    f.Manager().DrawQuadSprites(list, f.Manager().GetQuadEffect());
    EXPECT_EQ(f.Batches(), (std::vector<uint32_t>{700, 400}));
    using Record = Aperture::Photon::QuadParticleVertexRecord;
    const Record start = f.ReadInstance<Record>(f.Manager().GetQuadInstances(), 0);
    EXPECT_EQ(start.world[12], 2.0f) << "the second system went to the start of the buffer";
    EXPECT_EQ(start.world[15], 1.0f);
    bool technique = false;
    for (const Command& c : f.Device().CurrentFrame())
        technique |= c.op == Op::kSetTechnique && c.name == ParticleManager::kQuadTechnique;
    EXPECT_TRUE(technique);
    f.Device().EndScene();
}

}  // namespace
