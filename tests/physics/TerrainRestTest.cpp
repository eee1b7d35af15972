// Bodies on terrain, from blueprints, moved step by step: hovering over height maps and
// resting on meshes, on the sample data and on small fixtures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "PhysicsTestSupport.h"
#include "physics/MeshFile.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

class TerrainRestTest : public PhysicsWorld {
protected:
    TerrainRestTest() {
        SampleTerrain();
        Blueprints(Blueprint("Ball", TransformXml({}) + BodyXml(10) + SphereXml(1, 0.3f)));
    }
    // The lowest and the last height of the ball over the steps.
    std::pair<float, float> Drop(SD::GameObject* ball, int steps) {
        float lowest = 1e9f;
        for (int i = 0; i < steps; ++i) {
            Steps(1);
            lowest = std::min(lowest, ball->GetTransform().GetLocalPos().y);
        }
        return {lowest, ball->GetTransform().GetLocalPos().y};
    }
};

TEST_F(TerrainRestTest, ABallHoversOverTheHeightMapOnItsSpring) {
    SD::GameObject* ground = Spawn("Ground", "Ground", {0, 0, 0});
    auto* map = static_cast<const HeightMap*>(ColliderOf(ground)->GetShape());
    ASSERT_TRUE(map->IsUsable());
    EXPECT_EQ(map->width, 16);
    EXPECT_FLOAT_EQ(map->sizeX, 160.0f);
    EXPECT_FLOAT_EQ(map->heightScale, 10.0f);
    SD::GameObject* ball = Spawn("Ball", "Ball", {-60, 30, -60});  // over flat ground
    Physics().BuildTree();
    auto [lowest, last] = Drop(ball, 900);
    // The spring holds a mass of 10 where 130 per unit of sinking below the hover height of
    // 15 carries its weight: about 11 above the ground, never on it.
    EXPECT_NEAR(last, 15.0f - 500.0f / 130.0f, 0.5f);
    EXPECT_GT(lowest, 1.0f);
}

TEST_F(TerrainRestTest, ABallRestsOnAFlatMesh) {
    // A model of one flat square 60 across at height 0, built into mesh data on first use.
    std::string model;
    auto u32 = [&model](uint32_t v) {
        for (int i = 0; i < 4; ++i) model.push_back(char(v >> (8 * i)));
    };
    auto f32 = [&u32](float f) {
        uint32_t b;
        std::memcpy(&b, &f, 4);
        u32(b);
    };
    u32(kMeshChunkTag);
    u32(0);  // the size of a mesh chunk is not read
    u32(0);
    u32(6);
    for (uint32_t i : {0u, 3u, 2u, 0u, 2u, 1u}) u32(i);
    u32(4);
    for (SD::Vec3 p : {SD::Vec3(-30, 0, -30), SD::Vec3(30, 0, -30), SD::Vec3(30, 0, 30), SD::Vec3(-30, 0, 30)})
        for (float f : {p.x, p.y, p.z, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f}) f32(f);
    model.push_back(0);
    tree.Write("Assets/Models/fin/Flat.bin", model);
    std::filesystem::create_directories(tree.Path("Assets/PhysicsMeshData"));
    Blueprints(Blueprint("Flat", TransformXml({}) + ColliderXml("Mesh",
                                                                "<String name=\"Mesh File\">Flat.bin</String>" +
                                                                    FloatXml("Buffer Thickness", 0.5f),
                                                                0.3f)));
    Spawn("Flat", "Flat", {0, 0, 0});
    SD::GameObject* ball = Spawn("Ball", "Ball", {3, 8, -7});
    Physics().BuildTree();
    ContactLog log;
    log.Bind(ball);
    auto [lowest, last] = Drop(ball, 400);
    EXPECT_FALSE(log.calls.empty());
    EXPECT_GT(lowest, 0.5f);
    EXPECT_NEAR(last, 1.0f, 0.1f);  // its radius above the triangles
    EXPECT_TRUE(tree.Exists("Assets/PhysicsMeshData/Flat.bin"));
}

TEST_F(TerrainRestTest, ABallLandsOnTheSampleHillSlidesDownAndRestsOnItsFoot) {
    SD::GameObject* hill = Spawn("Hill", "Hill", {0, 0, 0});
    const auto* mesh = static_cast<const Mesh*>(ColliderOf(hill)->GetShape());
    ASSERT_TRUE(mesh->data);
    EXPECT_EQ(mesh->data->triangles.size(), 128u);
    EXPECT_EQ(mesh->data->extents, SD::Vec3(20, 6, 20));
    SD::GameObject* ball = Spawn("Ball", "Ball", {2.5f, 20, 1.5f});
    Physics().BuildTree();
    ContactLog log;
    log.Bind(ball);
    // Near its top the hill is about 5.5 high: the ball lands there first.
    auto [lowestOnTop, onTop] = Drop(ball, 70);
    EXPECT_FALSE(log.calls.empty());
    EXPECT_GT(lowestOnTop, 5.0f);
    EXPECT_LT(onTop, 8.0f);
    // Nothing holds it on the slope: it slides off the hill onto the flat corner of the mesh
    // and rests there, its radius above the ground, never having sunk into the hill.
    auto [lowest, last] = Drop(ball, 700);
    const SD::Vec3 p = ball->GetTransform().GetLocalPos();
    EXPECT_GT(lowest, 0.9f);
    EXPECT_NEAR(last, 1.0f, 0.05f);
    EXPECT_GT(p.x * p.x + p.z * p.z, 20.0f * 20.0f);             // beyond the hill's foot
    EXPECT_LT(std::max(std::fabs(p.x), std::fabs(p.z)), 20.0f);  // still on the mesh
}

}  // namespace
