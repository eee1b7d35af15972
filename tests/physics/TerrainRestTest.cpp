// Bodies on terrain, from blueprints, moved step by step: hovering over height maps and
// resting on meshes, on the sample data and on small fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "PhysicsTestSupport.h"
#include "core/FileUtil.h"
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
    // A blueprint of a mesh collider with a buffer of 0.5 over a model of these triangles (three
    // corner indices each) and corners, each corner's normal given by `normalAt`; the model is
    // built into mesh data on first use.
    template <class NormalAt>
    void MeshBlueprint(const std::string& name, const std::vector<uint32_t>& indices,
                       const std::vector<SD::Vec3>& corners, NormalAt&& normalAt) {
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
        u32(static_cast<uint32_t>(indices.size()));
        for (uint32_t i : indices) u32(i);
        u32(static_cast<uint32_t>(corners.size()));
        for (const SD::Vec3& p : corners) {
            const SD::Vec3 n = normalAt(p);
            for (float f : {p.x, p.y, p.z, n.x, n.y, n.z, 0.0f, 0.0f}) f32(f);
        }
        model.push_back(0);
        tree.Write("Assets/Models/fin/" + name + ".bin", model);
        std::filesystem::create_directories(tree.Path("Assets/PhysicsMeshData"));
        Blueprints(
            Blueprint(name, TransformXml({}) + ColliderXml("Mesh",
                                                           "<String name=\"Mesh File\">" + name + ".bin</String>" +
                                                               FloatXml("Buffer Thickness", 0.5f),
                                                           0.3f)));
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
    // One flat square 60 across at height 0.
    MeshBlueprint("Flat", {0, 3, 2, 0, 2, 1},
                  {SD::Vec3(-30, 0, -30), SD::Vec3(30, 0, -30), SD::Vec3(30, 0, 30), SD::Vec3(-30, 0, 30)},
                  [](const SD::Vec3&) { return SD::Vec3(0, 1, 0); });
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

// The grass islands are height fields: the front of every face of their mesh data, the side a
// sphere rests on, must be its upper side, or what lands on the island is pushed into it.
TEST(SampleIslandMeshData, EveryFaceOfEveryGrassIslandFrontsTheSky) {
    for (int island = 0; island < 5; ++island) {
        const std::string name = "seasonal_island" + std::to_string(island) + ".bin";
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(SD::ReadWholeFile(qvtest::SourceDir() + "/Assets/PhysicsMeshData/" + name, bytes)) << name;
        MeshData mesh;
        std::string error;
        bool foreign = false;
        ASSERT_TRUE(ParseMeshDataFile(bytes, mesh, error, foreign)) << name << ": " << error;
        ASSERT_FALSE(mesh.triangles.empty()) << name;
        int facingDown = 0;
        for (const MeshTriangle& t : mesh.triangles) {
            const SD::Vec3& a = mesh.vertices[t.index[0]].position;
            const SD::Vec3 front =
                (mesh.vertices[t.index[1]].position - a).Cross(mesh.vertices[t.index[2]].position - a);
            facingDown += front.y > 0.0f ? 0 : 1;
        }
        EXPECT_EQ(facingDown, 0) << "faces of " << name << " fronting the ground under them";
    }
}

// A closed block 20 across and 12 high standing on y = 0, like an island over the sea, its
// triangles wound outwards and its corners' normals pointing out from its middle.
constexpr float kBlockHalf = 10.0f, kBlockHeight = 12.0f;

bool InBlock(const SD::Vec3& p) {
    return std::fabs(p.x) < kBlockHalf && std::fabs(p.z) < kBlockHalf && p.y > 0.0f && p.y < kBlockHeight;
}

class ClosedMeshTest : public TerrainRestTest {
protected:
    void BlockBlueprint(const std::string& name) {
        const float h = kBlockHalf, y = kBlockHeight;
        MeshBlueprint(name, {0, 1, 2, 0, 2, 3, 0, 5, 1, 0, 4, 5, 2, 7, 3, 2, 6, 7,
                             1, 6, 2, 1, 5, 6, 0, 7, 4, 0, 3, 7, 4, 6, 5, 4, 7, 6},
                      {SD::Vec3(-h, 0, -h), SD::Vec3(h, 0, -h), SD::Vec3(h, 0, h), SD::Vec3(-h, 0, h),
                       SD::Vec3(-h, y, -h), SD::Vec3(h, y, -h), SD::Vec3(h, y, h), SD::Vec3(-h, y, h)},
                      [y](const SD::Vec3& p) { return (p - SD::Vec3(0, y * 0.5f, 0)).GetNormalized(); });
    }
};

TEST_F(ClosedMeshTest, ABallDrivenFastIntoAClosedMeshComesBackOutTheSideItHit) {
    const float h = kBlockHalf;
    BlockBlueprint("Block");
    // How fast each ball flies at its block's side, per step of 1/60 s: below, about and well
    // beyond its radius of 1. Each pair stands far from the others.
    const float speeds[] = {30.0f, 60.0f, 150.0f, 199.0f};
    std::vector<std::pair<SD::GameObject*, SD::Vec3>> balls;
    for (size_t k = 0; k < std::size(speeds); ++k) {
        const SD::Vec3 at(100.0f * static_cast<float>(k), 0, 0);
        ASSERT_TRUE(static_cast<const Mesh*>(ColliderOf(Spawn("Block", "Block", at))->GetShape())->data);
        SD::GameObject* ball = Spawn("Ball", "Ball", at + SD::Vec3(-h - 10.0f, 6, 1));
        ColliderOf(ball)->GetBody()->SetVelocity({speeds[k], 0, 0});
        balls.emplace_back(ball, at);
    }
    Physics().BuildTree();
    std::vector<int> inside(balls.size()), longestInside(balls.size());
    for (int i = 0; i < 90; ++i) {
        Steps(1);
        for (size_t k = 0; k < balls.size(); ++k) {
            inside[k] = InBlock(balls[k].first->GetTransform().GetLocalPos() - balls[k].second) ? inside[k] + 1 : 0;
            longestInside[k] = std::max(longestInside[k], inside[k]);
        }
    }
    for (size_t k = 0; k < balls.size(); ++k) {
        EXPECT_LE(longestInside[k], 1) << "steps in a row inside the block at a speed of " << speeds[k];
        // Thrown back the way it came (it then falls past the block, as there is no ground).
        EXPECT_LT(ColliderOf(balls[k].first)->GetBody()->GetVelocity().x, 0.0f)
            << "the ball went on through the block at a speed of " << speeds[k];
    }
}

// A ball set down within a closed mesh, near each of its sides in turn, has met none of its faces
// from the front; it is put out through the nearest one within a few steps and stays out.
TEST_F(ClosedMeshTest, ABallFoundWithinAClosedMeshLeavesThroughTheNearestSide) {
    BlockBlueprint("Block");
    struct Case {
        SD::Vec3 within;  // from the block's base centre
        int axis;         // the nearest side's axis and sign
        float sign;
    };
    const Case cases[] = {
        {{8.5f, 6, 1}, 0, 1.0f}, {{-8.5f, 5, -2}, 0, -1.0f}, {{1, 6, 8.5f}, 2, 1.0f}, {{2, 10.5f, -1}, 1, 1.0f}};
    std::vector<std::pair<SD::GameObject*, SD::Vec3>> balls;
    for (size_t k = 0; k < std::size(cases); ++k) {
        const SD::Vec3 at(100.0f * static_cast<float>(k), 0, 0);
        Spawn("Block", "Block", at);
        balls.emplace_back(Spawn("Ball", "Ball", at + cases[k].within), at);
    }
    Physics().BuildTree();
    Steps(10);
    for (size_t k = 0; k < balls.size(); ++k) {
        const SD::Vec3 p = balls[k].first->GetTransform().GetLocalPos() - balls[k].second;
        const float along[3] = {p.x, p.y, p.z};
        const float side = cases[k].axis == 1 ? kBlockHeight : kBlockHalf;
        EXPECT_FALSE(InBlock(p)) << "case " << k;
        EXPECT_GT(along[cases[k].axis] * cases[k].sign, side) << "case " << k << " left by another side";
    }
}

}  // namespace
