#include <gtest/gtest.h>

#include <vector>

#include "ResourceTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ResourceManager.h"

namespace {

using Aperture::Graphics_;
using Aperture::Resource::Material;
using Aperture::Resource::Mesh;

struct FakeGeometry : Aperture::RenderItemSource {
    explicit FakeGeometry(float tag) {
        world = SD::Mtx44::Identity();
        world(0, 3) = tag;
        color = {tag, 0, 0, 1};
    }
    const SD::Mtx44& GetRenderWorld() const override { return world; }
    SD::Vec4 GetRenderColor() const override { return color; }
    SD::Mtx44 world;
    SD::Vec4 color;
};

struct BatchFixture : gfxtest::ResourceFixture {
    Material* NewMaterial() { return manager->CreateMaterial(File("m.mat", "")); }
    Mesh* NewMesh(Material* m) {
        Mesh* mesh = manager->CreateMesh();
        mesh->SetMaterial(m);
        return mesh;
    }
    // (first, count) of every batch.
    static std::vector<std::pair<uint32_t, uint32_t>> Batches(const Graphics_::RenderBatchList& list) {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        for (const auto& b : list.batches) out.emplace_back(b.first, b.count);
        return out;
    }
};

TEST(RenderBatchList, OrdersByMaterialThenMeshAndCutsRuns) {
    BatchFixture f;
    Material* matA = f.NewMaterial();
    Material* matB = f.NewMaterial();
    Mesh* meshB2 = f.NewMesh(matB);
    Mesh* meshA1 = f.NewMesh(matA);
    Mesh* meshA2 = f.NewMesh(matA);
    const FakeGeometry g1(1), g2(2), g3(3);
    Graphics_::RenderBatchList list;
    list.items = {{meshA2, &g1}, {meshB2, &g2}, {meshA1, &g3}, {meshA2, &g2}, {meshA1, &g1}};
    EXPECT_EQ(list.items[0].material, matA);
    EXPECT_EQ(list.items[0].world, SD::Mtx44::Zero());
    list.Build();
    ASSERT_EQ(list.items.size(), 5u);
    const std::vector<Mesh*> order = {meshA1, meshA1, meshA2, meshA2, meshB2};
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(list.items[i].mesh, order[i]) << i;
    EXPECT_EQ(BatchFixture::Batches(list), (std::vector<std::pair<uint32_t, uint32_t>>{{0, 2}, {2, 2}, {4, 1}}));
    // World and colour come from the geometry at batching time.
    for (const auto& item : list.items) {
        const auto* g = static_cast<const FakeGeometry*>(item.geometry);
        EXPECT_EQ(item.world, g->world);
        EXPECT_EQ(item.color.x, g->color.x);
    }
    auto batch = list.batches[2];
    EXPECT_EQ(list.GetBatchEnd(batch) - list.GetBatchBegin(batch), 1);
    EXPECT_EQ(list.GetBatchBegin(batch)->mesh, meshB2);
}

TEST(RenderBatchList, OneMeshOneMaterialIsOneBatch) {
    BatchFixture f;
    Mesh* mesh = f.NewMesh(f.NewMaterial());
    const FakeGeometry g(1);
    Graphics_::RenderBatchList list;
    list.items.assign(7, Graphics_::RenderItem(mesh, &g));
    list.Build();
    EXPECT_EQ(BatchFixture::Batches(list), (std::vector<std::pair<uint32_t, uint32_t>>{{0, 7}}));
}

TEST(RenderBatchList, SortsByTheMaterialTheMeshHoldsNowAndGroupsByTheStoredOne) {
    BatchFixture f;
    Material* low = f.NewMaterial();
    Material* mid = f.NewMaterial();
    Material* high = f.NewMaterial();
    Mesh* x = f.NewMesh(high);
    Mesh* y = f.NewMesh(mid);
    const FakeGeometry g(1);
    Graphics_::RenderBatchList list;
    list.items = {{y, &g}, {x, &g}};
    x->SetMaterial(low);
    list.Build();
    EXPECT_EQ(list.items[0].mesh, x);
    EXPECT_EQ(list.items[1].mesh, y);
    EXPECT_EQ(list.batches.size(), 2u);

    // Two meshes that shared a material when filed stay one run of the first grouping and
    // are ordered by mesh ID there, whatever their materials are now.
    Mesh* a = f.NewMesh(mid);
    Mesh* b = f.NewMesh(mid);
    list.Clear();
    list.items = {{b, &g}, {a, &g}};
    b->SetMaterial(low);
    list.Build();
    EXPECT_EQ(list.items[0].mesh, a);
    EXPECT_EQ(list.items[1].mesh, b);
    EXPECT_EQ(list.batches.size(), 2u);
}

TEST(RenderBatchList, EmptyAndClear) {
    BatchFixture f;
    Graphics_::RenderBatchList list;
    list.Build();
    EXPECT_TRUE(list.batches.empty());
    EXPECT_TRUE(list.items.empty());
    const FakeGeometry g(1);
    list.items.emplace_back(f.NewMesh(f.NewMaterial()), &g);
    list.Build();
    EXPECT_EQ(list.batches.size(), 1u);
    list.Clear();
    EXPECT_TRUE(list.batches.empty());
    EXPECT_TRUE(list.items.empty());
}

}  // namespace
