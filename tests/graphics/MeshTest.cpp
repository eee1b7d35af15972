#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

#include "ResourceTestSupport.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ResourceManager.h"
#include "tests/platform/GfxDeviceProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;

using namespace Aperture::Resource;

SD::Vec3 Cross(const SD::Vec3& a, const SD::Vec3& b) { return a.Cross(b); }

TEST(Primitives, CountsOfEveryGenerator) {
    struct Case {
        const char* name;
        MeshGeometry geometry;
        size_t vertices, indices;
    };
    MeshGeometry plane, twoSided;
    GenerateGrid(plane, 1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, false);
    GenerateGrid(twoSided, 1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, true);
    const uint32_t n = 3;
    const Case cases[] = {
        {"plane 1x1", plane, 4, 6},
        {"double-sided plane 1x1", twoSided, 8, 12},
        {"cube sphere 3", GenerateCubeSphere(n), 6 * (n + 1) * (n + 1), 36 * n * n},
        {"sphere 16x16", GenerateSphere(16, 16, {0, 0, 0}, 1.0f), 289, 1536},
        {"cone 64", GenerateCone(64, 1), 130, 384},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.geometry.vertices.size(), c.vertices) << c.name;
        EXPECT_EQ(c.geometry.indices.size(), c.indices) << c.name;
        for (uint16_t i : c.geometry.indices) ASSERT_LT(i, c.geometry.vertices.size()) << c.name;
    }
}

TEST(Primitives, GeometryOfPlaneSphereCubeSphereAndCone) {
    gfxtest::ResourceFixture f;
    Plane* plane = f.manager->CreatePlane(1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0});
    EXPECT_EQ(plane->GetNormal(), (SD::Vec3{0, 1, 0})) << "a zero normal becomes axisV x axisU";
    MeshGeometry g;
    GenerateGrid(g, 1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, false);
    const SD::Vec3 p0 = g.vertices[g.indices[0]].position, p1 = g.vertices[g.indices[1]].position,
                   p2 = g.vertices[g.indices[2]].position;
    EXPECT_EQ(Cross(p1 - p0, p2 - p0), (SD::Vec3{0, -1, 0})) << "wound along axisU x axisV";

    const SD::Vec3 centre{1, 2, 3};
    Sphere* sphere = f.manager->CreateSphere(16, 16, centre, 2.0f);
    EXPECT_EQ(sphere->GetVertexCount(), 289u);
    EXPECT_EQ(sphere->GetCentroid(), centre);
    const MeshGeometry s = GenerateSphere(16, 16, centre, 2.0f);
    for (int i = 0; i <= 16; ++i) {
        EXPECT_NEAR(s.vertices[i].position.x, 1.0f, 1e-6f);
        EXPECT_NEAR(s.vertices[i].position.y, 4.0f, 1e-6f);
        EXPECT_NEAR(s.vertices[i].position.z, 3.0f, 1e-6f);
    }
    EXPECT_NEAR(sphere->GetBoundsMax().y, 4.0f, 1e-5f);
    EXPECT_NEAR(sphere->GetBoundsMin().y, 0.0f, 1e-5f);

    for (const MeshVertexData& v : GenerateCubeSphere(4).vertices) EXPECT_NEAR(v.position.Length(), 1.0f, 1e-6f);

    const MeshGeometry cone = GenerateCone(8, 1);
    EXPECT_EQ(cone.vertices[16].position, (SD::Vec3{0, -1, 0})) << "base centre";
    EXPECT_EQ(cone.vertices[17].position, (SD::Vec3{0, 0, 0})) << "apex";
    EXPECT_EQ(cone.vertices[8].position, cone.vertices[0].position) << "the extra ring closes the fans";
}

// The cone is lit like a solid: every corner's normal is a unit vector on the outer side of its
// triangle, and the side's normals stand square to the slope from the rim to the apex.
TEST(Primitives, ConeNormalsPointOutOfEveryFace) {
    for (uint32_t slices : {3u, 16u, 64u}) {
        const MeshGeometry cone = GenerateCone(slices, 1);
        ASSERT_EQ(cone.indices.size() % 3, 0u);
        for (size_t t = 0; t < cone.indices.size(); t += 3) {
            const MeshVertexData* v[3] = {&cone.vertices[cone.indices[t]], &cone.vertices[cone.indices[t + 1]],
                                          &cone.vertices[cone.indices[t + 2]]};
            const SD::Vec3 face = Cross(v[1]->position - v[0]->position, v[2]->position - v[0]->position);
            ASSERT_GT(face.Length(), 0.0f) << slices << " slices, triangle " << t / 3 << " is degenerate";
            for (const MeshVertexData* corner : v) {
                EXPECT_NEAR(corner->normal.Length(), 1.0f, 1e-5f) << slices << " slices, triangle " << t / 3;
                EXPECT_GT(corner->normal.Dot(face), 0.0f) << slices << " slices, triangle " << t / 3;
            }
            const bool onBase = v[0]->position.y == -1.0f && v[1]->position.y == -1.0f && v[2]->position.y == -1.0f;
            EXPECT_EQ(face.GetNormalized().y < -0.99f, onBase) << "the cap faces down, the side out and up";
        }
        const SD::Vec3 apex{0, 0, 0};
        for (uint32_t i = 0; i < slices; ++i)
            EXPECT_NEAR(cone.vertices[i].normal.Dot(apex - cone.vertices[i].position), 0.0f, 1e-5f) << i;
    }
}

