// Grass over an island model: blades in proportion to each triangle's world area, inside the
// triangle, carrying its normal, none at or under the water line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ResourceTestSupport.h"
#include "core/Random.h"
#include "graphics/GrassScatter.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"

namespace {

using namespace Aperture::Resource;

// One right triangle with legs `leg` in the x-z plane at height y, facing up.
Model* Triangle(ResourceManager& manager, float leg, float y) {
    std::vector<MeshVertexData> vertices(3);
    vertices[0].position = {0, y, 0};
    vertices[1].position = {0, y, leg};
    vertices[2].position = {leg, y, 0};
    for (MeshVertexData& v : vertices) v.normal = {0, 1, 0};
    Mesh* mesh = manager.CreateMesh();
    EXPECT_TRUE(mesh->SetMeshData(vertices, {0, 1, 2}));
    Model* model = manager.CreateModel();
    model->AddMesh(mesh);
    return model;
}

SD::Mtx44 Translation(const SD::Vec3& by) {
    SD::Mtx44 m = SD::Mtx44::Identity();
    m.m[3] = by.x;
    m.m[7] = by.y;
    m.m[11] = by.z;
    return m;
}

TEST(GrassScatter, BladesFollowTheWorldAreaAndStayInsideAboveTheWater) {
    gfxtest::ResourceFixture f;
    SD::SetRandomState(SD::kRandomStartState);
    struct Case {
        float leg, height;
        SD::Vec3 moved;
        size_t blades;
    };
    const Case cases[] = {
        {60.0f, 0.0f, {}, 1},               // area 1800: one blade
        {48.0f, 0.0f, {}, 0},               // area 1152, under one blade's worth
        {120.0f, 0.0f, {}, 6},              // area 7200
        {120.0f, 0.0f, {0, -1.5f, 0}, 0},   // at the water line
        {120.0f, -10.0f, {0, 9.0f, 0}, 6},  // lifted out of the water by its object
    };
    for (const Case& c : cases) {
        const SD::Mtx44 world = Translation(c.moved + SD::Vec3(100, 0, 0));
        const Aperture::ScatteredGrass grass = Aperture::ScatterGrass(*Triangle(*f.manager, c.leg, c.height), world);
        ASSERT_EQ(grass.blades.size(), c.blades) << c.leg << " " << c.height;
        ASSERT_EQ(grass.dustPoints.size(), c.blades);
        for (size_t i = 0; i < grass.blades.size(); ++i) {
            const Aperture::GrassInstance& blade = grass.blades[i];
            const SD::Vec3 local = blade.position - SD::Vec3(100, c.height + c.moved.y, 0);
            EXPECT_GE(local.x, 0.0f);
            EXPECT_GE(local.z, 0.0f);
            EXPECT_LE(local.x + local.z, c.leg * 1.0001f) << "inside the triangle";
            EXPECT_EQ(grass.dustPoints[i], blade.position);
            EXPECT_EQ(blade.color[0], 128);
            EXPECT_EQ(blade.color[1], 255) << "the normal points up";
            EXPECT_GT(blade.Size(), 0.0f);
        }
    }
}

SD::Mtx44 Scaling(float x, float y, float z) {
    SD::Mtx44 m = SD::Mtx44::Identity();
    m.m[0] = x;
    m.m[5] = y;
    m.m[10] = z;
    return m;
}

// An island asking for more blades than one may carry is thinned alike over its triangles: two
// triangles whose areas stand 1 : 3 keep their blades about 1 : 3, and together no more than
// the cap.
TEST(GrassScatter, AnIslandPastTheCapIsThinnedAlikeOverItsTriangles) {
    gfxtest::ResourceFixture f;
    SD::SetRandomState(SD::kRandomStartState);
    Model* model = Triangle(*f.manager, 1.0f, 0.0f);
    model->AddMesh(Triangle(*f.manager, std::sqrt(3.0f), 10.0f)->GetMeshes()[0]);  // three times the area, higher
    // Legs of 30,000 and 52,000 units: the density asks for 375,000 and 1,125,000 blades.
    const Aperture::ScatteredGrass grass = Aperture::ScatterGrass(*model, Scaling(30000, 1, 30000));
    EXPECT_NEAR(grass.asked, 1.5e6, 1e3);
    EXPECT_FALSE(grass.refused);
    ASSERT_LE(grass.blades.size(), Aperture::kMaxBladesPerIsland);
    EXPECT_GE(grass.blades.size(), Aperture::kMaxBladesPerIsland - 2);
    const auto onLarger = std::count_if(grass.blades.begin(), grass.blades.end(),
                                        [](const Aperture::GrassInstance& b) { return b.position.y > 5.0f; });
    EXPECT_NEAR(double(onLarger) / double(grass.blades.size() - size_t(onLarger)), 3.0, 0.01);
}

// A placement or scale that is no finite number gives no grass at all, whatever the density.
TEST(GrassScatter, NoFiniteCornersNoGrass) {
    gfxtest::ResourceFixture f;
    const float nan = std::nanf("");
    for (const SD::Mtx44& world : {Scaling(1e20f, 1, 1e20f), Scaling(nan, 1, 1), Translation({nan, 0, 0}),
                                   Scaling(std::numeric_limits<float>::infinity(), 1, 1)}) {
        const Aperture::ScatteredGrass grass = Aperture::ScatterGrass(*Triangle(*f.manager, 120.0f, 0.0f), world);
        EXPECT_TRUE(grass.refused);
        EXPECT_TRUE(grass.blades.empty());
        EXPECT_TRUE(grass.dustPoints.empty());
    }
}

TEST(GrassScatter, OnlyTheIslandModelsCarryGrass) {
    for (const char* name : {"seasonal_island0", "seasonal_island4"}) EXPECT_TRUE(Aperture::IsGrassIsland(name));
    for (const char* name : {"seasonal_island5", "cube", ""}) EXPECT_FALSE(Aperture::IsGrassIsland(name));
}

}  // namespace