TEST(MeshBuffers, BuildBuffersFillsTheDeviceAndRefusesCountsPast16Bits) {
    gfxtest::ResourceFixture f;
    Plane* plane = f.manager->CreatePlane(2, 3, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    ASSERT_TRUE(plane->IsLoaded());
    EXPECT_EQ(plane->GetVertexBuffer()->GetBuffer()->Length(), 12u * 56u);
    EXPECT_EQ(plane->GetIndexBuffer()->GetBuffer()->Length(), 36u * 2u);
    EXPECT_EQ(plane->GetBoundsMin(), (SD::Vec3{0, 0, 0}));
    EXPECT_EQ(plane->GetBoundsMax(), (SD::Vec3{1, 0, 1}));

    Mesh* huge = f.manager->CreateMesh();
    std::vector<MeshVertexData> vertices(70000);
    std::vector<uint16_t> indices(70000, 0);
    EXPECT_FALSE(huge->SetMeshData(vertices, indices));
    EXPECT_EQ(huge->GetVertexBuffer(), nullptr) << "nothing is built from a truncated count";
    EXPECT_NE(std::string(f.logger.Buffer()).find("at most 65535"), std::string::npos);
}

TEST(MeshBuffers, IndexAndInstanceBuffersComeBackAfterADeviceReset) {
    gfxtest::ResourceFixture f;
    Plane* plane = f.manager->CreatePlane(1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    auto* grass = f.manager->CreateInstanceBuffer<GrassVertex>();
    EXPECT_EQ(grass->GetCapacity(), 2048u);
    EXPECT_EQ(grass->GetSizeBytes(), 40960u);
    const std::vector<uint16_t> before =
        plane->GetIndices().empty() ? plane->GetIndexBuffer()->GetIndices() : plane->GetIndices();
    ASSERT_TRUE(f.LoseAndReset()) << "default-pool buffers are released for the reset";
    ASSERT_NE(plane->GetIndexBuffer()->GetBuffer(), nullptr);
    EXPECT_EQ(0, std::memcmp(plane->GetIndexBuffer()->GetBuffer()->Bytes(), before.data(), before.size() * 2))
        << "rebuilt from the CPU copy";
    ASSERT_NE(grass->GetBuffer(), nullptr);
    EXPECT_NE(grass->Lock(2048), nullptr);
    grass->Unlock();
    EXPECT_EQ(grass->Lock(2049), nullptr) << "never past the capacity";
}

TEST(MeshBuffers, FailedCreationsAreNeverLockedOrDrawn) {
    gfxtest::ResourceFixture f;
    DeviceProbe::FailCreations(f.Device(), 2);
    Plane* plane = f.manager->CreatePlane(1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    EXPECT_FALSE(plane->IsLoaded());
    EXPECT_EQ(plane->GetVertexBuffer()->GetBuffer(), nullptr);
    EXPECT_EQ(plane->GetIndexBuffer()->GetBuffer(), nullptr);
    DeviceProbe::FailCreations(f.Device(), 1);
    auto* lights = f.manager->CreateInstanceBuffer<LightVertex>();
    EXPECT_FALSE(lights->IsLoaded());
    EXPECT_EQ(lights->Lock(1), nullptr);
    const size_t recorded = f.Device().CurrentFrame().size();
    plane->DrawPasses(nullptr, 1);
    EXPECT_EQ(f.Device().CurrentFrame().size(), recorded) << "nothing bound from missing buffers";
}

TEST(MeshBuffers, IndexBufferUnloadReportsReferencesLeft) {
    gfxtest::ResourceFixture f;
    const uint16_t indices[] = {0, 1, 2};
    IndexBuffer* buffer = f.manager->CreateIndexBuffer(indices, 3);
    buffer->GetBuffer()->AddRef();
    platform::gfx::IndexBuffer* device = buffer->GetBuffer();
    EXPECT_FALSE(buffer->Unload());
    device->Release();
}

}  // namespace

namespace {

using namespace Aperture::Resource;
using platform::gfx::Op;

std::vector<platform::gfx::Command> Only(const std::vector<platform::gfx::Command>& frame, size_t from,
                                         std::initializer_list<Op> ops) {
    std::vector<platform::gfx::Command> out;
    for (size_t i = from; i < frame.size(); ++i)
        for (Op op : ops)
            if (frame[i].op == op) out.push_back(frame[i]);
    return out;
}

TEST(InstancedDrawing, StreamsAreSetForTheInstancesAndResetAfterwards) {
    gfxtest::ResourceFixture f;
    Plane* plane = f.manager->CreatePlane(1, 1, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    auto* grass = f.manager->CreateInstanceBuffer<GrassVertex>();
    ASSERT_NE(grass->Lock(5), nullptr);
    grass->Unlock();
    Effect* effect = f.manager->CreateEffect(f.File("Graphics/shaders/i.fx", gfxtest::kGoodEffect));
    f.manager->CreateVertexFormat<GrassVertex>();
    platform::gfx::Device& d = f.Device();
    d.SetVertexDeclaration(GrassVertex::GetDeclaration());
    d.BeginScene();
    const size_t from = d.CurrentFrame().size();
    ASSERT_EQ(effect->Begin(), 1u);
    DrawInstancedBuffers(plane->GetVertexBuffer(), effect, 1, plane->GetIndexBuffer(), grass->View(3, 2),
                         GrassVertex::InstanceStride());
    effect->End();
    const auto freq = Only(d.CurrentFrame(), from, {Op::kSetStreamSourceFreq});
    ASSERT_EQ(freq.size(), 4u);
    EXPECT_EQ(freq[0].a[1], 0x40000000u | 2u);
    EXPECT_EQ(freq[1].a[1], 0x80000001u);
    EXPECT_EQ(freq[2].a[0], 0u);
    EXPECT_EQ(freq[2].a[1], 1u);
    EXPECT_EQ(freq[3].a[0], 1u);
    EXPECT_EQ(freq[3].a[1], 1u);
    const auto streams = Only(d.CurrentFrame(), from, {Op::kSetStreamSource});
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[1].a[2], 3u * 20u) << "stream 1 starts at the batch's first record";
    EXPECT_EQ(streams[1].a[3], 20u);
    const auto draws = Only(d.CurrentFrame(), from, {Op::kDrawIndexedPrimitive});
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].a[5], 2u);
    EXPECT_EQ(grass->GetBuffer()->RefCount(), 1u) << "the view took no reference";
    d.EndScene();

    const size_t before = d.CurrentFrame().size();
    DrawInstancedBuffers(plane->GetVertexBuffer(), effect, 1, plane->GetIndexBuffer(), grass->View(0, 0), 20);
    EXPECT_EQ(d.CurrentFrame().size(), before) << "an empty view draws nothing";
}

}  // namespace

namespace {

using namespace Aperture::Resource;

TEST(InstanceBuffers, ConstructionValuesAndTheFillsOfEachKind) {
    gfxtest::ResourceFixture f;
    struct Case {
        const char* name;
        uint32_t capacity, sizeBytes;
        bool dynamic;
        uint32_t gotCapacity, gotSize;
        bool gotDynamic;
    };
    auto* inst = f.manager->CreateInstanceBuffer<MeshVertexInst>();
    auto* light = f.manager->CreateInstanceBuffer<LightVertex>();
    auto* grass = f.manager->CreateInstanceBuffer<GrassVertex>();
    auto* point = f.manager->CreateInstanceBuffer<ParticleVertex>();
    auto* quad = f.manager->CreateInstanceBuffer<QuadParticleVertex>();
    const Case cases[] = {
        {"mesh instances", 128, 10240, true, inst->GetCapacity(), inst->GetSizeBytes(), inst->IsDynamic()},
        {"light volumes", 256, 30720, true, light->GetCapacity(), light->GetSizeBytes(), light->IsDynamic()},
        {"grass", 2048, 40960, true, grass->GetCapacity(), grass->GetSizeBytes(), grass->IsDynamic()},
        {"point particles", 1024, 32768, false, point->GetCapacity(), point->GetSizeBytes(), point->IsDynamic()},
        {"quad particles", 1024, 86016, false, quad->GetCapacity(), quad->GetSizeBytes(), quad->IsDynamic()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.gotCapacity, c.capacity) << c.name;
        EXPECT_EQ(c.gotSize, c.sizeBytes) << c.name;
        EXPECT_EQ(c.gotDynamic, c.dynamic) << c.name;
    }
    EXPECT_EQ(point->GetBuffer()->GetPool(), platform::gfx::Pool::kManaged);
    EXPECT_EQ(grass->GetBuffer()->GetPool(), platform::gfx::Pool::kDefault);

    ASSERT_NE(light->LockAll(), nullptr);
    EXPECT_EQ(light->GetCount(), 0u);
    light->Unlock();

    std::vector<unsigned char> records(3 * 84 + 10, 7);
    EXPECT_TRUE(quad->Fill(records.data(), static_cast<uint32_t>(records.size())));
    EXPECT_EQ(quad->GetCount(), 3u) << "whole records only";
    EXPECT_EQ(quad->GetBuffer()->Bytes()[3 * 84 - 1], 7);
    EXPECT_EQ(quad->GetBuffer()->Bytes()[3 * 84], 0);
    std::vector<unsigned char> tooMany(1025 * 32);
    EXPECT_FALSE(point->Fill(tooMany.data(), static_cast<uint32_t>(tooMany.size()))) << "never past the capacity";
}

}  // namespace
